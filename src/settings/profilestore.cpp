#include "profilestore.h"

#include "data/inifile.h"
#include "passwordhash.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>

namespace {

const QString kSection = QStringLiteral("Meltora");
const QString kActive = QStringLiteral("Active");
const QString kPassword = QStringLiteral("SSifre");

IniFile read(const QString &path)
{
    IniFile file;
    if (!file.load(path))
        file = IniFile(); // an unreadable file counts as an empty one
    return file;
}

// Why the last system call failed, in the user's words; the empty text when no short reason
// says more than "could not be written".
QString lastReason()
{
    switch (errno) {
    case EACCES:
    case EPERM:
        return QStringLiteral("yazma izni yok");
    case EROFS:
        return QStringLiteral("salt okunur bir diskte");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("diskte yer kalmadı");
    default:
        return QString();
    }
}

} // namespace

ProfileStore::ProfileStore() : m_path(defaultPath()) {}

ProfileStore::ProfileStore(const QString &path) : m_path(path) {}

QString ProfileStore::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("meltora.ini"));
}

bool ProfileStore::readActive() const
{
    return read(m_path).readInteger(kSection, kActive, 0) != 0;
}

bool ProfileStore::writeActive(bool on, QString *error) const
{
    return write(kActive, on ? QStringLiteral("1") : QStringLiteral("0"), error);
}

QString ProfileStore::readPassword() const
{
    return read(m_path).readString(kSection, kPassword);
}

bool ProfileStore::writePassword(const QString &password, QString *error) const
{
    const std::optional<QString> hash = passwordhash::make(password);
    if (!hash) {
        if (error)
            *error = QStringLiteral("Şifre için yeterli bellek ayrılamadı");
        return false;
    }
    return write(kPassword, *hash, error);
}

bool ProfileStore::check(const QString &entry) const
{
    const QString stored = readPassword();
    if (!passwordhash::matches(stored, entry))
        return false;
    if (!stored.isEmpty() && !passwordhash::isHash(stored))
        writePassword(entry);
    return true;
}

bool ProfileStore::write(const QString &key, const QString &value, QString *error) const
{
    auto fail = [&](const QString &reason) {
        if (error) {
            *error =
                QStringLiteral("%1 dosyasına yazılamadı").arg(QDir::toNativeSeparators(m_path));
            if (!reason.isEmpty())
                *error += QStringLiteral(" (%1)").arg(reason);
        }
        return false;
    };
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(lastReason());
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("dosya salt okunur"));
    IniFile file;
    if (!file.load(m_path)) // never replace a file whose other values could not be read
        return fail(QStringLiteral("dosya okunamadı"));
    file.writeString(kSection, key, value);

    // The new file is written beside the old one and then put in its place in one step.
    QTemporaryFile temporary(m_path + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return fail(lastReason());
    temporary.close();
    if (!file.save(temporary.fileName()))
        return fail(lastReason());
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0)
        return fail(lastReason());
    temporary.setAutoRemove(false);
    return true;
}
