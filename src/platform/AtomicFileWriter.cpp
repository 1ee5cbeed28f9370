#include "platform/AtomicFileWriter.h"

#include "platform/DurableFile.h"

bool AtomicFileWriter::write(const QString &fileName, const QByteArray &data)
{
    m_error.clear();
    DurableFile file;
    if (!file.create(fileName) || !file.write(data) || !file.finish()) {
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
