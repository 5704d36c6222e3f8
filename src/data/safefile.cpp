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

SafeFile::SafeFile(const QString &target, int permissions)
    : m_target(target), m_permissions(permissions)
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
    m_size = 0;
    // A write-protected file stays unwritten, as if it were written in place; a file that is
    // there keeps its permissions.
    struct stat existing {
    };
    if (::stat(native(m_target).constData(), &existing) == 0) {
        if (::access(native(m_target).constData(), W_OK) != 0) {
            fail(errno);
            return false;
        }
        m_permissions = int(existing.st_mode & 07777);
    }
    m_temporary = safefile::temporaryNameFor(m_target);
    m_fd = ::open(native(m_temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  mode_t(m_permissions));
    if (m_fd < 0) {
        fail(errno);
        m_temporary.clear();
        return false;
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 SafeFile::writeData(const char *data, qint64 length)
{
    if (m_fd < 0 || m_failure)
        return -1;
    const qint64 asked = length;
    qint64 offset = pos();
    while (length > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size_t(length), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n == 0 ? ENOSPC : errno);
            return -1;
        }
        data += n;
        length -= n;
        offset += n;
    }
    m_size = std::max(m_size, offset);
    return asked;
}

bool SafeFile::commit()
{
    if (m_fd < 0) {
        if (!m_failure)
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
    if (!m_failure &&
        ::rename(native(m_temporary).constData(), native(m_target).constData()) != 0)
        fail(errno);
    if (m_failure) {
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
    return QStringLiteral("'%1' dosyası yazılamadı: %2.")
        .arg(QDir::toNativeSeparators(m_target), safefile::reasonText(m_failure));
}

void SafeFile::fail(int error)
{
    if (!m_failure)
        m_failure = error ? error : EIO;
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
