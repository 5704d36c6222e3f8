#include "datasetsource.h"

#include "data/dataset.h"

int DatasetSource::rowCount() const
{
    return m_dataset->isOpen() ? m_dataset->recordCount() : 0;
}

int DatasetSource::currentRow() const
{
    return rowCount() > 0 ? m_dataset->recNo() - 1 : -1;
}

int DatasetSource::fieldIndex(const QString &field) const
{
    return m_dataset->fieldIndex(field);
}

QString DatasetSource::text(int row, int field) const
{
    return m_dataset->textAt(row, field);
}

void DatasetSource::moveTo(int row)
{
    if (row >= 0 && row < rowCount())
        m_dataset->setRecNo(row + 1);
}
