#pragma once

#include <QString>

// How the reader writes a cell's value as text: as a Turkish desktop shows it, without the
// number formats of the workbook.
namespace celltext
{

// Whole numbers without decimals, others with a decimal comma; never in exponent form, so an
// 11-digit phone number stays all digits.
QString number(double value);

enum class Moment { Date, DateTime, Time };

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" as day.month.year and time.
QString fromIso(const QString &iso);

// A serial day number of a workbook (days since its epoch, the fraction being the time of day).
QString fromSerial(double serial, Moment moment, bool epoch1904);

} // namespace celltext
