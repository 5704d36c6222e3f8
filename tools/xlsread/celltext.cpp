#include "celltext.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace celltext
{

QString number(double value)
{
    if (!std::isfinite(value))
        return QString();
    if (value == std::trunc(value)) {
        if (std::fabs(value) < 9.0e18)
            return QString::number(qint64(value));
        return QString::number(value, 'f', 0);
    }
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

namespace
{

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString timeText(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

QString fromIso(const QString &iso)
{
    const QString trimmed = iso.trimmed();
    if (trimmed.size() == 8 && trimmed[2] == QLatin1Char(':'))
        return trimmed;
    const QDate date = QDate::fromString(trimmed.left(10), Qt::ISODate);
    if (!date.isValid())
        return iso;
    if (trimmed.size() <= 10)
        return dateText(date);
    return dateText(date) + QLatin1Char(' ') + trimmed.mid(11);
}

QString fromSerial(double serial, Moment moment, bool epoch1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466.0)
        return number(serial);
    qint64 seconds = qint64(std::llround(serial * 86400.0));
    qint64 day = seconds / 86400;
    const QTime time = QTime(0, 0).addSecs(int(seconds % 86400));
    if (moment == Moment::Time)
        return timeText(time);
    QString dayText;
    if (epoch1904) {
        dayText = dateText(QDate(1904, 1, 1).addDays(day));
    } else if (day == 60) {
        // The day that the 1900 calendar of workbooks has and the real one had not.
        dayText = QStringLiteral("29.02.1900");
    } else {
        dayText = dateText(QDate(1899, 12, day < 60 ? 31 : 30).addDays(day));
    }
    if (moment == Moment::Date)
        return dayText;
    return dayText + QLatin1Char(' ') + timeText(time);
}

} // namespace celltext
