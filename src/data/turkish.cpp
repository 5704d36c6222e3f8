#include "turkish.h"

#include <QChar>
#include <QList>
#include <array>
#include <cstring>
#include <vector>

namespace turkish {

namespace {

constexpr char16_t kDotlessI = u'ı';   // U+0131
constexpr char16_t kDottedCapI = u'İ'; // U+0130

// Decodes one code point from UTF-8; malformed bytes come back as themselves.
char32_t nextUtf8(const unsigned char *&p, const unsigned char *end)
{
    unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? (c & 0x07) : extra == 2 ? (c & 0x0F) : (c & 0x1F);
    if (extra == 0)
        return c;
    for (int i = 0; i < extra; ++i) {
        if (p >= end || (*p & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    return cp;
}

// Walks UTF-8 text code point by code point without decoding it first.
struct Utf8Iterator {
    const unsigned char *p;
    const unsigned char *end;
    char32_t operator*() const
    {
        const unsigned char *q = p;
        return nextUtf8(q, end);
    }
    Utf8Iterator &operator++()
    {
        nextUtf8(p, end);
        return *this;
    }
    bool operator!=(const Utf8Iterator &other) const { return p != other.p; }
};

// Position of a lower-case letter in the Turkish alphabet, with q, w and x where
// foreign words put them; -1 for anything else.
int alphabetIndex(char32_t lower)
{
    static const char16_t alphabet[] = u"abcçdefgğhıijklmnoöpqrsştuüvwxyz";
    for (int i = 0; alphabet[i]; ++i)
        if (alphabet[i] == lower)
            return i;
    return -1;
}

struct Weights {
    uint16_t primary;
    uint8_t tertiary;
};

uint16_t primaryOfLower(char32_t lower)
{
    if (lower < 0x80) {
        if (lower >= 'a' && lower <= 'z')
            return uint16_t(0x1000 + alphabetIndex(lower) * 2);
        if (lower >= '0' && lower <= '9')
            return uint16_t(0x0800 + (lower - '0'));
        return uint16_t(0x0100 + lower);
    }
    int index = alphabetIndex(lower);
    if (index >= 0)
        return uint16_t(0x1000 + index * 2);
    return uint16_t(lower > 0xDFFF ? 0xFFFF : 0x2000 + lower);
}

Weights computeWeights(char32_t c)
{
    char32_t lower = toLower(c);
    return {primaryOfLower(lower), uint8_t(lower == c ? 1 : 2)};
}

// Turkish text is almost all in Latin-1 and Latin Extended-A; their weights are looked up.
constexpr char32_t kTableSize = 0x180;

Weights weightsOf(char32_t c)
{
    static const auto table = [] {
        std::array<Weights, kTableSize> t{};
        for (char32_t i = 0; i < kTableSize; ++i)
            t[i] = computeWeights(i);
        return t;
    }();
    return c < kTableSize ? table[c] : computeWeights(c);
}

template <typename It>
int compareSequences(It a, It aEnd, It b, It bEnd)
{
    It a0 = a, b0 = b;
    for (; a != aEnd && b != bEnd; ++a, ++b) {
        uint16_t pa = weightsOf(*a).primary, pb = weightsOf(*b).primary;
        if (pa != pb)
            return pa < pb ? -1 : 1;
    }
    if (a != aEnd)
        return 1;
    if (b != bEnd)
        return -1;
    for (a = a0, b = b0; a != aEnd; ++a, ++b) {
        uint8_t ta = weightsOf(*a).tertiary, tb = weightsOf(*b).tertiary;
        if (ta != tb)
            return ta < tb ? -1 : 1;
    }
    return 0;
}

} // namespace

char32_t toUpper(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? (c == 'i' ? char32_t(kDottedCapI) : c - 32) : c;
    if (c == kDotlessI)
        return 'I';
    return QChar::toUpper(c);
}

char32_t toLower(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? (c == 'I' ? char32_t(kDotlessI) : c + 32) : c;
    if (c == kDottedCapI)
        return 'i';
    return QChar::toLower(c);
}

QString toUpper(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        char32_t u = toUpper(c);
        if (QChar::requiresSurrogates(u)) {
            out.append(QChar(QChar::highSurrogate(u)));
            out.append(QChar(QChar::lowSurrogate(u)));
        } else {
            out.append(QChar(char16_t(u)));
        }
    }
    return out;
}

QString fold(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text)
        out.append(QChar(char16_t(toLower(ch.unicode()))));
    return out;
}

int compare(QStringView a, QStringView b)
{
    // Names are in the Basic Multilingual Plane; comparing UTF-16 units saves a conversion.
    return compareSequences(a.utf16(), a.utf16() + a.size(), b.utf16(), b.utf16() + b.size());
}

int compareUtf8(const char *a, int aLength, const char *b, int bLength)
{
    // Pure ASCII without letters of differing case is the common case of codes and
    // numbers; it still needs the alphabet weights, so decode and compare uniformly.
    auto pa = reinterpret_cast<const unsigned char *>(a);
    auto pb = reinterpret_cast<const unsigned char *>(b);
    return compareSequences(Utf8Iterator{pa, pa + aLength}, Utf8Iterator{pa + aLength, pa + aLength},
                            Utf8Iterator{pb, pb + bLength}, Utf8Iterator{pb + bLength, pb + bLength});
}

QByteArray sortKey(QStringView text)
{
    QByteArray key;
    key.reserve(text.size() * 3 + 2);
    for (QChar ch : text) {
        uint16_t p = weightsOf(ch.unicode()).primary;
        key.append(char(p >> 8));
        key.append(char(p & 0xFF));
    }
    key.append('\0');
    key.append('\0');
    for (QChar ch : text)
        key.append(char(weightsOf(ch.unicode()).tertiary));
    return key;
}

QByteArray sortKeyUtf8(const char *text, int length)
{
    QByteArray key;
    key.reserve(length * 3 + 2);
    auto begin = reinterpret_cast<const unsigned char *>(text);
    auto end = begin + length;
    for (auto p = begin; p < end;) {
        uint16_t w = weightsOf(nextUtf8(p, end)).primary;
        key.append(char(w >> 8));
        key.append(char(w & 0xFF));
    }
    key.append('\0');
    key.append('\0');
    for (auto p = begin; p < end;)
        key.append(char(weightsOf(nextUtf8(p, end)).tertiary));
    return key;
}

bool like(const char *pattern, int patternLength, const char *text, int textLength)
{
    // Greedy matching with one back-track point per '%', walking both texts in place so
    // that a row that differs in its first letters costs only those letters.
    using P = const unsigned char *;
    P p = reinterpret_cast<P>(pattern), pEnd = p + patternLength;
    P t = reinterpret_cast<P>(text), tEnd = t + textLength;
    P starP = nullptr, starT = nullptr;
    while (t < tEnd) {
        P pNext = p, tNext = t;
        const char32_t pc = p < pEnd ? nextUtf8(pNext, pEnd) : 0;
        if (p < pEnd && pc == '%') {
            starP = p = pNext;
            starT = t;
            continue;
        }
        const char32_t tc = nextUtf8(tNext, tEnd);
        if (p < pEnd && (pc == '_' || toLower(pc) == toLower(tc))) {
            p = pNext;
            t = tNext;
        } else if (starP) {
            p = starP;
            nextUtf8(starT, tEnd);
            t = starT;
        } else {
            return false;
        }
    }
    while (p < pEnd) {
        P pNext = p;
        if (nextUtf8(pNext, pEnd) != '%')
            return false;
        p = pNext;
    }
    return true;
}

} // namespace turkish
