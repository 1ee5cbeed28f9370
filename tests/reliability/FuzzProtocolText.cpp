// The protocol text reader on any bytes: it must not crash, must leave a title row
// without blank titles, and what it read must come back unchanged through the writer.
// Inputs whose first byte is below 16 also go through the file reader, the odd ones
// grown past the size limit.
#include "FuzzScratch.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"

#include <algorithm>

std::vector<std::string> fuzzSeeds()
{
    return {
        "",
        "Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n00001\t9:05.12,34\tAT\t18\t \t\r\n",
        "Nr.\tStoppzeit\tLKZ\tStNr.\tStat\t\r\n00001\t1,5\tGER\t7\t \t\r\n00002\t1,7\tSUI\t \tDNF\t\r\n",
        "a\t\tb\r\nx;y\tz\r\na;;b\r\n1;2;3;4;5;6;7\n",
        "\r\n\r\n\t\t\t\r\n;\n\r",
        "\xe4\xf6\xfc\xdf\x80\x81\x9f\xff\t\xa0\t\r\n",
    };
}

extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzBytes in(data, size);
    // The reader also runs into a table that already holds rows.
    MemoryProtocolTable table(ProtocolColumns::Count, 1 + in.byte() % 6);
    for (int r = 1; r < table.rowCount(); ++r)
        table.setCells(0, r, QStringLiteral("old"));
    const QByteArrayView bytes(reinterpret_cast<const char *>(in.rest()), qsizetype(in.restSize()));
    ProtocolText::decode(table, bytes);

    FUZZ_CHECK(table.rowCount() >= 1, "the title row is gone");
    for (int c = 0; c < table.colCount(); ++c) {
        // Blank here means only blanks and control characters, as the repair reads it.
        const QString title = table.cells(c, 0);
        FUZZ_CHECK(std::any_of(title.begin(), title.end(), [](QChar ch) { return ch.unicode() > 0x20; }),
                   "a blank title survived the repair");
    }
    const int count = table.lastResultRowFromTable();
    FUZZ_CHECK(count >= 0 && count < table.rowCount(), "result count outside the table");

    // Written and read back, the protocol is stable: no cell splits, merges or moves.
    const QByteArray first = ProtocolText::encode(table);
    MemoryProtocolTable again;
    ProtocolText::decode(again, first);
    const QByteArray second = ProtocolText::encode(again);
    FUZZ_CHECK(first == second, "the protocol changed on its way through the file");
    if (!first.isEmpty()) {
        FUZZ_CHECK(first.endsWith("\t\r\n"), "a written line does not end with TAB CR LF");
        FUZZ_CHECK(!first.contains("\t\t"), "the writer put two TABs side by side");
    }

    if (size == 0 || data[0] >= 16)
        return 0;
    const bool pastLimit = data[0] % 2 == 1;
    const QString path = FuzzScratch::writeFile(QStringLiteral("Tivano.txt"), bytes,
                                                pastLimit ? ProtocolText::MaxFileSize + 1 : 0);
    MemoryProtocolTable decoded;
    ProtocolText::decode(decoded, bytes);
    MemoryProtocolTable loaded;
    loaded.setCells(0, 1, QStringLiteral("untouched"));
    const QByteArray untouched = ProtocolText::encode(loaded);
    QString error;
    const bool read = ProtocolText::loadProtocolText(loaded, path, &error);
    FUZZ_CHECK(read != pastLimit && error.isEmpty() != pastLimit, "the size limit was not kept");
    FUZZ_CHECK(ProtocolText::encode(loaded) == (pastLimit ? untouched : ProtocolText::encode(decoded)),
               "the file reads otherwise than its bytes");
    return 0;
}
