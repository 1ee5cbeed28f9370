#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QFile;
class FileTarget;

// A new file that takes the place of its target in one step once it is complete and on
// the disk, so that a crash or power loss leaves either the previous file or the whole
// new one. It is made in the folder of the file the target names (links followed as
// FileTarget allows), created exclusively under a name no one can foresee: nothing
// planted under some name beforehand can take the write elsewhere. It gets the access
// rights of the file it replaces.
class DurableFile
{
public:
    DurableFile();
    // Removes a file that was not put in place.
    ~DurableFile();
    DurableFile(const DurableFile &) = delete;
    DurableFile &operator=(const DurableFile &) = delete;

    // Each step returns false and sets errorString() (German) when it fails; the file
    // is removed then.
    bool create(const QString &target);
    bool write(QByteArrayView bytes);
    // Forces the bytes onto the disk and closes the file.
    bool finish();
    // Puts the finished file in the target's place.
    bool replaceTarget();
    void discard();

    // The new file's path, for as long as it is not in place.
    QString fileName() const { return m_path; }
    QString errorString() const { return m_error; }

private:
    // The name of a new file beside `target`: hidden, unforeseeable, recognisably its.
    static QString temporaryName(const QString &target);
    bool fail(const QString &reason);

    std::unique_ptr<FileTarget> m_target;
    // The file descriptor, or the Windows file handle; -1 when closed.
    qintptr m_handle = -1;
    // The new file's name in the target's folder, and its path.
    QString m_name;
    QString m_path;
    QString m_error;
};

// Forces the data written to the open `file` onto the disk.
bool syncToDisk(QFile &file, QString *error);
