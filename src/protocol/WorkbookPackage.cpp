#include "protocol/WorkbookPackage.h"

#include "protocol/WorkbookLibraryErrors.h"

#include <algorithm>
#include <zip.h>

namespace {

// No part of a protocol workbook comes near this; a larger one is an unpacking bomb.
constexpr zip_uint64_t MaxPartSize = zip_uint64_t(1) << 30;

QString zipErrorText(zip_error_t *error)
{
    return WorkbookLibraryErrors::zipText(zip_error_code_zip(error), zip_error_code_system(error));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

void WorkbookPackage::ArchiveCloser::operator()(zip *archive) const
{
    zip_discard(archive);
}

WorkbookPackage::WorkbookPackage(const QByteArray &bytes)
    : m_bytes(bytes)
{ }

WorkbookPackage::WorkbookPackage(WorkbookPackage &&) noexcept = default;
WorkbookPackage &WorkbookPackage::operator=(WorkbookPackage &&) noexcept = default;
WorkbookPackage::~WorkbookPackage() = default;

std::optional<WorkbookPackage> WorkbookPackage::open(const QByteArray &bytes, QString *error)
{
    WorkbookPackage package(bytes);
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *source = zip_source_buffer_create(package.m_bytes.constData(),
                                                    zip_uint64_t(package.m_bytes.size()), 0, &zipError);
    if (source) {
        package.m_archive.reset(zip_open_from_source(source, ZIP_RDONLY, &zipError));
        if (!package.m_archive)
            zip_source_free(source);
    }
    if (!package.m_archive) {
        setError(error, zip_error_code_zip(&zipError) == ZIP_ER_NOZIP
                            ? QStringLiteral("Die Datei ist kein Zip-Archiv.")
                            : QStringLiteral("Das Zip-Archiv kann nicht gelesen werden (") + zipErrorText(&zipError)
                                + QStringLiteral(")."));
        zip_error_fini(&zipError);
        return std::nullopt;
    }
    zip_error_fini(&zipError);
    return package;
}

QString WorkbookPackage::damagedPart(const QString &part, const QString &detail)
{
    return QStringLiteral("Der Teil %1 ist besch\u00e4digt (%2).").arg(part, detail);
}

bool WorkbookPackage::contains(const QString &name) const
{
    return zip_name_locate(m_archive.get(), name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

std::optional<QByteArray> WorkbookPackage::read(const QString &name, QString *error) const
{
    const zip_int64_t index = zip_name_locate(m_archive.get(), name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) {
        setError(error, QStringLiteral("Der Teil %1 fehlt.").arg(name));
        return std::nullopt;
    }
    zip_file_t *file = zip_fopen_index(m_archive.get(), zip_uint64_t(index), 0);
    if (!file) {
        setError(error,
                 QStringLiteral("Der Teil %1 kann nicht entpackt werden (%2).")
                     .arg(name, zipErrorText(zip_get_error(m_archive.get()))));
        return std::nullopt;
    }
    // The size in the archive's directory is only the archive's claim: it sets the first
    // allocation, the pieces read decide.
    QByteArray bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive.get(), zip_uint64_t(index), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
        bytes.reserve(qsizetype(std::min(stat.size, MaxPartSize)));
    constexpr qsizetype piece = 1 << 16;
    zip_int64_t n = 0;
    for (;;) {
        const qsizetype filled = bytes.size();
        if (zip_uint64_t(filled) + piece > MaxPartSize + piece) {
            zip_fclose(file);
            setError(error, QStringLiteral("Der Teil %1 ist zu gro\u00df.").arg(name));
            return std::nullopt;
        }
        bytes.resize(filled + piece);
        n = zip_fread(file, bytes.data() + filled, piece);
        bytes.resize(filled + std::max<qsizetype>(n, 0));
        if (n <= 0)
            break;
    }
    const bool failed = n < 0;
    const QString reason = failed ? zipErrorText(zip_file_get_error(file)) : QString();
    zip_fclose(file);
    if (failed) {
        setError(error, damagedPart(name, reason));
        return std::nullopt;
    }
    return bytes;
}
