#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <sys/stat.h>
#include <sys/types.h>

namespace safefile
{

// The system calls through which a file is created, written and put in place; tests put
// failing ones in their place (a read-only disk, a full disk, a refused rename).
struct SystemCalls {
    std::function<int(const char *path, int flags, mode_t mode)> create;
    std::function<ssize_t(int fd, const void *data, size_t size)> write;
    std::function<int(const char *from, const char *to)> rename;
    static SystemCalls real();
};

// Looks at a finished file, still under its temporary name, before it takes its place;
// false with the reason, in Turkish, in `error`.
using Check = std::function<bool(const QString &file, QString *error)>;

} // namespace safefile

// Every file the program writes (PDFs, pictures, the settings file, the profile, copies of
// the database) goes through SafeFile: the bytes go to a hidden file beside the target, each
// write is checked, the file is synced to the disk and closed, and only then is it renamed
// over the target. A failure at any step (a full disk, a file-size limit, a refused rename)
// leaves the target as it was, removes the half-written file and is told in Turkish.
//
// Writes go straight to the file without a buffer of Qt's: a buffered tail whose write fails
// while the device is being closed could otherwise go unnoticed.
class SafeFile : public QIODevice
{
    Q_OBJECT
public:
    // `permissions` are those of a new file; a file that is there keeps its own.
    explicit SafeFile(const QString &target, int permissions = 0644,
                      safefile::SystemCalls calls = safefile::SystemCalls::real());
    ~SafeFile() override; // a file not committed is removed

    // Creates the hidden file; `mode` must be a write mode. A target that this user may not
    // write is refused here, as if it were to be written in place.
    bool open(OpenMode mode) override;
    bool open() { return open(QIODevice::WriteOnly); }

    // Syncs and closes the file, lets `check` look at it when given, then renames it into
    // place; false when any write failed or any of these steps does.
    bool commit(const safefile::Check &check = {});
    // Drops what was written; the target stays as it was.
    void cancel();

    // The step at which the first failure came.
    enum class Step { None, Writing, Checking, PuttingInPlace };
    Step failedStep() const { return m_failedStep; }

    QString target() const { return m_target; }
    // The errno of the first failure of a system call, 0 if none (also after a failed check).
    int failure() const { return m_failure; }
    // "'<target>' dosyası yazılamadı: <reason>." for the first failure ("... yerine konamadı"
    // for a refused rename, the check's own words for a failed check).
    QString failureText() const;

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    bool refusesWriting(const struct stat &existing);
    bool writeAll(const char *data, qint64 length);
    void fail(int error, Step step = Step::Writing);
    void discard();

    QString m_target;
    QString m_temporary;
    int m_permissions;
    safefile::SystemCalls m_calls;
    int m_fd = -1;
    qint64 m_fdPosition = 0; // where the next write of the descriptor lands
    int m_failure = 0;
    Step m_failedStep = Step::None;
    QString m_checkFailure;
    qint64 m_size = 0;
};

namespace safefile
{

// Writes `bytes` to `target` through a SafeFile; false with the Turkish reason in `error`.
bool write(const QString &target, const QByteArray &bytes, QString *error, int permissions = 0644);

// The reason of a failed system call, in Turkish ("diskte yer kalmadı", ...).
QString reasonText(int error);

// A name beside `target` for a file in the making, hidden from the folder's usual listing:
// ".<name>.<random>.tmp", never one that exists.
QString temporaryNameFor(const QString &target);

// Makes the folder's list of names durable after a file was created or renamed in it.
void syncFolder(const QString &folder);

} // namespace safefile
