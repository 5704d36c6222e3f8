#pragma once

#include <QCheckBox>

class Dataset;
class FieldLink;

// A tick box bound to a yes/no field.
class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    DBCheckBox(const QString &caption, Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    void refresh();

private:
    FieldLink *m_link;
};
