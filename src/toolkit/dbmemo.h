#pragma once

#include <QPlainTextEdit>

class Dataset;
class FieldLink;

// A multi-line text bound to a memo field.
class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    DBMemo(Dataset *dataset, const QString &field, QWidget *parent = nullptr);
    void refresh();

private:
    FieldLink *m_link;
    bool m_refreshing = false;
};
