#pragma once

#include <QString>
#include <functional>

class IniFile;

// Where the password lock lives: one small profile file per user, shared by every run of the
// program for that user, with the section "Meltora" and the keys "Active" (the protection
// flag, "1" or "0") and "SSifre" (the password's hash, or the empty text). Every operation
// reads or writes the file at the moment it runs, so two runs never work on stale values.
//
// The file is the program's own and is kept in UTF-8; a line that is not valid UTF-8 (typed
// in by hand with an editor of the Turkish code page) is read as code page 1254. Only its
// user may read it.
//
// A change holds a lock file beside the profile for its whole read-modify-write, and reads
// the file afresh under it: two runs changing one key each never put back the other's old
// value. The new file replaces the old one at once: a failed write leaves both values as
// they were.
class ProfileStore
{
public:
    // The store of the user who runs the program, in the user's configuration folder.
    ProfileStore();
    explicit ProfileStore(const QString &path);

    static QString defaultPath();
    const QString &path() const { return m_path; }
    // The lock file beside the profile.
    QString lockPath() const;

    // On when "Active" holds a whole number other than 0; a missing or unreadable file, a
    // missing key or anything else reads as off.
    bool readActive() const;
    // False, with a message naming the file in *error, when the file cannot be written.
    bool writeActive(bool on, QString *error = nullptr) const;

    // The stored value: a hash, the empty text (no password, or the empty password), or a
    // password that someone wrote into the file by hand.
    QString readPassword() const;
    bool hasPassword() const { return !readPassword().isEmpty(); }
    // Stores the hash of the password (the empty password as the empty text). False, with
    // the reason in *error, when the hash cannot be made or the file cannot be written.
    bool writePassword(const QString &password, QString *error = nullptr) const;

    // Whether the entry is the stored password. A password written in by hand is accepted
    // once as it stands and then replaced by its hash, unless another run has changed it in
    // the meantime; if that write fails it simply stays.
    bool check(const QString &entry) const;

    // The profile's bytes as text: UTF-8, line by line falling back to code page 1254.
    static QString decode(const QByteArray &bytes);

private:
    IniFile read() const;
    // Reads the file afresh under the lock, lets `change` edit it and writes it back when
    // `change` says something changed.
    bool update(const std::function<bool(IniFile &)> &change, QString *error) const;

    QString m_path;
};
