#pragma once

#include "reports/engine/datasource.h"

class Dataset;

// A report data source over a shared query: rows are read by index, and the query's cursor
// moves only when a walk is over, once, to its last row, as the browsers then show it.
class DatasetSource : public report::DataSource
{
public:
    explicit DatasetSource(Dataset *dataset) : m_dataset(dataset) {}

    int rowCount() const override;
    int currentRow() const override;
    int fieldIndex(const QString &field) const override;
    QString text(int row, int field) const override;
    void moveTo(int row) override;

private:
    Dataset *m_dataset;
};
