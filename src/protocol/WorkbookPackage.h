#pragma once

#include "protocol/XmlPullReader.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

struct zip;

// The zip package an .xlsx or .ods workbook is stored in, read from memory.
class WorkbookPackage
{
public:
    // Opens the package; std::nullopt with *error set when the bytes are no zip archive.
    static std::optional<WorkbookPackage> open(const QByteArray &bytes, QString *error);

    WorkbookPackage(WorkbookPackage &&) noexcept;
    WorkbookPackage &operator=(WorkbookPackage &&) noexcept;
    ~WorkbookPackage();

    // Part names compare without regard to case, as the package formats ask.
    bool contains(const QString &name) const;
    // The unpacked part; std::nullopt with *error set when it is missing or damaged.
    std::optional<QByteArray> read(const QString &name, QString *error) const;

    // Walks the XML part with `walk(XmlPullReader &)`, which answers false when it has
    // failed and set *error; damage to the XML itself is reported here, with the part.
    template<typename Walk>
    bool readXml(const QString &name, QString *error, Walk walk) const
    {
        const std::optional<QByteArray> bytes = read(name, error);
        if (!bytes)
            return false;
        XmlPullReader reader(std::string_view(bytes->constData(), size_t(bytes->size())));
        if (!walk(reader))
            return false;
        if (reader.hasError()) {
            if (error)
                *error = damagedPart(name, reader.errorString());
            return false;
        }
        return true;
    }

    // "Der Teil <part> ist beschädigt (<detail>).": the message for a damaged part.
    static QString damagedPart(const QString &part, const QString &detail);

private:
    struct ArchiveCloser
    {
        void operator()(zip *archive) const;
    };

    explicit WorkbookPackage(const QByteArray &bytes);

    QByteArray m_bytes; // the archive reads from this buffer
    std::unique_ptr<zip, ArchiveCloser> m_archive;
};
