#include "platform/DurableFile.h"

#include "platform/WindowsError.h"
#include "platform/FileTargetWin.h"

#include <QFile>

#include <algorithm>
#include <io.h>
#include <windows.h>

namespace {

// Names tried before giving up: each can only be taken by someone who guessed it.
constexpr int NameAttempts = 100;

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

HANDLE handleOf(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

DurableFile::DurableFile() = default;

DurableFile::~DurableFile()
{
    discard();
}

bool DurableFile::create(const QString &target)
{
    discard();
    m_error.clear();
    m_target = std::make_unique<FileTarget>();
    QString why;
    if (!m_target->resolve(target, &why))
        return fail(why);
    const QString folder = m_target->folderPath();
    const QString separator = folder.endsWith(QLatin1Char('\\')) ? QString() : QStringLiteral("\\");
    for (int attempt = 0; attempt < NameAttempts && m_handle == -1; ++attempt) {
        const QString name = temporaryName(m_target->name());
        const QString path = folder + separator + name;
        // CREATE_NEW fails on anything already there, a planted link included. The new
        // file takes the rights the folder passes on, as any file made there does; a
        // read-only target stays read-only, since the replacement then fails.
        const HANDLE file = ::CreateFileW(wide(path), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_handle = reinterpret_cast<qintptr>(file);
            m_name = name;
            m_path = path;
            break;
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
            // The file itself may be writable, but its replacement is made in the folder.
            return fail(QStringLiteral("Der Ordner %1 ist nicht beschreibbar: %2")
                            .arg(folder, windowsErrorText(code)));
    }
    if (m_handle == -1)
        return fail(windowsErrorText(ERROR_FILE_EXISTS));
    return true;
}

bool DurableFile::write(QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype size = bytes.size();
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(size, 1 << 24));
        if (!::WriteFile(handleOf(m_handle), data, chunk, &written, nullptr))
            return fail(windowsErrorText(::GetLastError()));
        if (written == 0)
            return fail(windowsErrorText(ERROR_DISK_FULL));
        data += written;
        size -= written;
    }
    return true;
}

bool DurableFile::finish()
{
    if (!::FlushFileBuffers(handleOf(m_handle)))
        return fail(windowsErrorText(::GetLastError()));
    const BOOL closed = ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
    if (!closed)
        return fail(windowsErrorText(::GetLastError()));
    return true;
}

bool DurableFile::replaceTarget()
{
    // Write-through: the call returns when the new name is on the disk. A link that took
    // the target's place meanwhile is replaced itself, not followed.
    if (!::MoveFileExW(wide(m_path), wide(m_target->filePath()), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(windowsErrorText(::GetLastError()));
    m_name.clear();
    m_path.clear();
    m_target.reset();
    return true;
}

void DurableFile::discard()
{
    if (m_handle != -1)
        ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
    if (!m_name.isEmpty())
        ::DeleteFileW(wide(m_path));
    m_name.clear();
    m_path.clear();
    m_target.reset();
}

bool syncToDisk(QFile &file, QString *error)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(handle)) {
        *error = windowsErrorText(::GetLastError());
        return false;
    }
    return true;
}
