#pragma once

#include <QStyle>
#include <functional>

class Dataset;
class QDialog;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;
class RecordActions;
struct Settings;

// What the entry forms (unit, member, fixed information) have in common: their tool
// buttons, the delete button's warning sound, "TAMAM", Escape, F1 and the save question
// on closing.
namespace entryform {

// An auto-raised tool button with the style's `icon` and its hint ("short|long", the short
// part also being its accessible name) that runs `command` under the error guard when
// clicked.
QToolButton *toolButton(QWidget *parent, const QString &objectName, const QString &hint,
                        QStyle::StandardPixmap icon, std::function<void()> command);

// "Kayıt Sil": a tool button whose click runs `command`. As the mouse goes down on it the
// warning sound plays, while the sound switch of `settings` is on, so that it comes
// before the question the click brings.
QToolButton *deleteButton(const Settings &settings, QWidget *parent, const QString &objectName,
                          std::function<void()> command);

// "TAMAM": closes the form, and with it asks the form's close questions. Only a click
// presses it: Enter means nothing in an entry form.
QPushButton *okButton(QDialog *form, QWidget *parent, int minimumWidth);

// A note, hidden until another office changes the row being edited, and again once the
// edit ends.
QLabel *changedElsewhereNote(QWidget *parent, Dataset *dataset);

// The bottom row of a form on one table: a toolbar ("ToolBar1") with New ("ToolButton1",
// hint `newHint`), "Kayıt Sil" ("ToolButton2") and the record commands on `dataset`, then
// "TAMAM" at the right.
struct BottomRow {
    QWidget *row;
    RecordActions *actions;
};
BottomRow bottomRow(const Settings &settings, QDialog *dialog, Dataset *dataset, const QString &newHint,
                    std::function<void()> onNew, std::function<void()> onDelete,
                    int okMinimumWidth);

// The long hint of the control under the mouse shows in the main window's status bar, as
// it does for the main window's own controls.
void showHintsInStatusBar(QDialog *form, QWidget *mainWindow);

// Escape closes no entry form: "TAMAM" and the close box do, with their questions.
void keepOpenOnEscape(QDialog *form);

// Which released keys count as the form's own for F1.
enum class KeyScope {
    FormWindow,    // those of the controls in the form's own window
    FormAndPopups, // those of its pop-ups too: a dropped-down list, a context menu
};

// F1, on its release, in the form while it is the window in use runs `command` under the
// error guard. The form previews the keys while it is shown: a box that has no use for F1
// would not pass it on.
void onF1(QDialog *form, KeyScope scope, std::function<void()> command);

// The close step of one table: nothing while it is not being edited, otherwise the save
// question `question`. "Hayır" drops the typing; "Evet" saves it. False when the table
// refuses the row (the error has been shown): the form then stays open on the typed row,
// so that nothing typed is lost. A database that can only be read refuses every save: the
// form then closes, saying that the changes were not saved.
bool saveOnClose(QWidget *form, Dataset *dataset, const QString &question);

} // namespace entryform
