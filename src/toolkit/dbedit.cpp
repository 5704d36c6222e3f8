#include "dbedit.h"

#include "data/dberror.h"
#include "data/schema.h"
#include "fieldlink.h"
#include "guard.h"
#include "messages.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>
#include <QValidator>

// Counts characters as code points, as the table's size checks do, where QLineEdit's own
// limit counts UTF-16 units and would cut an emoji in half. Text beyond the limit is taken
// from the end of what was just typed or pasted, which ends at the caret.
class CharacterLimit : public QValidator
{
public:
    using QValidator::QValidator;
    int limit = 0;

    State validate(QString &input, int &pos) const override
    {
        if (limit <= 0)
            return Acceptable;
        qsizetype excess = codePoints(input) - limit;
        qsizetype begin = pos;
        while (excess > 0 && begin > 0) {
            begin -= isPairEndingAt(input, begin) ? 2 : 1;
            --excess;
        }
        input.remove(begin, pos - begin);
        pos = int(begin);
        qsizetype end = input.size();
        while (excess > 0 && end > pos) {
            end -= isPairEndingAt(input, end) ? 2 : 1;
            --excess;
        }
        input.truncate(end);
        return Acceptable;
    }

private:
    static bool isPairEndingAt(const QString &text, qsizetype end)
    {
        return end >= 2 && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate();
    }
    static qsizetype codePoints(const QString &text)
    {
        qsizetype count = 0;
        for (qsizetype i = 0; i < text.size(); ++i, ++count)
            if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
                text.at(i + 1).isLowSurrogate())
                ++i;
        return count;
    }
};

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
