#include "dbedit.h"

#include "fieldlink.h"
#include "guard.h"

DBEdit::DBEdit(Dataset *dataset, const QString &field, QWidget *parent)
    : QLineEdit(parent), m_link(new FieldLink(dataset, field, this, [this] { refresh(); }))
{
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
    return QStringLiteral("(999) 999 99 99;_");
}

QString DBEdit::dateMask()
{
    return QStringLiteral("99.99.9999;_");
}

void DBEdit::setMask(Mask mask)
{
    m_mask = mask;
    setInputMask(mask == Mask::Phone ? phoneMask() : mask == Mask::Date ? dateMask() : QString());
    refresh();
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

void DBEdit::refresh()
{
    if (m_mask == Mask::None) {
        const int size = m_link->size();
        setMaxLength(size > 0 ? size : 32767);
    }
    const QString value = m_link->text();
    if (value != storedValue()) {
        setText(value);
        if (!hasFocus())
            setCursorPosition(0);
    }
}
