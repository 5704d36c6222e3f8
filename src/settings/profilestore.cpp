#include "profilestore.h"

#include "data/codepage1254.h"
#include "data/inifile.h"
#include "data/safefile.h"
#include "passwordhash.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <cerrno>

namespace {

const QString kSection = QStringLiteral("Meltora");
const QString kActive = QStringLiteral("Active");
const QString kPassword = QStringLiteral("SSifre");

// The password's hash is only for its user's eyes.
constexpr int kOwnerOnly = 0600;

// Another run holds the lock only for the moment of its own read and write; waiting longer
// than this means something is wrong with the lock rather than busy.
constexpr int kLockWaitMs = 10000;

QString decodeLine(const QByteArray &line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(line);
    if (!utf8.hasError())
        return text;
    return fromCp1254(line);
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("'%1' dosyası yazılamadı: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString lockFailure(const QString &path, const QLockFile &lock)
{
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return cannotWrite(path, QStringLiteral("dosyayı programın başka bir kopyası kullanıyor"));
    case QLockFile::PermissionError:
        return cannotWrite(path, safefile::reasonText(EACCES));
    default:
        return cannotWrite(path, QStringLiteral("kilit dosyası oluşturulamadı"));
    }
}

// A file made by an earlier run with wider rights is narrowed to its user.
void keepOwnerOnly(const QString &path)
{
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    if (QFile::permissions(path) & others)
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Tries again at short, uneven intervals: QLockFile's own waiting doubles its pauses and
// could miss every moment another run busy with changes leaves the lock free.
bool takeLock(QLockFile &lock)
{
    const QDeadlineTimer deadline(kLockWaitMs);
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        QThread::msleep(QRandomGenerator::global()->bounded(2, 12));
    }
    return true;
}

} // namespace

ProfileStore::ProfileStore() : m_path(defaultPath()) {}

ProfileStore::ProfileStore(const QString &path) : m_path(path) {}

QString ProfileStore::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("meltora.ini"));
}

QString ProfileStore::lockPath() const
{
    return m_path + QStringLiteral(".lock");
}

QString ProfileStore::decode(const QByteArray &bytes)
{
    QString text;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        text += decodeLine(bytes.mid(start, end - start));
        start = end;
    }
    return text;
}

IniFile ProfileStore::read() const
{
    // An unreadable file counts as an empty one. The file is always replaced whole, so it
    // is read without the lock.
    IniFile file;
    QFile source(m_path);
    if (source.open(QIODevice::ReadOnly))
        file.setText(decode(source.readAll()));
    return file;
}

bool ProfileStore::readActive() const
{
    return read().readInteger(kSection, kActive, 0) != 0;
}

bool ProfileStore::writeActive(bool on, QString *error) const
{
    const QString value = on ? QStringLiteral("1") : QStringLiteral("0");
    return update(
        [&](IniFile &file) {
            file.writeString(kSection, kActive, value);
            return true;
        },
        error);
}

QString ProfileStore::readPassword() const
{
    return read().readString(kSection, kPassword);
}

bool ProfileStore::writePassword(const QString &password, QString *error) const
{
    // The slow hash is made before the lock is taken: the other run waits only for the file.
    const std::optional<QString> hash = passwordhash::make(password);
    if (!hash) {
        if (error)
            *error = QStringLiteral("Şifre için yeterli bellek ayrılamadı");
        return false;
    }
    return update(
        [&](IniFile &file) {
            file.writeString(kSection, kPassword, *hash);
            return true;
        },
        error);
}

bool ProfileStore::check(const QString &entry) const
{
    const QString stored = readPassword();
    if (!passwordhash::matches(stored, entry))
        return false;
    if (stored.isEmpty() || passwordhash::isHash(stored))
        return true;
    if (const std::optional<QString> hash = passwordhash::make(entry)) {
        update(
            [&](IniFile &file) {
                // A password another run set meanwhile stays.
                if (file.readString(kSection, kPassword) != stored)
                    return false;
                file.writeString(kSection, kPassword, *hash);
                return true;
            },
            nullptr);
    }
    return true;
}

bool ProfileStore::update(const std::function<bool(IniFile &)> &change, QString *error) const
{
    auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(cannotWrite(m_path, safefile::reasonText(errno)));
    if (info.exists() && !info.isWritable())
        return fail(cannotWrite(m_path, QStringLiteral("dosya salt okunur")));

    QLockFile lock(lockPath());
    if (!takeLock(lock))
        return fail(lockFailure(m_path, lock));

    IniFile file;
    QFile source(m_path);
    if (source.exists()) {
        // Never replace a file whose other values could not be read.
        if (!source.open(QIODevice::ReadOnly))
            return fail(cannotWrite(m_path, QStringLiteral("dosya okunamadı")));
        file.setText(decode(source.readAll()));
        source.close();
    }
    if (!change(file))
        return true;
    QString reason;
    if (!safefile::write(m_path, file.text().toUtf8(), &reason, kOwnerOnly))
        return fail(reason);
    keepOwnerOnly(m_path);
    return true;
}
