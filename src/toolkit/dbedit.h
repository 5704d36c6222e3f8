#pragma once

#include <QLineEdit>
#include <QPointer>

class Dataset;

// A line edit that shows a field of its dataset's current row and follows every move
// and change of that row.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    DBEdit(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    Dataset *dataset() const { return m_dataset; }
    QString field() const { return m_field; }
    void refresh();

private:
    QPointer<Dataset> m_dataset;
    QString m_field;
};
