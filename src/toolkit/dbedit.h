#pragma once

#include <QLineEdit>

class Dataset;
class FieldLink;
class CharacterLimit;

// A line edit bound to a field of its dataset's current row. It takes no more characters
// than the column holds, counted as the table counts them (an emoji is one character); the
// phone and date masks keep their literals in the stored text.
//
// A refresh that brings the text the box already shows leaves it alone, so the box being
// typed in keeps its caret and selection; a box not being typed in shows a new value from
// its start.
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

    // Characters the box takes: the column's size once the dataset has told it; 0 for no limit.
    int characterLimit() const;
    void setCharacterLimit(int characters);

    // Phone numbers are stored as "(999) 999 99 99", dates as "99.99.9999", every digit
    // required; a box with no digit at all stores nothing.
    static QString phoneMask();
    static QString dateMask();
    // Some of the mask's digits typed, not all: refused on leaving the box and on saving.
    bool isIncomplete() const;

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString storedValue() const;
    void followFieldSize();
    void showTextKeepingCaret(const QString &value);
    void refuseIncomplete();

    FieldLink *m_link;
    CharacterLimit *m_limit;
    Mask m_mask = Mask::None;
    int m_fieldSize = 0;
};
