#include "dbcombobox.h"

#include "data/dataset.h"
#include "guard.h"

DBComboBox::DBComboBox(Dataset *dataset, const QString &field, QWidget *parent)
    : QComboBox(parent), m_dataset(dataset), m_field(field)
{
    connect(dataset, &Dataset::rowsReset, this, &DBComboBox::refresh);
    connect(dataset, &Dataset::currentMoved, this, &DBComboBox::refresh);
    connect(dataset, &Dataset::rowUpdated, this, &DBComboBox::refresh);
    connect(dataset, &Dataset::stateChanged, this, &DBComboBox::refresh);
    connect(this, &QComboBox::activated, this, [this](int index) { guard::run([&] { userPicked(index); }); });
}

void DBComboBox::userPicked(int index)
{
    if (!m_dataset)
        return;
    m_writing = true;
    try {
        if (!m_dataset->isEditing())
            m_dataset->edit();
        m_dataset->setFieldText(m_field, itemText(index));
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
    Q_EMIT userChanged(index);
}

void DBComboBox::refresh()
{
    if (m_writing)
        return;
    QString value;
    if (m_dataset && m_dataset->isOpen() && !m_dataset->isEmpty() && m_dataset->hasField(m_field))
        value = m_dataset->fieldText(m_field);
    const int index = value.isEmpty() ? -1 : findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index != currentIndex())
        setCurrentIndex(index);
}
