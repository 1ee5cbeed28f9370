#include "platform/FileTargetPosix.h"

#include "platform/ErrnoText.h"
#include "platform/FileKindPosix.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// As many links as the system itself follows.
constexpr int MaxLinks = 40;

bool trustedOwner(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

QString userName(uid_t uid)
{
    passwd entry{};
    passwd *found = nullptr;
    std::vector<char> buffer(4096);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString refusedLinkText(const QByteArray &link, const QString &why)
{
    return QStringLiteral("Der Verkn\u00fcpfung %1 wird nicht gefolgt: %2. Tivano folgt nur Verkn\u00fcpfungen "
                          "des eigenen Benutzers oder von root, die in einem Ordner des eigenen Benutzers "
                          "oder von root liegen.")
        .arg(QFile::decodeName(link), why);
}

// The link's target as it is written, or empty with *error.
QByteArray readLink(int folder, const QByteArray &name, qint64 size, QString *error)
{
    QByteArray target(qsizetype(size > 0 ? size : 255) + 1, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlinkat(folder, name.constData(), target.data(), size_t(target.size()));
        if (n <= 0) {
            *error = errnoText(n < 0 ? errno : ENOENT);
            return {};
        }
        if (n < target.size()) {
            target.truncate(n);
            return target;
        }
        target.resize(target.size() * 2);
    }
}

} // namespace

FileTarget::~FileTarget()
{
    close();
}

void FileTarget::close()
{
    if (m_folder >= 0)
        ::close(m_folder);
    m_folder = -1;
}

QString FileTarget::filePath() const
{
    return QFile::decodeName(m_folderPath + '/' + m_name);
}

QString FileTarget::folderPath() const
{
    return QFile::decodeName(m_folderPath);
}

bool FileTarget::resolve(const QString &fileName, QString *error)
{
    close();
    m_exists = false;
    // Messages name the folder in full, also for a name relative to the current folder.
    QByteArray path = QFile::encodeName(QDir::current().absoluteFilePath(fileName));
    for (int links = 0;; ++links) {
        // The path is split as it is written: ".." after a link means the link's parent
        // to the system, so it is not cleaned away here.
        const qsizetype slash = path.lastIndexOf('/');
        m_folderPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
        m_name = path.mid(slash + 1);
        if (m_name.isEmpty() || m_name == "." || m_name == "..") {
            *error = notRegularFileText(FileKind::Folder);
            return false;
        }
        close();
        do {
            m_folder = ::open(m_folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        } while (m_folder < 0 && errno == EINTR);
        if (m_folder < 0) {
            *error = QStringLiteral("Ordner %1: %2").arg(folderPath(), errnoText(errno));
            return false;
        }
        if (::fstatat(m_folder, m_name.constData(), &m_status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                return true;
            *error = errnoText(errno);
            return false;
        }
        if (!S_ISLNK(m_status.st_mode)) {
            if (!S_ISREG(m_status.st_mode)) {
                *error = notRegularFileText(fileKindOf(m_status.st_mode));
                return false;
            }
            m_exists = true;
            return true;
        }
        if (links == MaxLinks) {
            *error = errnoText(ELOOP);
            return false;
        }
        struct stat folderStatus{};
        if (::fstat(m_folder, &folderStatus) != 0) {
            *error = errnoText(errno);
            return false;
        }
        const QByteArray link = m_folderPath + '/' + m_name;
        if (!trustedOwner(m_status.st_uid)) {
            *error = refusedLinkText(
                link, QStringLiteral("sie geh\u00f6rt dem Benutzer %1").arg(userName(m_status.st_uid)));
            return false;
        }
        if (!trustedOwner(folderStatus.st_uid)) {
            *error = refusedLinkText(link, QStringLiteral("ihr Ordner geh\u00f6rt dem Benutzer %1")
                                               .arg(userName(folderStatus.st_uid)));
            return false;
        }
        const QByteArray target = readLink(m_folder, m_name, m_status.st_size, error);
        if (target.isEmpty())
            return false;
        path = target.startsWith('/') ? target : m_folderPath + '/' + target;
    }
}
