#include "passwordhash.h"

#include <sodium.h>

namespace passwordhash {

namespace {

bool ready()
{
    // sodium_init() picks the fastest implementations and seeds the random source; it may be
    // called again, but once is enough.
    static const bool initialised = sodium_init() >= 0;
    return initialised;
}

} // namespace

bool isHash(const QString &stored)
{
    return stored.startsWith(QLatin1String("$argon2id$")) ||
           stored.startsWith(QLatin1String("$argon2i$"));
}

std::optional<QString> make(const QString &password)
{
    if (password.isEmpty())
        return QString();
    if (!ready())
        return std::nullopt;
    const QByteArray bytes = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, bytes.constData(), quint64(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return std::nullopt;
    return QString::fromLatin1(out);
}

bool matches(const QString &stored, const QString &entry)
{
    if (!isHash(stored))
        return stored == entry;
    if (!ready())
        return false;
    const QByteArray hash = stored.toLatin1();
    const QByteArray bytes = entry.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), bytes.constData(), quint64(bytes.size())) ==
           0;
}

} // namespace passwordhash
