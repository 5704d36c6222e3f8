#include "codelist.h"

#include "toolkit/guard.h"
#include "toolkit/standardicons.h"

#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

namespace codelist {

QFrame *panel(QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAlignment(Qt::AlignCenter);
    QFont bold = label->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 1);
    label->setFont(bold);
    return label;
}

QTableWidget *table(int rows, int columns, const QString &accessibleName, QWidget *parent)
{
    auto *table = new QTableWidget(rows, columns, parent);
    table->setObjectName(QStringLiteral("StringGrid1"));
    table->setAccessibleName(accessibleName);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setContextMenuPolicy(Qt::PreventContextMenu);
    return table;
}

QTableWidgetItem *cell(const QString &text, const QColor &background)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(background);
    return item;
}

void fitToCells(QTableWidget *table)
{
    int width = 2 * table->frameWidth();
    for (int c = 0; c < table->columnCount(); ++c)
        width += table->columnWidth(c);
    int height = 2 * table->frameWidth();
    for (int row = 0; row < table->rowCount(); ++row)
        height += table->rowHeight(row);
    table->setFixedSize(width, height);
}

QPushButton *closeButton(QDialog *dialog, const QString &objectName, QBoxLayout *layout,
                         std::function<void()> command)
{
    auto *button = new QPushButton(standardicons::get(QStyle::SP_DialogCloseButton),
                                   QStringLiteral("KAPAT"), dialog);
    button->setObjectName(objectName);
    button->setAccessibleName(QStringLiteral("KAPAT"));
    button->setMinimumWidth(96);
    QObject::connect(button, &QPushButton::clicked, dialog,
                     [command = std::move(command)] { guard::run(command); });
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    layout->addLayout(row);
    return button;
}

} // namespace codelist
