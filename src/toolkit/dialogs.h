#pragma once

class QString;
class QWidget;

namespace dialogs {

// Gives the dialog its object name and its title; assistive tools read the title without
// the blanks that pad it in the title bar.
void setTitle(QWidget *dialog, const QString &objectName, const QString &title);

// Brings the dialog to the size its layout asks for and centres its frame on the frame of
// `over`, wherever that stands now: a dialog created once and shown again and again would
// otherwise come up where it was last, however far the main window has moved since. The
// dialog always lies wholly on the screen, within its available area.
void centreOn(QWidget *dialog, QWidget *over);

} // namespace dialogs
