#include "dbcheckbox.h"

#include "fieldlink.h"
#include "guard.h"

DBCheckBox::DBCheckBox(const QString &caption, Dataset *dataset, const QString &field, QWidget *parent)
    : QCheckBox(caption, parent), m_link(new FieldLink(dataset, field, this, [this] { refresh(); }))
{
    connect(this, &QCheckBox::clicked, this,
            [this](bool checked) { guard::run([&] { m_link->writeValue(checked); }); });
    refresh();
}

void DBCheckBox::refresh()
{
    const bool value = m_link->value().toBool();
    if (value != isChecked())
        setChecked(value);
}
