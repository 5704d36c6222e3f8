#include "passwordbox.h"

#include <QLineEdit>

namespace passwordbox {

void setMasked(QLineEdit *box, bool masked)
{
    // The style's own mask character is a dot; the password boxes show stars.
    if (box->styleSheet().isEmpty())
        box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    box->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

} // namespace passwordbox
