#pragma once

#include <QPlainTextEdit>
#include <QPointer>

class Dataset;

// A multi-line text bound to a memo field.
class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    DBMemo(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    void refresh();

private:
    void userEdited();

    QPointer<Dataset> m_dataset;
    QString m_field;
    bool m_writing = false;
    bool m_refreshing = false;
};
