#pragma once

#include <QString>

// The three passes that bring the unit phone numbers of imported rows into the stored form
// "(ddd) ddd dd dd". A value without any digit (the empty-cell text "-", a note) is left as
// it is by every pass, and no pass drops a digit.
namespace excelphone
{

// Pass 1: removes blanks and the separators - ( ) [ ] . , / : ; ; all else stays in order.
QString strip(const QString &value);
// Pass 2: zeros in front up to ten characters.
QString pad(const QString &value);
// Pass 3: "(" 1-3 ")" " " 4-6 " " 7-8 " " 9-10. Eleven digits with the leading trunk zero
// lose that zero first; a value still longer than ten characters is left as it is.
QString group(const QString &value);

inline QString normalise(const QString &value)
{
    return group(pad(strip(value)));
}

} // namespace excelphone
