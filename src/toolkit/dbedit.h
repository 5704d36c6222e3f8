#pragma once

#include <QLineEdit>
#include <QPointer>

class Dataset;

// A line edit bound to a field of its dataset's current row. It shows the field and
// follows every move and change of the row; the user's first change puts the dataset into
// edit state (an empty dataset starts a new row) and each change is written to the row.
// It takes no more characters than the column holds.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum class Mask { None, Phone, Date };

    DBEdit(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    Dataset *dataset() const { return m_dataset; }
    QString field() const { return m_field; }
    void setMask(Mask mask);
    void refresh();

    // Phone numbers are stored as "(999) 999 99 99", dates as "99.99.9999".
    static QString phoneMask();
    static QString dateMask();

private:
    void userEdited();
    QString storedValue() const;

    QPointer<Dataset> m_dataset;
    QString m_field;
    Mask m_mask = Mask::None;
    bool m_writing = false;
};
