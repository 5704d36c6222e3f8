#include "dbmemo.h"

#include "fieldlink.h"
#include "guard.h"

DBMemo::DBMemo(Dataset *dataset, const QString &field, QWidget *parent)
    : QPlainTextEdit(parent), m_link(new FieldLink(dataset, field, this, [this] { refresh(); }))
{
    // The widget tells of every change, its own refreshes included; only the user's count.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_refreshing)
            guard::run([this] { m_link->writeText(toPlainText()); });
    });
    refresh();
}

void DBMemo::refresh()
{
    const QString value = m_link->text();
    if (value != toPlainText()) {
        m_refreshing = true;
        setPlainText(value);
        m_refreshing = false;
    }
}
