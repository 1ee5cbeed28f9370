#include "platform/FileTargetWin.h"

#include "platform/RegularFile.h"
#include "platform/WindowsError.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>

namespace {

// As many links as the system itself follows.
constexpr int MaxLinks = 63;
constexpr DWORD ReparseBufferSize = 16 * 1024;

// The start of a symbolic link's reparse data (REPARSE_DATA_BUFFER of the driver kit).
struct SymbolicLinkReparseData
{
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteNameOffset;
    WORD substituteNameLength;
    WORD printNameOffset;
    WORD printNameLength;
    DWORD flags;
    WCHAR pathBuffer[1];
};
constexpr DWORD SymbolicLinkRelative = 1;

// A name in a folder; a drive's root folder ends with its separator already.
QString inFolder(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('\\')) ? folder + name : folder + QLatin1Char('\\') + name;
}

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    { }
    ~Handle()
    {
        if (isValid())
            ::CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool isValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

Handle openEntry(const QString &path, DWORD access)
{
    return Handle(::CreateFileW(wide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
}

bool isCurrentUser(PSID sid)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    const bool same = size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size)
        && ::EqualSid(reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid, sid);
    ::CloseHandle(token);
    return same;
}

QString accountName(PSID sid)
{
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameLength = 256;
    DWORD domainLength = 256;
    SID_NAME_USE use;
    if (::LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
        return QString::fromWCharArray(name, int(nameLength));
    wchar_t *text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text))
        return QStringLiteral("unbekannt");
    const QString result = QString::fromWCharArray(text);
    ::LocalFree(text);
    return result;
}

// Whether the object is owned by the user, the Administrators group or SYSTEM; its
// owner's name in *owner when not.
bool trustedOwner(const QString &path, QString *owner)
{
    const Handle object = openEntry(path, READ_CONTROL);
    PSID sid = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!object.isValid()
        || ::GetSecurityInfo(object.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &sid, nullptr, nullptr,
                             nullptr, &descriptor)
            != ERROR_SUCCESS) {
        *owner = QStringLiteral("unbekannt");
        return false;
    }
    const bool trusted = isCurrentUser(sid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid)
        || ::IsWellKnownSid(sid, WinLocalSystemSid);
    if (!trusted)
        *owner = accountName(sid);
    ::LocalFree(descriptor);
    return trusted;
}

QString refusedLinkText(const QString &link, const QString &why)
{
    return QStringLiteral("Der Verkn\u00fcpfung %1 wird nicht gefolgt: %2. Tivano folgt nur Verkn\u00fcpfungen "
                          "des eigenen Benutzers oder der Administratoren, die in einem Ordner des eigenen "
                          "Benutzers oder der Administratoren liegen.")
        .arg(link, why);
}

// Where the link points, as an absolute path; empty with *error when it cannot be read.
QString linkTarget(HANDLE link, const QString &folder, QString *error)
{
    std::vector<BYTE> buffer(ReparseBufferSize);
    DWORD returned = 0;
    if (!::DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(), DWORD(buffer.size()),
                           &returned, nullptr)) {
        *error = windowsErrorText(::GetLastError());
        return {};
    }
    const auto *data = reinterpret_cast<const SymbolicLinkReparseData *>(buffer.data());
    QString target = QString::fromWCharArray(data->pathBuffer + data->substituteNameOffset / sizeof(WCHAR),
                                             int(data->substituteNameLength / sizeof(WCHAR)));
    // An absolute target is written in the system's form "\??\C:\...".
    if (target.startsWith(QLatin1String("\\??\\")))
        target.remove(0, 4);
    if (target.isEmpty()) {
        *error = windowsErrorText(ERROR_INVALID_NAME);
        return {};
    }
    if (data->flags & SymbolicLinkRelative)
        target = inFolder(folder, target);
    return QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath());
}

} // namespace

QString FileTarget::filePath() const
{
    return inFolder(m_folderPath, m_name);
}

bool FileTarget::isSameFile(void *handle) const
{
    BY_HANDLE_FILE_INFORMATION information{};
    return m_exists && ::GetFileType(handle) == FILE_TYPE_DISK
        && ::GetFileInformationByHandle(handle, &information)
        && !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        && information.dwVolumeSerialNumber == m_volume && information.nFileIndexHigh == m_indexHigh
        && information.nFileIndexLow == m_indexLow;
}

bool FileTarget::resolve(const QString &fileName, QString *error)
{
    m_exists = false;
    // Windows resolves ".." by the path's text, before any link, as done here.
    QString path = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    for (int links = 0;; ++links) {
        const QFileInfo info(path);
        m_folderPath = QDir::toNativeSeparators(info.absolutePath());
        m_name = info.fileName();
        if (m_name.isEmpty()) {
            *error = notRegularFileText(FileKind::Folder);
            return false;
        }
        const Handle entry = openEntry(path, FILE_READ_ATTRIBUTES);
        if (!entry.isValid()) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_FILE_NOT_FOUND)
                return true;
            *error = windowsErrorText(code);
            return false;
        }
        switch (::GetFileType(entry.get())) {
        case FILE_TYPE_DISK:
            break;
        case FILE_TYPE_PIPE:
            *error = notRegularFileText(FileKind::Pipe);
            return false;
        case FILE_TYPE_CHAR:
            *error = notRegularFileText(FileKind::Device);
            return false;
        default:
            *error = notRegularFileText(FileKind::Other);
            return false;
        }
        FILE_ATTRIBUTE_TAG_INFO attributes{};
        if (!::GetFileInformationByHandleEx(entry.get(), FileAttributeTagInfo, &attributes, sizeof attributes)) {
            *error = windowsErrorText(::GetLastError());
            return false;
        }
        const bool link = (attributes.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            && attributes.ReparseTag == IO_REPARSE_TAG_SYMLINK;
        if (!link) {
            BY_HANDLE_FILE_INFORMATION information{};
            if (attributes.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                *error = notRegularFileText(FileKind::Folder);
                return false;
            }
            if (!::GetFileInformationByHandle(entry.get(), &information)) {
                *error = windowsErrorText(::GetLastError());
                return false;
            }
            m_volume = information.dwVolumeSerialNumber;
            m_indexHigh = information.nFileIndexHigh;
            m_indexLow = information.nFileIndexLow;
            m_exists = true;
            return true;
        }
        if (links == MaxLinks) {
            *error = windowsErrorText(ERROR_CANT_RESOLVE_FILENAME);
            return false;
        }
        QString owner;
        if (!trustedOwner(path, &owner)) {
            *error = refusedLinkText(path, QStringLiteral("sie geh\u00f6rt %1").arg(owner));
            return false;
        }
        if (!trustedOwner(m_folderPath, &owner)) {
            *error = refusedLinkText(path, QStringLiteral("ihr Ordner geh\u00f6rt %1").arg(owner));
            return false;
        }
        path = linkTarget(entry.get(), m_folderPath, error);
        if (path.isEmpty())
            return false;
    }
}
