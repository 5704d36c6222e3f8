#include "dbmemo.h"

#include "data/dataset.h"
#include "guard.h"

DBMemo::DBMemo(Dataset *dataset, const QString &field, QWidget *parent)
    : QPlainTextEdit(parent), m_dataset(dataset), m_field(field)
{
    connect(dataset, &Dataset::rowsReset, this, &DBMemo::refresh);
    connect(dataset, &Dataset::currentMoved, this, &DBMemo::refresh);
    connect(dataset, &Dataset::rowUpdated, this, &DBMemo::refresh);
    connect(dataset, &Dataset::stateChanged, this, &DBMemo::refresh);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_refreshing)
            guard::run([this] { userEdited(); });
    });
}

void DBMemo::userEdited()
{
    if (!m_dataset)
        return;
    m_writing = true;
    try {
        if (!m_dataset->isEditing())
            m_dataset->edit();
        m_dataset->setFieldText(m_field, toPlainText());
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
}

void DBMemo::refresh()
{
    if (m_writing)
        return;
    QString value;
    if (m_dataset && m_dataset->isOpen() && !m_dataset->isEmpty() && m_dataset->hasField(m_field))
        value = m_dataset->fieldText(m_field);
    if (value != toPlainText()) {
        m_refreshing = true;
        setPlainText(value);
        m_refreshing = false;
    }
}
