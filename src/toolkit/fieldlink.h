#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>

#include "data/dataset.h"

// What a data-bound control shares with the others: it shows a field of its dataset's
// current row and is told of every move and change of that row; the user's first change
// puts the dataset into edit state (an empty dataset starts a new row) and each change is
// written to the row.
class FieldLink : public QObject
{
public:
    // refresh is called whenever the row may show something else; not while the control
    // itself is writing, since its own text is already right then.
    FieldLink(Dataset *dataset, const QString &field, QObject *control, std::function<void()> refresh);

    Dataset *dataset() const { return m_dataset; }
    QString field() const { return m_field; }
    // True while a current row with this field is there to show.
    bool hasRow() const;
    QString text() const;
    QVariant value() const;
    // The column's size in characters, 0 when unlimited.
    int size() const;

    // Writes the user's change to the row; errors travel to the caller.
    void writeText(const QString &text);
    void writeValue(const QVariant &value);

private:
    void write(const std::function<void()> &set);

    QPointer<Dataset> m_dataset;
    QString m_field;
    std::function<void()> m_refresh;
    bool m_writing = false;
};
