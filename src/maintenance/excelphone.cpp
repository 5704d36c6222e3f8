#include "excelphone.h"

#include <algorithm>

namespace excelphone
{

namespace
{

constexpr int kDigits = 10;

bool hasDigit(const QString &value)
{
    return std::any_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool allDigits(const QString &value)
{
    return std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isSeparator(QChar c)
{
    static const QString separators = QStringLiteral("-()[].,/:;");
    // Cells copied from elsewhere bring non-breaking and other blanks along.
    return c.isSpace() || separators.contains(c);
}

} // namespace

QString strip(const QString &value)
{
    if (!hasDigit(value))
        return value;
    QString out;
    out.reserve(value.size());
    for (QChar c : value)
        if (!isSeparator(c))
            out += c;
    return out;
}

QString pad(const QString &value)
{
    if (!hasDigit(value) || value.size() >= kDigits)
        return value;
    return QString(kDigits - value.size(), u'0') + value;
}

QString group(const QString &value)
{
    if (!hasDigit(value))
        return value;
    QString s = value;
    if (s.size() == kDigits + 1 && s.startsWith(u'0') && allDigits(s))
        s.remove(0, 1);
    if (s.size() > kDigits)
        return value;
    return QStringLiteral("(%1) %2 %3 %4").arg(s.mid(0, 3), s.mid(3, 3), s.mid(6, 2), s.mid(8, 2));
}

} // namespace excelphone
