#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

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
    explicit SafeFile(const QString &target, int permissions = 0644);
    ~SafeFile() override; // a file not committed is removed

    // Creates the hidden file; `mode` must be a write mode.
    bool open(OpenMode mode) override;
    bool open() { return open(QIODevice::WriteOnly); }

    // Syncs, closes and renames into place; false when any write failed or any of these does.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();

    QString target() const { return m_target; }
    // The errno of the first failure, 0 if none.
    int failure() const { return m_failure; }
    // "'<target>' dosyası yazılamadı: <reason>." for the first failure.
    QString failureText() const;

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    void fail(int error);
    void discard();

    QString m_target;
    QString m_temporary;
    int m_permissions;
    int m_fd = -1;
    int m_failure = 0;
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
