#include "fileops.h"

#include "data/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace maintenance
{

namespace
{

constexpr qint64 kChunk = 1 << 20;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

void syncFolder(const QString &folder)
{
    safefile::syncFolder(folder);
}

bool writeAll(const FileSystem &fs, int fd, const char *data, qint64 length, int *error)
{
    while (length > 0) {
        const ssize_t n = fs.write(fd, data, size_t(length));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (n == 0) {
            *error = ENOSPC;
            return false;
        }
        data += n;
        length -= n;
    }
    return true;
}

// Fills a new file; 0 or the errno of the failure, `reading` telling which side failed.
int fill(int fd, qint64 size, const ReadAt &read, const FileSystem &fs, bool *reading)
{
    std::vector<char> buffer(size_t(std::min(size, kChunk)) + 1);
    for (qint64 offset = 0; offset < size;) {
        const qint64 length = std::min(kChunk, size - offset);
        if (const int failure = read(buffer.data(), length, offset)) {
            *reading = true;
            return failure;
        }
        int failure = 0;
        if (!writeAll(fs, fd, buffer.data(), length, &failure))
            return failure;
        offset += length;
    }
    // Data written but not synced could still be lost with the power: it does not count.
    return ::fsync(fd) == 0 ? 0 : errno;
}

} // namespace

FileSystem FileSystem::real()
{
    return {[](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); },
            [](int fd, const void *data, size_t size) { return ::write(fd, data, size); },
            [](const char *from, const char *to) { return ::rename(from, to); }};
}

QString reasonText(int error)
{
    return safefile::reasonText(error);
}

QString failureText(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2\nNeden: %3.").arg(what, QDir::toNativeSeparators(path), reason);
}

QString temporaryNameFor(const QString &target)
{
    return safefile::temporaryNameFor(target);
}

QString freeDatedName(const QString &folder, const QString &prefix)
{
    const QDir dir(folder);
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString name = dir.filePath(QStringLiteral("%1%2.dat").arg(prefix, stamp));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = dir.filePath(QStringLiteral("%1%2_%3.dat").arg(prefix, stamp).arg(n));
    return name;
}

bool makeFolder(const QString &path, QString *error)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(native(path).toStdString()), ec);
    if (!ec && QFileInfo(path).isDir())
        return true;
    if (error)
        *error = failureText(QStringLiteral("Klasör oluşturulamadı"), path,
                             reasonText(ec ? ec.value() : ENOTDIR));
    return false;
}

bool writeFile(const QString &source, qint64 size, const ReadAt &read, const QString &target,
               int mode, const FileSystem &fs, const Verify &verify, QString *error)
{
    const QString temporary = temporaryNameFor(target);
    const int fd = fs.create(native(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                             mode_t(mode));
    if (fd < 0) {
        if (error)
            *error = failureText(QStringLiteral("Dosya yazılamadı"), target, reasonText(errno));
        return false;
    }
    bool reading = false;
    int failure = fill(fd, size, read, fs, &reading);
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (failure) {
        ::unlink(native(temporary).constData());
        if (error)
            *error = reading ? failureText(QStringLiteral("Kaynak dosya okunamadı"), source,
                                           reasonText(failure))
                             : failureText(QStringLiteral("Dosya yazılamadı"), target,
                                           reasonText(failure));
        return false;
    }
    if ((verify && !verify(temporary, error)) || !replaceFile(temporary, target, fs, error)) {
        ::unlink(native(temporary).constData());
        return false;
    }
    return true;
}

bool copyFile(const QString &source, const QString &target, const FileSystem &fs,
              const Verify &verify, QString *error)
{
    const int fd = ::open(native(source).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {
    };
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int failure = errno;
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error =
                failureText(QStringLiteral("Kaynak dosya okunamadı"), source, reasonText(failure));
        return false;
    }
    const ReadAt read = [fd](char *buffer, qint64 length, qint64 offset) {
        while (length > 0) {
            const ssize_t n = ::pread(fd, buffer, size_t(length), offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n == 0 ? EIO : errno; // the file shrank while it was copied
            buffer += n;
            length -= n;
            offset += n;
        }
        return 0;
    };
    const bool ok =
        writeFile(source, st.st_size, read, target, int(st.st_mode & 0777), fs, verify, error);
    ::close(fd);
    return ok;
}

bool replaceFile(const QString &from, const QString &to, const FileSystem &fs, QString *error)
{
    if (fs.rename(native(from).constData(), native(to).constData()) != 0) {
        if (error)
            *error = failureText(QStringLiteral("Dosya yerine konamadı"), to, reasonText(errno));
        return false;
    }
    syncFolder(QFileInfo(to).absolutePath());
    return true;
}

OpenFiles openFilesOf(const QString &path)
{
    OpenFiles found;
    struct stat file {
    };
    if (::stat(native(path).constData(), &file) != 0)
        return found;
    const QByteArray self = QByteArray::number(qint64(::getpid()));
    DIR *processes = ::opendir("/proc");
    if (!processes)
        return found;
    while (const dirent *process = ::readdir(processes)) {
        const QByteArray pid(process->d_name);
        bool numeric = false;
        pid.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QByteArray folder = "/proc/" + pid + "/fd";
        DIR *descriptors = ::opendir(folder.constData());
        if (!descriptors)
            continue; // gone meanwhile, or another user's
        while (const dirent *descriptor = ::readdir(descriptors)) {
            if (descriptor->d_name[0] == '.')
                continue;
            // stat() follows the link to the open file itself, without opening it (opening
            // and closing the database file here would drop this process's locks on it).
            struct stat open {
            };
            const QByteArray link = folder + '/' + descriptor->d_name;
            if (::stat(link.constData(), &open) == 0 && open.st_dev == file.st_dev &&
                open.st_ino == file.st_ino)
                ++(pid == self ? found.own : found.others);
        }
        ::closedir(descriptors);
    }
    ::closedir(processes);
    return found;
}

} // namespace maintenance
