#include "fieldlink.h"

#include "data/dataset.h"

FieldLink::FieldLink(Dataset *dataset, const QString &field, QObject *control,
                     std::function<void()> refresh)
    : QObject(control), m_dataset(dataset), m_field(field), m_refresh(std::move(refresh))
{
    auto changed = [this] {
        if (!m_writing)
            m_refresh();
    };
    connect(dataset, &Dataset::rowsReset, this, changed);
    connect(dataset, &Dataset::currentMoved, this, changed);
    connect(dataset, &Dataset::rowUpdated, this, changed);
    connect(dataset, &Dataset::stateChanged, this, changed);
}

bool FieldLink::hasRow() const
{
    return m_dataset && m_dataset->isOpen() && !m_dataset->isEmpty() && m_dataset->hasField(m_field);
}

QString FieldLink::text() const
{
    return hasRow() ? m_dataset->fieldText(m_field) : QString();
}

QVariant FieldLink::value() const
{
    return hasRow() ? m_dataset->value(m_field) : QVariant();
}

int FieldLink::size() const
{
    return m_dataset && m_dataset->isOpen() ? m_dataset->fieldSize(m_field) : 0;
}

void FieldLink::write(const std::function<void()> &set)
{
    if (!m_dataset)
        return;
    m_writing = true;
    try {
        if (!m_dataset->isEditing())
            m_dataset->edit();
        set();
    } catch (...) {
        m_writing = false;
        m_refresh(); // show the row as it stands after the refusal
        throw;
    }
    m_writing = false;
}

void FieldLink::writeText(const QString &text)
{
    write([&] { m_dataset->setFieldText(m_field, text); });
}

void FieldLink::writeValue(const QVariant &value)
{
    write([&] { m_dataset->setValue(m_field, value); });
}
