#pragma once

#include <QComboBox>
#include <QPointer>

class Dataset;

// A fixed list bound to a field: the user picks one of its items, whose text is stored.
class DBComboBox : public QComboBox
{
    Q_OBJECT
public:
    DBComboBox(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    Dataset *dataset() const { return m_dataset; }
    QString field() const { return m_field; }
    void refresh();

Q_SIGNALS:
    // After the user's pick has been written to the row.
    void userChanged(int index);

private:
    void userPicked(int index);

    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_writing = false;
};
