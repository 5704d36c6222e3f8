#pragma once

#include <QCheckBox>
#include <QPointer>

class Dataset;

// A tick box bound to a yes/no field.
class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    DBCheckBox(const QString &caption, Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    void refresh();

private:
    void userClicked(bool checked);

    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_writing = false;
};
