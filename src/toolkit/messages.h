#pragma once

#include "data/dberror.h"

#include <QString>

class QWidget;

// The program's message dialogs: Turkish titles and buttons ("Evet", "Hayır", "TAMAM", "İptal").
namespace messages {

inline const QString kProgramTitle = QStringLiteral("Meltora");

void information(QWidget *parent, const QString &text);
// The plain message: program title, no icon, "TAMAM".
void plain(QWidget *parent, const QString &text);
void warning(QWidget *parent, const QString &text);
void error(QWidget *parent, const QString &text);
// Confirmation with "Evet" and "Hayır"; true on "Evet".
bool confirm(QWidget *parent, const QString &text);
// The warning question: "Dikkat !", warning icon, "Evet" and "Hayır"; true on "Evet".
// Escape and the close box count as "Hayır".
bool warningQuestion(QWidget *parent, const QString &text);
// The entry forms' save question on closing: "Dikkat !", no icon, "Evet" and "Hayır"; true
// on "Evet". It can only be answered: Escape and the close box do nothing, since either
// would silently drop what was typed.
bool saveQuestion(QWidget *parent, const QString &text);
// A question box with its own caption and "Evet"/"Hayır"; true on "Evet".
bool question(QWidget *parent, const QString &caption, const QString &text);
// OK/Cancel question ("TAMAM"/"İptal"); true on "TAMAM".
bool okCancel(QWidget *parent, const QString &caption, const QString &text);

// A name as the delete questions show it: in single quotes, a quote inside doubled.
QString quoted(const QString &text);

// The top-level error box of the application's error handler: program title, error icon,
// the message ending in a full stop; a detail, where given, below it.
void showError(const QString &message, const QString &detail = QString());
// A database error as the user reads it: what happened and what to do, in Turkish, with
// the engine's own words as the detail.
void showError(const DbError &error);
// Any other error that ended a command: said in Turkish, its own words as the detail.
void showError(const std::exception &error);
QString withFullStop(const QString &message);

using Description = DbError::Description;
Description describe(const DbError &error);

} // namespace messages
