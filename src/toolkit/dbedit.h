#pragma once

#include <QLineEdit>

class Dataset;
class FieldLink;

// A line edit bound to a field of its dataset's current row. It takes no more characters
// than the column holds; the phone and date masks keep their literals in the stored text.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum class Mask { None, Phone, Date };

    DBEdit(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    Dataset *dataset() const;
    QString field() const;
    void setMask(Mask mask);
    void refresh();

    // Phone numbers are stored as "(999) 999 99 99", dates as "99.99.9999".
    static QString phoneMask();
    static QString dateMask();

private:
    QString storedValue() const;

    FieldLink *m_link;
    Mask m_mask = Mask::None;
};
