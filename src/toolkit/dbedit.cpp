#include "dbedit.h"

#include "characterlimit.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "fieldlink.h"
#include "guard.h"
#include "messages.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>
#include <QValidator>

DBEdit::DBEdit(Dataset *dataset, const QString &field, QWidget *parent)
    : QLineEdit(parent), m_link(new FieldLink(dataset, field, this, [this] { refresh(); })),
      m_limit(new CharacterLimit(this))
{
    setValidator(m_limit);
    connect(this, &QLineEdit::textEdited, this,
            [this] { guard::run([this] { m_link->writeText(storedValue()); }); });
    refresh();
}

Dataset *DBEdit::dataset() const
{
    return m_link->dataset();
}

QString DBEdit::field() const
{
    return m_link->field();
}

QString DBEdit::phoneMask()
{
    return QStringLiteral("(000) 000 00 00;_");
}

QString DBEdit::dateMask()
{
    return QStringLiteral("00.00.0000;_");
}

int DBEdit::characterLimit() const
{
    return m_limit->limit;
}

void DBEdit::setCharacterLimit(int characters)
{
    m_limit->limit = characters;
}

void DBEdit::setMask(Mask mask)
{
    m_mask = mask;
    setInputMask(mask == Mask::Phone ? phoneMask() : mask == Mask::Date ? dateMask() : QString());
    setText(m_link->text());
    setCursorPosition(0);
}

QString DBEdit::storedValue() const
{
    if (m_mask == Mask::None)
        return text();
    // Literals alone are no value: a masked box with no digit stores nothing.
    for (QChar c : text())
        if (c.isDigit())
            return text();
    return {};
}

bool DBEdit::isIncomplete() const
{
    return m_mask != Mask::None &&
           schema::isPartlyFilled(m_mask == Mask::Phone ? schema::Mask::Phone : schema::Mask::Date,
                                  text());
}

void DBEdit::followFieldSize()
{
    // The column's size is known once the dataset is open; a closed one (between the close
    // and the open of a search) tells nothing and changes nothing.
    const int size = m_link->size();
    if (size > 0 && size != m_fieldSize) {
        m_fieldSize = size;
        m_limit->limit = size;
    }
}

void DBEdit::refresh()
{
    followFieldSize();
    const QString value = m_link->text();
    if (value == storedValue())
        return; // the same text: caret, selection and scrolling stay as they are
    if (hasFocus()) {
        showTextKeepingCaret(value);
        return;
    }
    setText(value);
    setCursorPosition(0); // a long value shows from its start
}

void DBEdit::showTextKeepingCaret(const QString &value)
{
    const int caret = cursorPosition();
    const int start = selectionStart();
    const int length = int(selectedText().size());
    setText(value);
    const int size = int(text().size());
    if (start < 0 || length == 0 || start >= size) {
        setCursorPosition(std::min(caret, size));
        return;
    }
    const int kept = std::min(length, size - start);
    // A selection made leftwards keeps its caret at its start.
    if (caret == start)
        setSelection(start + kept, -kept);
    else
        setSelection(start, kept);
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Going over to another window (a message box, a menu) is no leaving of the box.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !isIncomplete())
        return;
    // Said once the focus has settled, not in the middle of its move.
    QTimer::singleShot(0, this, [this] { refuseIncomplete(); });
}

void DBEdit::refuseIncomplete()
{
    // Closing the form or saving says it already, in the refusal of the save.
    if (!isVisible() || hasFocus() || !isIncomplete() ||
        QApplication::activeModalWidget() != window())
        return;
    const DbError refusal(m_mask == Mask::Phone ? DbError::Kind::IncompletePhone
                                                : DbError::Kind::IncompleteDate,
                          text(), field());
    messages::warning(window(), messages::describe(refusal).text);
    setFocus(Qt::OtherFocusReason);
}
