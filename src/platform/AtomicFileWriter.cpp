#include "platform/AtomicFileWriter.h"

#include "platform/DurableFile.h"

bool AtomicFileWriter::write(const QString &fileName, const QByteArray &data)
{
    return write(fileName, QList<QByteArray>{data});
}

bool AtomicFileWriter::write(const QString &fileName, const QList<QByteArray> &pieces)
{
    m_error.clear();
    DurableFile file;
    bool written = file.create(fileName);
    for (qsizetype i = 0; written && i < pieces.size(); ++i)
        written = file.write(pieces.at(i));
    if (!written || !file.finish()) {
        m_error = file.errorString();
        return false;
    }
    if (beforeRename && !beforeRename(file.fileName())) {
        m_error = QStringLiteral("vor dem Umbenennen abgebrochen");
        return false;
    }
    if (!file.replaceTarget()) {
        m_error = file.errorString();
        return false;
    }
    // The folder itself is not synced: after a power loss the rename may be missing,
    // which leaves the previous complete file, and the sync would double the cost.
    return true;
}
