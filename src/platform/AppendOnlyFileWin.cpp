#include "platform/AppendOnlyFile.h"
#include "platform/RegularFile.h"
#include "platform/WindowsError.h"
#include "platform/FileTargetWin.h"

#include <QDir>

#include <algorithm>
#include <windows.h>

namespace {

HANDLE handleOf(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

const wchar_t *nativePath(const QString &fileName, QString &buffer)
{
    buffer = QDir::toNativeSeparators(fileName);
    return reinterpret_cast<const wchar_t *>(buffer.utf16());
}

} // namespace

bool AppendOnlyFile::open(const QString &fileName)
{
    close();
    m_fileName = fileName;
    // Links are followed as for every write; the file itself must already exist.
    FileTarget target;
    if (!target.resolve(fileName, &m_error))
        return false;
    if (!target.exists()) {
        m_error = windowsErrorText(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // Others may read the journal and even rename or delete it while it is open.
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t *>(target.filePath().utf16()),
                                      GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_error = windowsErrorText(::GetLastError());
        return false;
    }
    m_handle = reinterpret_cast<qintptr>(file);
    // A link or something other than the file may have taken its place since the look at it.
    if (!target.isSameFile(file)) {
        m_error = notRegularFileText(FileKind::Other);
        close();
        return false;
    }
    m_error.clear();
    // Whatever the file's last writer left unfinished ends before the first record.
    m_partialLine = true;
    return true;
}

void AppendOnlyFile::close()
{
    if (m_handle != -1)
        ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
}

bool AppendOnlyFile::isStillAtItsName() const
{
    BY_HANDLE_FILE_INFORMATION held{};
    if (!isOpen() || !::GetFileInformationByHandle(handleOf(m_handle), &held) || held.nNumberOfLinks == 0)
        return false;
    // A file deleted while open may keep its name until the last handle closes, but it
    // can no longer be opened: that counts as gone, too.
    QString path;
    const HANDLE named = ::CreateFileW(nativePath(m_fileName, path), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    // The volume and the file's index on it tell one file from another.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool same = ::GetFileInformationByHandle(named, &info)
        && info.dwVolumeSerialNumber == held.dwVolumeSerialNumber
        && info.nFileIndexHigh == held.nFileIndexHigh && info.nFileIndexLow == held.nFileIndexLow;
    ::CloseHandle(named);
    return same;
}

bool AppendOnlyFile::cutPartialLine()
{
    const HANDLE file = handleOf(m_handle);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) {
        m_error = windowsErrorText(::GetLastError());
        return false;
    }
    qint64 keep = size.QuadPart;
    char block[4096];
    for (qint64 end = size.QuadPart; end > 0;) {
        const qint64 begin = std::max<qint64>(0, end - qint64(sizeof block));
        OVERLAPPED at{};
        at.Offset = DWORD(begin);
        at.OffsetHigh = DWORD(begin >> 32);
        DWORD n = 0;
        if (!::ReadFile(file, block, DWORD(end - begin), &n, &at) || n != DWORD(end - begin)) {
            m_error = windowsErrorText(::GetLastError());
            return false;
        }
        const auto lineFeed
            = std::find(std::make_reverse_iterator(block + n), std::make_reverse_iterator(block), '\n');
        if (lineFeed.base() != block) {
            keep = begin + (lineFeed.base() - block);
            break;
        }
        end = begin;
    }
    // Without any line feed the file is no file of lines; it is left as it is.
    if (keep < size.QuadPart && keep > 0) {
        LARGE_INTEGER to{};
        to.QuadPart = keep;
        if (!::SetFilePointerEx(file, to, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)
            || !::FlushFileBuffers(file)) {
            m_error = windowsErrorText(::GetLastError());
            return false;
        }
    }
    return true;
}

bool AppendOnlyFile::writeAll(const char *data, qsizetype size)
{
    while (size > 0) {
        // Offsets of all ones write at the end of the file, whoever else wrote there.
        OVERLAPPED atEnd{};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(size, 1 << 24));
        if (!::WriteFile(handleOf(m_handle), data, chunk, &written, &atEnd)) {
            m_error = windowsErrorText(::GetLastError());
            return false;
        }
        if (written == 0) {
            m_error = windowsErrorText(ERROR_DISK_FULL);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool AppendOnlyFile::syncData()
{
    if (::FlushFileBuffers(handleOf(m_handle)))
        return true;
    m_error = windowsErrorText(::GetLastError());
    return false;
}
