#include "dbcheckbox.h"

#include "data/dataset.h"
#include "guard.h"

DBCheckBox::DBCheckBox(const QString &caption, Dataset *dataset, const QString &field, QWidget *parent)
    : QCheckBox(caption, parent), m_dataset(dataset), m_field(field)
{
    connect(dataset, &Dataset::rowsReset, this, &DBCheckBox::refresh);
    connect(dataset, &Dataset::currentMoved, this, &DBCheckBox::refresh);
    connect(dataset, &Dataset::rowUpdated, this, &DBCheckBox::refresh);
    connect(dataset, &Dataset::stateChanged, this, &DBCheckBox::refresh);
    connect(this, &QCheckBox::clicked, this, [this](bool checked) { guard::run([&] { userClicked(checked); }); });
}

void DBCheckBox::userClicked(bool checked)
{
    if (!m_dataset)
        return;
    m_writing = true;
    try {
        if (!m_dataset->isEditing())
            m_dataset->edit();
        m_dataset->setValue(m_field, checked);
    } catch (...) {
        m_writing = false;
        refresh();
        throw;
    }
    m_writing = false;
}

void DBCheckBox::refresh()
{
    if (m_writing)
        return;
    bool value = false;
    if (m_dataset && m_dataset->isOpen() && !m_dataset->isEmpty() && m_dataset->hasField(m_field))
        value = m_dataset->value(m_field).toBool();
    if (value != isChecked())
        setChecked(value);
}
