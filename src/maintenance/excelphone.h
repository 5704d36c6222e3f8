#pragma once

#include <QString>
#include <optional>

// The three passes that bring the unit phone numbers of imported rows into the stored form
// "(ddd) ddd dd dd", the form the unit's phone box takes.
//
// A value is a phone number when, without its blanks and separators, it is digits only,
// perhaps after a "+" and perhaps with a decimal tail of zeros (a number saved as text,
// "3122223344.0"), and those digits give ten: exactly ten; the trunk zero and ten; the
// country code 90 (written 90, 0090 or +90), perhaps with the trunk zero, and ten; or fewer
// than ten, which take zeros in front. Any other value (the empty-cell text "-", a note, a
// foreign number, a number with an extension) is left as it is by every pass.
namespace excelphone
{

// The ten digits a value stands for, or nothing when it is no phone number.
std::optional<QString> tenDigits(const QString &value);

// Pass 1: a phone number without its blanks, separators and decimal tail; a leading "+" stays.
QString strip(const QString &value);
// Pass 2: a stripped phone number as its ten digits: the country code and the trunk zero go,
// a shorter one takes zeros in front.
QString pad(const QString &value);
// Pass 3: ten digits as "(" 1-3 ")" " " 4-6 " " 7-8 " " 9-10.
QString group(const QString &value);

// Whether the value is in the stored form "(ddd) ddd dd dd".
bool isStored(const QString &value);

// Every blank and separator removed, all else kept in order: how a value too long for its
// field is staged without losing a digit.
QString withoutSeparators(const QString &value);

inline QString normalise(const QString &value)
{
    return group(pad(strip(value)));
}

} // namespace excelphone
