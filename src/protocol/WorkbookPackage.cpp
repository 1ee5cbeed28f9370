#include "WorkbookPackage.h"

#include <zip.h>

#include <algorithm>

namespace {

// No part of a protocol workbook comes near this; a larger one is an unpacking bomb.
constexpr zip_uint64_t MaxPartSize = zip_uint64_t(1) << 30;

QString ZipErrorText(zip_error_t *error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

void TWorkbookPackage::ArchiveCloser::operator()(zip *archive) const
{
    zip_discard(archive);
}

TWorkbookPackage::TWorkbookPackage(const QByteArray &bytes)
    : FBytes(bytes)
{
}

TWorkbookPackage::TWorkbookPackage(TWorkbookPackage &&) noexcept = default;
TWorkbookPackage &TWorkbookPackage::operator=(TWorkbookPackage &&) noexcept = default;
TWorkbookPackage::~TWorkbookPackage() = default;

std::optional<TWorkbookPackage> TWorkbookPackage::Open(const QByteArray &bytes, QString *error)
{
    TWorkbookPackage package(bytes);
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t *source = zip_source_buffer_create(package.FBytes.constData(),
                                                    zip_uint64_t(package.FBytes.size()), 0, &zipError);
    if (source) {
        package.FArchive.reset(zip_open_from_source(source, ZIP_RDONLY, &zipError));
        if (!package.FArchive)
            zip_source_free(source);
    }
    if (!package.FArchive) {
        SetError(error, QStringLiteral("Die Datei ist kein Zip-Archiv (") + ZipErrorText(&zipError)
                            + QStringLiteral(")."));
        zip_error_fini(&zipError);
        return std::nullopt;
    }
    zip_error_fini(&zipError);
    return package;
}

QString TWorkbookPackage::DamagedPart(const QString &part, const QString &detail)
{
    return QStringLiteral("Der Teil %1 ist besch\u00e4digt (%2).").arg(part, detail);
}

bool TWorkbookPackage::Contains(const QString &name) const
{
    return zip_name_locate(FArchive.get(), name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

std::optional<QByteArray> TWorkbookPackage::Read(const QString &name, QString *error) const
{
    const zip_int64_t index = zip_name_locate(FArchive.get(), name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) {
        SetError(error, QStringLiteral("Der Teil %1 fehlt.").arg(name));
        return std::nullopt;
    }
    zip_file_t *file = zip_fopen_index(FArchive.get(), zip_uint64_t(index), 0);
    if (!file) {
        SetError(error, QStringLiteral("Der Teil %1 kann nicht entpackt werden (%2).")
                            .arg(name, ZipErrorText(zip_get_error(FArchive.get()))));
        return std::nullopt;
    }
    // The size in the archive's directory is only the archive's claim: it sets the first
    // allocation, the pieces read decide.
    QByteArray bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(FArchive.get(), zip_uint64_t(index), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
        bytes.reserve(qsizetype(std::min(stat.size, MaxPartSize)));
    constexpr qsizetype Piece = 1 << 16;
    zip_int64_t n = 0;
    for (;;) {
        const qsizetype filled = bytes.size();
        if (zip_uint64_t(filled) + Piece > MaxPartSize + Piece) {
            zip_fclose(file);
            SetError(error, QStringLiteral("Der Teil %1 ist zu gro\u00df.").arg(name));
            return std::nullopt;
        }
        bytes.resize(filled + Piece);
        n = zip_fread(file, bytes.data() + filled, Piece);
        bytes.resize(filled + std::max<qsizetype>(n, 0));
        if (n <= 0)
            break;
    }
    const bool failed = n < 0;
    const QString reason = failed ? ZipErrorText(zip_file_get_error(file)) : QString();
    zip_fclose(file);
    if (failed) {
        SetError(error, DamagedPart(name, reason));
        return std::nullopt;
    }
    return bytes;
}
