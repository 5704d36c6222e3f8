#pragma once

#include <QString>

class QWidget;

// Replaces each typed character before it reaches an edit box.
namespace keyfilters {

// Upper case the Turkish way: a-p, r-v, x-z to capitals, i to İ, ı to I, ç ğ ö ş ü to
// Ç Ğ Ö Ş Ü; q and w stay as typed; everything else is unchanged. The search boxes and
// the entry forms' boxes use it.
QString upperCase(const QString &typed);
inline QString searchKey(const QString &typed) { return upperCase(typed); }

// One character upper-cased the Turkish way, q and w included.
QChar trUpCase(QChar c);

void install(QWidget *widget, QString (*mapping)(const QString &));
void installUpperCase(QWidget *widget);
// Word capitals: a character typed at the start of the box or after a blank or a full
// stop is upper-cased with trUpCase; others pass unchanged. Over a selection, the place
// counts where the typed character lands: the selection's start. For line edits.
void installWordCapitals(QWidget *widget);

} // namespace keyfilters
