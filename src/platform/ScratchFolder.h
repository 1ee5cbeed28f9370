#pragma once

#include <QString>
#include <QTemporaryDir>

#include <optional>

// A private folder for a run's scratch files, "Tivano-<process id>-XXXXXX" in the user's
// runtime folder (where the system clears what is left at logout), removed with its
// contents when the object goes. A run that crashes leaves its folder behind: the next
// start removes the folders of processes that no longer run (removeStale()).
class ScratchFolder
{
public:
    ScratchFolder();

    bool isValid() const { return m_folder && m_folder->isValid(); }
    QString path() const { return isValid() ? m_folder->path() : QString(); }
    QString filePath(const QString &name) const { return isValid() ? m_folder->filePath(name) : QString(); }
    // Why the folder could not be made, in German.
    QString errorString() const;

    // The folder the scratch folders are made in: the user's runtime folder on POSIX,
    // the user's temporary folder on Windows.
    static QString location();

    // Removes the scratch folders in location() whose process no longer runs; nothing
    // but folders named as this class names them is touched.
    static void removeStale();

private:
    static bool isRunning(qint64 processId);

    QString m_location;
    std::optional<QTemporaryDir> m_folder;
};
