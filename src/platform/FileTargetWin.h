#pragma once

#include <QString>

// The file a name leads to for reading or writing, after the links at it that may be
// followed.
//
// A symbolic link (a reparse point tagged IO_REPARSE_TAG_SYMLINK) is followed only when
// the link and the folder holding it are owned by the user running the program, by the
// Administrators group or by SYSTEM, Windows's counterparts of root (what an elevated
// program makes belongs to the Administrators group). Anyone else's link would send the
// write to a file of that user's choosing, or show that user's choice of file as the
// program's data. Other reparse points (cloud placeholders,
// deduplicated files) hold data of their own and are written like any file. Whatever
// stands at the end must be a file on a disk or nothing: a device name ("NUL", "COM1"),
// a pipe or a folder is refused. Unlike on POSIX the folder is not held open; the later
// steps go by path, and the new file is made with CREATE_NEW, which never opens
// anything that already exists, so the link check cannot be bypassed through it.
class FileTarget
{
public:
    // False and *error (German) when a link is refused, the name cannot be examined or
    // something other than a file on a disk stands at it.
    bool resolve(const QString &fileName, QString *error);

    // The file's path (native separators) as the links led to it, its folder and name.
    QString filePath() const;
    QString folderPath() const { return m_folderPath; }
    QString name() const { return m_name; }
    // Whether a file stands at the name.
    bool exists() const { return m_exists; }
    // Whether an open file handle is the file found at the name, not anything put in its
    // place since. Files are opened by path without FILE_FLAG_OPEN_REPARSE_POINT, so that
    // cloud placeholders (OneDrive) read and write as usual; this check replaces it.
    bool isSameFile(void *handle) const;

private:
    QString m_folderPath;
    QString m_name;
    bool m_exists = false;
    // The file's identity: volume serial number and file index.
    unsigned long m_volume = 0;
    unsigned long m_indexHigh = 0;
    unsigned long m_indexLow = 0;
};
