#pragma once

#include <QString>
#include <optional>

// The password lock keeps a slow, salted hash of the password (Argon2id), never the password.
// The empty password is kept as the empty text, so that "no password" and "protected with an
// empty password" stay apart from a real one.
namespace passwordhash {

// Whether a stored value is a hash made here, rather than a password written in by hand.
bool isHash(const QString &stored);

// The hash of a password, or the empty text for the empty password. Nothing when the hash
// cannot be made (it needs some 64 MB of memory).
std::optional<QString> make(const QString &password);

// Whether `entry` is the password that `stored` holds: verified against a hash, or compared
// character by character (letter case included) with a value that is not one.
bool matches(const QString &stored, const QString &entry);

} // namespace passwordhash
