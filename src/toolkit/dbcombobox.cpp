#include "dbcombobox.h"

#include "fieldlink.h"
#include "guard.h"

DBComboBox::DBComboBox(Dataset *dataset, const QString &field, QWidget *parent)
    : QComboBox(parent), m_link(new FieldLink(dataset, field, this, [this] { refresh(); }))
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (guard::run([&] { m_link->writeText(itemText(index)); }))
            Q_EMIT userChanged(index);
    });
    refresh();
}

Dataset *DBComboBox::dataset() const
{
    return m_link->dataset();
}

QString DBComboBox::field() const
{
    return m_link->field();
}

void DBComboBox::refresh()
{
    const QString value = m_link->text();
    const int index = value.isEmpty() ? -1 : findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index != currentIndex())
        setCurrentIndex(index);
}
