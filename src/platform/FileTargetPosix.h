#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// The file a name leads to for reading or writing, reached through its folder held
// open: the checks on the folder and on the file and what is done in it concern the same
// folder, whatever is renamed meanwhile.
//
// A symbolic link at the name is followed only when the link and the folder holding it
// belong to the user running the program or to root. Anyone else's link would send a
// write to a file of that user's choosing, which a write as root destroys, or show that
// user's choice of file as the program's data; the operator's own links still lead where
// the operator put them. Whatever stands at the end must be a regular file or nothing.
class FileTarget
{
public:
    FileTarget() = default;
    ~FileTarget();
    FileTarget(const FileTarget &) = delete;
    FileTarget &operator=(const FileTarget &) = delete;

    // False and *error (German) when a link is refused, the folder cannot be opened or
    // something other than a regular file stands at the name.
    bool resolve(const QString &fileName, QString *error);

    // The open folder (a path descriptor: searching it is all it needs) and the file's
    // name in it.
    int folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }
    // The file's path as the links led to it, for messages.
    QString filePath() const;
    QString folderPath() const;

    // Whether a file stands at the name, and its status then.
    bool exists() const { return m_exists; }
    const struct stat &status() const { return m_status; }

private:
    void close();

    int m_folder = -1;
    QByteArray m_folderPath;
    QByteArray m_name;
    bool m_exists = false;
    struct stat m_status{};
};
