#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Replaces each typed character before it reaches an edit box.
namespace keyfilters {

// The main window's search boxes: lower-case letters become upper case the Turkish way
// (i → İ, ı → I); q and w stay as typed; everything else is unchanged.
QString searchKey(const QString &typed);

// Installs a filter on the widget that passes each typed text through the mapping.
void install(QWidget *widget, QString (*mapping)(const QString &));

} // namespace keyfilters
