#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

SafeFile::SafeFile(const QString &target, int permissions, safefile::SystemCalls calls)
    : m_target(target), m_permissions(permissions), m_calls(std::move(calls))
{
}

SafeFile::~SafeFile()
{
    if (m_fd >= 0 || !m_temporary.isEmpty())
        discard();
}

bool SafeFile::open(OpenMode mode)
{
    if (isOpen() || !(mode & QIODevice::WriteOnly))
        return false;
    m_failure = 0;
    m_failedStep = Step::None;
    m_checkFailure.clear();
    m_size = 0;
    m_fdPosition = 0;
    struct stat existing {
    };
    const bool replacing = ::stat(native(m_target).constData(), &existing) == 0;
    if (replacing) {
        if (refusesWriting(existing))
            return false;
        m_permissions = int(existing.st_mode & 07777);
    }
    m_temporary = safefile::temporaryNameFor(m_target);
    m_fd = m_calls.create(native(m_temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          mode_t(m_permissions));
    if (m_fd < 0) {
        fail(errno);
        m_temporary.clear();
        return false;
    }
    // The mask of new files' permissions does not apply to a file that was there already.
    if (replacing)
        ::fchmod(m_fd, mode_t(m_permissions));
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool SafeFile::refusesWriting(const struct stat &existing)
{
    if (S_ISDIR(existing.st_mode)) {
        fail(EISDIR);
        return true;
    }
    // Asked of the system with this process's file rights as they are now (not opened: closing
    // a file drops the process's locks on it): the permissions, access lists, a read-only mount.
    if (::faccessat(AT_FDCWD, native(m_target).constData(), W_OK, AT_EACCESS) != 0) {
        fail(errno);
        return true;
    }
    return false;
}

qint64 SafeFile::writeData(const char *data, qint64 length)
{
    if (m_fd < 0 || m_failure)
        return -1;
    // A device may be asked to seek; the descriptor follows it.
    if (pos() != m_fdPosition) {
        if (::lseek(m_fd, pos(), SEEK_SET) < 0) {
            fail(errno);
            return -1;
        }
        m_fdPosition = pos();
    }
    if (!writeAll(data, length))
        return -1;
    m_size = std::max(m_size, m_fdPosition);
    return length;
}

bool SafeFile::writeAll(const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t n = m_calls.write(m_fd, data, size_t(length));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n == 0 ? ENOSPC : errno);
            return false;
        }
        data += n;
        length -= n;
        m_fdPosition += n;
    }
    return true;
}

bool SafeFile::commit(const safefile::Check &check)
{
    if (m_fd < 0) {
        if (!m_failure && m_failedStep == Step::None)
            fail(EBADF);
        discard();
        return false;
    }
    // Data written but not synced could still be lost with the power: it does not count.
    if (!m_failure && ::fsync(m_fd) != 0)
        fail(errno);
    if (::close(m_fd) != 0 && !m_failure)
        fail(errno);
    m_fd = -1;
    QIODevice::close();
    if (!m_failure && check && !check(m_temporary, &m_checkFailure)) {
        m_failedStep = Step::Checking;
        setErrorString(m_checkFailure);
    }
    if (m_failedStep == Step::None &&
        m_calls.rename(native(m_temporary).constData(), native(m_target).constData()) != 0)
        fail(errno, Step::PuttingInPlace);
    if (m_failedStep != Step::None) {
        discard();
        return false;
    }
    m_temporary.clear();
    safefile::syncFolder(QFileInfo(m_target).absolutePath());
    return true;
}

void SafeFile::cancel()
{
    discard();
}

QString SafeFile::failureText() const
{
    const QString shown = QDir::toNativeSeparators(m_target);
    switch (m_failedStep) {
    case Step::Checking:
        return m_checkFailure;
    case Step::PuttingInPlace:
        return QStringLiteral("'%1' dosyası yerine konamadı: %2.")
            .arg(shown, safefile::reasonText(m_failure));
    case Step::None:
    case Step::Writing:
        break;
    }
    return QStringLiteral("'%1' dosyası yazılamadı: %2.")
        .arg(shown, safefile::reasonText(m_failure ? m_failure : EIO));
}

void SafeFile::fail(int error, Step step)
{
    if (m_failedStep != Step::None)
        return;
    m_failure = error ? error : EIO;
    m_failedStep = step;
    setErrorString(failureText());
}

void SafeFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (isOpen())
        QIODevice::close();
    if (!m_temporary.isEmpty()) {
        ::unlink(native(m_temporary).constData());
        m_temporary.clear();
    }
}

namespace safefile
{

SystemCalls SystemCalls::real()
{
    return {[](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); },
            [](int fd, const void *data, size_t size) { return ::write(fd, data, size); },
            [](const char *from, const char *to) { return ::rename(from, to); }};
}

bool write(const QString &target, const QByteArray &bytes, QString *error, int permissions)
{
    SafeFile file(target, permissions);
    if (file.open() && file.write(bytes) == bytes.size() && file.commit())
        return true;
    file.cancel();
    if (error)
        *error = file.failureText();
    return false;
}

QString reasonText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("diskte yer kalmadı");
    case EDQUOT:
        return QStringLiteral("disk kotası doldu");
    case EACCES:
    case EPERM:
        return QStringLiteral("yazma ya da okuma izni yok");
    case EROFS:
        return QStringLiteral("disk salt okunur");
    case ENOENT:
        return QStringLiteral("dosya ya da klasör bulunamadı");
    case ENOTDIR:
        return QStringLiteral("yolun bir parçası klasör değil");
    case EISDIR:
        return QStringLiteral("aynı adla bir klasör var");
    case EEXIST:
        return QStringLiteral("aynı adla bir dosya var");
    case EIO:
        return QStringLiteral("disk okunamıyor ya da yazılamıyor (giriş/çıkış hatası)");
    case EXDEV:
        return QStringLiteral("dosyalar aynı diskte değil");
    case ENAMETOOLONG:
        return QStringLiteral("ad çok uzun");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("dosya kullanımda");
    case EFBIG:
        return QStringLiteral("dosya bu disk için ya da izin verilen boyut için çok büyük");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("açık dosya sayısı sınırına ulaşıldı");
    case ENOMEM:
        return QStringLiteral("bellek yetmedi");
    default:
        return QStringLiteral("sistem hatası %1").arg(error);
    }
}

QString temporaryNameFor(const QString &target)
{
    const QFileInfo info(target);
    QString name;
    do {
        name = info.dir().filePath(
            QStringLiteral(".%1.%2.tmp")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    } while (QFileInfo::exists(name));
    return name;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // some file systems refuse it for folders; the data itself is synced already
    ::close(fd);
}

} // namespace safefile
