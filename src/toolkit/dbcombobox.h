#pragma once

#include <QComboBox>

class Dataset;
class FieldLink;

// A fixed list bound to a field: the user picks one of its items, whose text is stored.
class DBComboBox : public QComboBox
{
    Q_OBJECT
public:
    DBComboBox(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    Dataset *dataset() const;
    QString field() const;
    void refresh();

Q_SIGNALS:
    // After the user's pick has been written to the row.
    void userChanged(int index);

private:
    FieldLink *m_link;
};
