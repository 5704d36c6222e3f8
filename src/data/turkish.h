#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Turkish text rules shared by the database functions, the datasets and the widgets:
// case folding with dotted and dotless i, the alphabet order A B C Ç D E F G Ğ H I İ ...
namespace turkish {

char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);
QString toUpper(const QString &text);

// Orders like a Turkish dictionary: letters compare by alphabet position ignoring case,
// ties are broken by case (lower before upper) so the order is total.
int compare(QStringView a, QStringView b);
int compareUtf8(const char *a, int aLength, const char *b, int bLength);

// A byte string whose memcmp order is the order of compare().
QByteArray sortKey(QStringView text);
QByteArray sortKeyUtf8(const char *text, int length);

// Case-insensitive LIKE with % (any run) and _ (one character), both UTF-8.
bool like(const char *pattern, int patternLength, const char *text, int textLength);

// Folded form for case-insensitive prefix tests.
QString fold(QStringView text);

} // namespace turkish
