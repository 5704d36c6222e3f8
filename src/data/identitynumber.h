#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class Database;

// The Turkish identity number (`tc_kimlik`): eleven digits, the first not 0, the tenth and
// eleventh check digits of the first nine and ten. Registers already hold numbers that break
// these rules, so they are told, never refused.
namespace identitynumber
{

enum class Verdict {
    Empty,            // nothing typed: allowed
    Valid,
    WrongLength,      // not eleven characters
    NotDigits,        // eleven characters, not all of them digits
    LeadingZero,      // begins with 0
    WrongCheckDigits, // the tenth or eleventh digit does not follow from the others
};

// Blanks around the number do not count.
Verdict check(const QString &number);
bool isValid(const QString &number);
// What is wrong, as the user reads it; empty for Empty and Valid.
QString problemText(Verdict verdict);

// The check digits that follow from the first nine digits: d10 = ((d1+d3+d5+d7+d9)*7 -
// (d2+d4+d6+d8)) mod 10, d11 = (d1+...+d10) mod 10. `nineDigits` must be nine digits.
QString checkDigits(const QString &nineDigits);

// A staff member who holds a number.
struct Holder {
    qlonglong key = 0; // KayitNo
    QString name;      // Birlestir
    QString unit;      // the unit's name, or the workplace typed into the row when it has none
    QString number;
};

// The other members whose number is `number` (blanks around it ignored), leaving out the row
// `exceptKey` (null for a new row); in name order. One statement with bound values; throws
// DbError.
QList<Holder> otherHolders(Database &db, const QString &number, const QVariant &exceptKey);

// "AHMET YILMAZ (GAZİ LİSESİ)", several joined with commas.
QString holdersText(const QList<Holder> &holders);

// A member whose number fails the check or is held by others too.
struct Finding {
    Holder holder;
    Verdict verdict = Verdict::Valid; // of the number itself
    int sharedBy = 1;                 // members holding this number, this one included
};

// Every member with a number that fails the check or that more than one member holds, in
// the order of their numbers, then names; members without a number are left out. One
// reading of the staff table; throws DbError.
QList<Finding> audit(Database &db);

// What is wrong with a finding's number, as the user reads it.
QString findingText(const Finding &finding);

} // namespace identitynumber
