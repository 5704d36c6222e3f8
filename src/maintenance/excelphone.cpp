#include "excelphone.h"

#include <QRegularExpression>
#include <algorithm>

namespace excelphone
{

namespace
{

constexpr int kDigits = 10;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool allDigits(QStringView value)
{
    return !value.isEmpty() && std::all_of(value.begin(), value.end(), isDigit);
}

bool isSeparator(QChar c)
{
    static const QString separators = QStringLiteral("-()[].,/:;");
    // Cells copied from elsewhere bring non-breaking and other blanks along.
    return c.isSpace() || separators.contains(c);
}

// A number that a program saved as text with its decimal part: "3122223344.0".
QString withoutZeroFraction(const QString &value)
{
    static const QRegularExpression zeroFraction(QStringLiteral("^(\\+?[0-9]+)[.,]0+$"));
    const QRegularExpressionMatch m = zeroFraction.match(value);
    return m.hasMatch() ? m.captured(1) : value;
}

// The value's digits, after a "+" where it has one; nothing when anything else is left once
// the blanks and separators are gone.
std::optional<QString> compactDigits(const QString &value)
{
    const QString compact = withoutSeparators(withoutZeroFraction(value.trimmed()));
    const bool plus = compact.startsWith(u'+');
    if (!allDigits(QStringView(compact).mid(plus ? 1 : 0)))
        return std::nullopt;
    return compact;
}

// Ten digits from digits that may carry the country code and the trunk zero in front.
std::optional<QString> tenFrom(const QString &digits, bool international)
{
    const int n = int(digits.size());
    if (international) {
        // "+90 312 …" and "+90 (0312) …".
        if (n == kDigits + 2 && digits.startsWith(QLatin1String("90")))
            return digits.right(kDigits);
        if (n == kDigits + 3 && digits.startsWith(QLatin1String("900")))
            return digits.right(kDigits);
        return std::nullopt;
    }
    if (n == kDigits)
        return digits;
    if (n < kDigits)
        return QString(kDigits - n, u'0') + digits;
    if (n == kDigits + 1 && digits.startsWith(u'0'))
        return digits.right(kDigits);
    if (digits.startsWith(QLatin1String("00")))
        return tenFrom(digits.mid(2), true);
    return tenFrom(digits, true);
}

} // namespace

QString withoutSeparators(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value)
        if (!isSeparator(c))
            out += c;
    return out;
}

std::optional<QString> tenDigits(const QString &value)
{
    const std::optional<QString> compact = compactDigits(value);
    if (!compact)
        return std::nullopt;
    const bool plus = compact->startsWith(u'+');
    return tenFrom(plus ? compact->mid(1) : *compact, plus);
}

QString strip(const QString &value)
{
    if (!tenDigits(value))
        return value;
    return *compactDigits(value);
}

QString pad(const QString &value)
{
    const bool plus = value.startsWith(u'+');
    if (!allDigits(QStringView(value).mid(plus ? 1 : 0)))
        return value;
    return tenDigits(value).value_or(value);
}

QString group(const QString &value)
{
    if (!allDigits(value))
        return value;
    const std::optional<QString> ten = tenDigits(value);
    if (!ten)
        return value;
    const QString &s = *ten;
    return QStringLiteral("(%1) %2 %3 %4").arg(s.mid(0, 3), s.mid(3, 3), s.mid(6, 2), s.mid(8, 2));
}

bool isStored(const QString &value)
{
    static const QRegularExpression stored(
        QStringLiteral("^\\([0-9]{3}\\) [0-9]{3} [0-9]{2} [0-9]{2}$"));
    return stored.match(value).hasMatch();
}

} // namespace excelphone
