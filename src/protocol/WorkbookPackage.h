#pragma once

#include "XmlPullReader.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

struct zip;

// The zip package an .xlsx or .ods workbook is stored in, read from memory.
class TWorkbookPackage
{
public:
    // Opens the package; std::nullopt with *error set when the bytes are no zip archive.
    static std::optional<TWorkbookPackage> Open(const QByteArray &bytes, QString *error);

    TWorkbookPackage(TWorkbookPackage &&) noexcept;
    TWorkbookPackage &operator=(TWorkbookPackage &&) noexcept;
    ~TWorkbookPackage();

    // Part names compare without regard to case, as the package formats ask.
    bool Contains(const QString &name) const;
    // The unpacked part; std::nullopt with *error set when it is missing or damaged.
    std::optional<QByteArray> Read(const QString &name, QString *error) const;

    // Walks the XML part with `walk(TXmlPullReader &)`, which answers false when it has
    // failed and set *error; damage to the XML itself is reported here, with the part.
    template <typename Walk>
    bool ReadXml(const QString &name, QString *error, Walk walk) const
    {
        const std::optional<QByteArray> bytes = Read(name, error);
        if (!bytes)
            return false;
        TXmlPullReader reader(std::string_view(bytes->constData(), size_t(bytes->size())));
        if (!walk(reader))
            return false;
        if (reader.HasError()) {
            if (error)
                *error = DamagedPart(name, reader.ErrorString());
            return false;
        }
        return true;
    }

    // "Der Teil <part> ist beschädigt (<detail>).": the message for a damaged part.
    static QString DamagedPart(const QString &part, const QString &detail);

private:
    struct ArchiveCloser
    {
        void operator()(zip *archive) const;
    };

    explicit TWorkbookPackage(const QByteArray &bytes);

    QByteArray FBytes; // the archive reads from this buffer
    std::unique_ptr<zip, ArchiveCloser> FArchive;
};
