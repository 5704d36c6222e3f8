#include "tfrmunvan.h"

#include "app/tform1.h"
#include "toolkit/guard.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const struct {
    const char *title;
    const char *code;
} kTitles[] = {
    {"Profesör", "1550"},
    {"Öğretmen", "5900"},
    {"Okul Müdürü", "4390"},
    {"Okul Müdür Yardımcısı", "4805"},
    {"Memur", "7555"},
    {"Yardımcı Hizmetler", "9400"},
    {"Teknisyen", "8790"},
    {"Sayman", "7515"},
};

const QColor kHeaderCell(212, 208, 200);

// A cell that can only be read: not editable, not selectable.
QTableWidgetItem *cell(const QString &text, const QColor &background, bool bold)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(background);
    if (bold) {
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
    }
    return item;
}

} // namespace

TFrmUnvan::TFrmUnvan(TForm1 *form)
    : QDialog(form, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_form(form)
{
    setObjectName(QStringLiteral("FrmUnvan"));
    setWindowTitle(QStringLiteral(" Kadro Ünvan Kodları"));
    setAccessibleName(windowTitle().trimmed());
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *inner = new QVBoxLayout(panel);
    inner->setContentsMargins(10, 8, 10, 10);
    inner->setSpacing(8);

    auto *heading = new QLabel(QStringLiteral("KADRO ÜNVAN KODLARI"), panel);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setAlignment(Qt::AlignCenter);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 1);
    heading->setFont(bold);
    inner->addWidget(heading);

    const int rows = int(std::size(kTitles)) + 1;
    m_table = new QTableWidget(rows, 2, panel);
    m_table->setObjectName(QStringLiteral("StringGrid1"));
    m_table->setAccessibleName(QStringLiteral("Kadro Ünvan Kodları"));
    m_table->horizontalHeader()->hide();
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setContextMenuPolicy(Qt::PreventContextMenu);
    m_table->setItem(0, 0, cell(QStringLiteral("Kadro"), kHeaderCell, false));
    m_table->setItem(0, 1, cell(QStringLiteral("Ünvan Kodu"), kHeaderCell, false));
    int r = 1;
    for (const auto &t : kTitles) {
        m_table->setItem(r, 0, cell(QString::fromUtf8(t.title), Qt::white, false));
        m_table->setItem(r, 1, cell(QLatin1Char(' ') + QString::fromLatin1(t.code), Qt::white, true));
        ++r;
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    m_table->setColumnWidth(0, m_table->columnWidth(0) + 40);
    m_table->setColumnWidth(1, m_table->columnWidth(1) + 20);
    int width = 2 * m_table->frameWidth();
    for (int c = 0; c < m_table->columnCount(); ++c)
        width += m_table->columnWidth(c);
    int height = 2 * m_table->frameWidth();
    for (int row = 0; row < m_table->rowCount(); ++row)
        height += m_table->rowHeight(row);
    m_table->setFixedSize(width, height);
    inner->addWidget(m_table);
    layout->addWidget(panel);

    m_button1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("KAPAT"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setAccessibleName(QStringLiteral("KAPAT"));
    m_button1->setMinimumWidth(96);
    connect(m_button1, &QPushButton::clicked, this, [this] { guard::run([this] { Button1Click(); }); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_button1);
    layout->addLayout(buttons);
}

void TFrmUnvan::showModal()
{
    adjustSize();
    // Centred on the main window wherever that stands now; the native window must exist for
    // the frame to be counted in.
    winId();
    QRect frame = frameGeometry();
    frame.moveCenter(m_form->frameGeometry().center());
    move(frame.topLeft());
    exec();
}

void TFrmUnvan::Button1Click()
{
    close();
}
