#include "platform/AtomicFileWriter.h"

#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The file that a chain of symbolic links finally names; at most 40 links are followed,
// as the system does.
QString resolveLinks(const QString &fileName)
{
    QFileInfo info(fileName);
    for (int links = 0; links < 40 && info.isSymbolicLink(); ++links)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

} // namespace

bool AtomicFileWriter::write(const QString &fileName, const QByteArray &data)
{
    m_error.clear();
    // Renaming over a link would replace the link: the new file goes beside its target.
    const QFileInfo target(resolveLinks(fileName));
    const QString folder = target.absolutePath();
    const QString tempName = folder + QLatin1String("/.") + target.fileName() + QLatin1String(".tmp");

    QFile temp(tempName);
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        // The file itself may be writable, but its replacement is made in the folder.
        m_error = QFileInfo(folder).isDir() ? QStringLiteral("Der Ordner %1 ist nicht beschreibbar: %2")
                                                  .arg(QDir::toNativeSeparators(folder), temp.errorString())
                                            : temp.errorString();
        return false;
    }
    // The replacement keeps the access rights of the file it replaces, so that a file
    // shared with a group stays shared.
    if (target.exists())
        temp.setPermissions(target.permissions());
    auto fail = [&](const QString &reason) {
        m_error = reason;
        temp.close();
        QFile::remove(tempName);
        return false;
    };
    if (temp.write(data) != data.size())
        return fail(temp.errorString());
    if (!temp.flush())
        return fail(temp.errorString());
    QString reason;
    if (!syncToDisk(temp, &reason))
        return fail(reason);
    temp.close();
    if (temp.error() != QFileDevice::NoError)
        return fail(temp.errorString());
    if (beforeRename && !beforeRename(tempName))
        return fail(QStringLiteral("aborted before rename"));
    if (!replaceFile(tempName, target.absoluteFilePath(), &reason))
        return fail(reason);
    // The folder itself is not synced: after a power loss the rename may be missing,
    // which leaves the previous complete file, and the sync would double the cost.
    return true;
}
