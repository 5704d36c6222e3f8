#include "fileops.h"

#include "data/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

// Fills the copy chunk by chunk; 0 or the errno of the failed read.
int fill(SafeFile &copy, qint64 size, const ReadAt &read)
{
    std::vector<char> buffer(size_t(std::min(size, kChunk)) + 1);
    for (qint64 offset = 0; offset < size;) {
        const qint64 length = std::min(kChunk, size - offset);
        if (const int failure = read(buffer.data(), length, offset))
            return failure;
        if (copy.write(buffer.data(), length) != length)
            return 0; // the copy keeps its own failure
        offset += length;
    }
    return 0;
}

QString writeFailureText(const SafeFile &copy)
{
    switch (copy.failedStep()) {
    case SafeFile::Step::Checking:
        return copy.failureText();
    case SafeFile::Step::PuttingInPlace:
        return failureText(QStringLiteral("Dosya yerine konamadı"), copy.target(),
                           reasonText(copy.failure()));
    case SafeFile::Step::None:
    case SafeFile::Step::Writing:
        break;
    }
    return failureText(QStringLiteral("Dosya yazılamadı"), copy.target(),
                       reasonText(copy.failure()));
}

} // namespace

QString reasonText(int error)
{
    return safefile::reasonText(error);
}

QString failureText(const QString &what, const QString &path, const QString &reason)
{
    // A reason that is a sentence of its own brings its full stop.
    const QString stop = reason.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".");
    return QStringLiteral("%1: %2\nNeden: %3%4")
        .arg(what, QDir::toNativeSeparators(path), reason, stop);
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

QDateTime timeInDatedName(const QString &name, const QString &prefix)
{
    const QRegularExpression pattern(
        QStringLiteral("^%1(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(_\\d+)?\\.dat$")
            .arg(QRegularExpression::escape(prefix)));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return {};
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
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
    SafeFile copy(target, mode, fs);
    if (!copy.open()) {
        if (error)
            *error = writeFailureText(copy);
        return false;
    }
    if (const int failure = fill(copy, size, read)) {
        copy.cancel();
        if (error)
            *error =
                failureText(QStringLiteral("Kaynak dosya okunamadı"), source, reasonText(failure));
        return false;
    }
    if (copy.commit(verify))
        return true;
    if (error)
        *error = writeFailureText(copy);
    return false;
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
    // The copy of a write-protected file can still be replaced by the next copy.
    const bool ok = writeFile(source, st.st_size, read, target, int(st.st_mode & 0777) | S_IWUSR,
                              fs, verify, error);
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
    safefile::syncFolder(QFileInfo(to).absolutePath());
    return true;
}

QString openElsewhereReason()
{
    return QStringLiteral("veritabanı başka bir programda ya da programın başka bir kopyasında "
                          "açık; onu kapatıp yeniden deneyin");
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
