// The country-code file on any bytes: one entry per line, no line break inside an entry.
// Every sixteenth input also goes through the file reader, every thirty-second one grown
// past the size limit.
#include "FuzzScratch.h"
#include "timing/CountryCodes.h"

std::vector<std::string> fuzzSeeds()
{
    return {"", "AUT\r\nGER\r\nSUI\r\n", "A\nB\rC\r\n\r\nD", "\xd6sterreich\r\n\x80\x81\xff", "\r\r\n\n"};
}

extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList codes = parseCountryCodes(bytes);
    qsizetype breaks = 0;
    for (size_t i = 0; i < size; ++i)
        breaks += data[i] == '\r' || data[i] == '\n';
    FUZZ_CHECK(codes.size() <= breaks + 1, "more entries than lines");
    qsizetype characters = 0;
    for (const QString &code : codes) {
        FUZZ_CHECK(!code.contains(QLatin1Char('\r')) && !code.contains(QLatin1Char('\n')),
                   "a line break inside an entry");
        characters += code.size();
    }
    // Windows-1252 is one character per byte.
    FUZZ_CHECK(characters + breaks <= qsizetype(size), "entries hold more than the file");

    if (size == 0 || data[0] % 16 != 0)
        return 0;
    const bool pastLimit = data[0] % 32 == 0;
    const QString path = FuzzScratch::writeFile(QStringLiteral("LKZ.txt"), bytes,
                                                pastLimit ? CountryCodesMaxFileSize + 1 + data[size - 1] : 0);
    QString error;
    const QStringList read = loadCountryCodes(path, &error);
    if (pastLimit)
        FUZZ_CHECK(read.isEmpty() && !error.isEmpty(), "a file past the size limit was read");
    else
        FUZZ_CHECK(read == codes && error.isEmpty(), "the file reads otherwise than its bytes");
    return 0;
}
