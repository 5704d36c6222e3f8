#include "dbedit.h"

#include "data/dataset.h"

DBEdit::DBEdit(Dataset *dataset, const QString &field, QWidget *parent)
    : QLineEdit(parent), m_dataset(dataset), m_field(field)
{
    connect(dataset, &Dataset::rowsReset, this, &DBEdit::refresh);
    connect(dataset, &Dataset::currentMoved, this, &DBEdit::refresh);
    connect(dataset, &Dataset::rowUpdated, this, &DBEdit::refresh);
    connect(dataset, &Dataset::stateChanged, this, &DBEdit::refresh);
    refresh();
}

void DBEdit::refresh()
{
    QString text;
    if (m_dataset && m_dataset->isOpen() && !m_dataset->isEmpty() && m_dataset->hasField(m_field))
        text = m_dataset->fieldText(m_field);
    if (text != this->text())
        setText(text);
    setCursorPosition(0);
}
