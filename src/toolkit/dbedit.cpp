#include "dbedit.h"

#include "data/dataset.h"
#include "guard.h"

DBEdit::DBEdit(Dataset *dataset, const QString &field, QWidget *parent)
    : QLineEdit(parent), m_dataset(dataset), m_field(field)
{
    connect(dataset, &Dataset::rowsReset, this, &DBEdit::refresh);
    connect(dataset, &Dataset::currentMoved, this, &DBEdit::refresh);
    connect(dataset, &Dataset::rowUpdated, this, &DBEdit::refresh);
    connect(dataset, &Dataset::stateChanged, this, &DBEdit::refresh);
    connect(this, &QLineEdit::textEdited, this, [this] { guard::run([this] { userEdited(); }); });
    refresh();
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

void DBEdit::userEdited()
{
    if (!m_dataset)
        return;
    m_writing = true;
    try {
        if (!m_dataset->isEditing())
            m_dataset->edit();
        m_dataset->setFieldText(m_field, storedValue());
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
}

void DBEdit::refresh()
{
    if (m_writing)
        return; // the change came from this box: its text is already right
    QString value;
    bool open = m_dataset && m_dataset->isOpen() && m_dataset->hasField(m_field);
    if (open) {
        const int size = m_dataset->fieldSize(m_field);
        if (m_mask == Mask::None)
            setMaxLength(size > 0 ? size : 32767);
        if (!m_dataset->isEmpty())
            value = m_dataset->fieldText(m_field);
    }
    if (value != storedValue()) {
        setText(value);
        if (!hasFocus())
            setCursorPosition(0);
    }
}
