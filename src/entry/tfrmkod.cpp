#include "tfrmkod.h"

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

const QString kCaption = QStringLiteral("Eğitim, Öğretim ve Bilim Hizmetleri ");

const struct {
    const char *code;
    const char *institution;
} kInstitutions[] = {
    {"01", "Milli Eğitim Bakanlığı"},
    {"02", "Türkiye Orta Doğu Amme İdaresi Enstitüsü Genel Müdürlüğü"},
    {"03", "(19.3.2002 tarih ve 24700 sayılı Resmi Gazete)"},
    {"04", "Yüksek Öğretim Kurulu Başkanlığı"},
    {"05", "Üniversiteler Arası Kurul Başkanlığı"},
    {"06", "Öğrenci Seçme ve Yerleştirme Merkez Başkanlığı"},
    {"07", "Üniversiteler"},
    {"08", "Yüksek Teknoloji Enstitüleri"},
    {"09", "Yüksek Öğretim, Kredi ve Yurtlar Kurumu Müdürlüğü"},
};
// The row whose text is the official gazette reference rather than an institution.
constexpr int kGazetteRow = 2;

const QColor kHeaderCell(212, 208, 200);

// A cell that can only be read: not editable, not selectable.
QTableWidgetItem *cell(const QString &text, const QColor &background)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(background);
    return item;
}

} // namespace

TFrmKod::TFrmKod(TForm1 *form)
    : QDialog(form, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_form(form)
{
    setObjectName(QStringLiteral("FrmKod"));
    setWindowTitle(kCaption);
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
    inner->setContentsMargins(10, 10, 10, 10);
    inner->setSpacing(8);

    auto *heading = new QLabel(kCaption, panel);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setAlignment(Qt::AlignCenter);
    heading->setFrameShape(QFrame::Box);
    heading->setMargin(4);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() + 1);
    heading->setFont(bold);
    inner->addWidget(heading);

    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPointSizeF(font().pointSizeF());
    const int bodyRows = int(std::size(kInstitutions));
    m_table = new QTableWidget(bodyRows + 1, 3, panel);
    m_table->setObjectName(QStringLiteral("StringGrid1"));
    m_table->setAccessibleName(kCaption.trimmed());
    m_table->horizontalHeader()->hide();
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setContextMenuPolicy(Qt::PreventContextMenu);
    m_table->setWordWrap(false);

    m_table->setItem(0, 0, cell(QStringLiteral("Hizmet Kolu"), kHeaderCell));
    m_table->setItem(0, 1, cell(QStringLiteral("Kurum Kodu"), kHeaderCell));
    m_table->setItem(0, 2, cell(QStringLiteral("Kurum ve Kuruluşlar"), kHeaderCell));

    // One tall cell for the branch: every institution below belongs to branch 02.
    QTableWidgetItem *branch = cell(QStringLiteral("02"), Qt::white);
    QFont branchFont = fixed;
    branchFont.setBold(true);
    branchFont.setPointSizeF(fixed.pointSizeF() * 2);
    branch->setFont(branchFont);
    branch->setForeground(QColor(128, 128, 128));
    branch->setTextAlignment(Qt::AlignCenter);
    m_table->setItem(1, 0, branch);
    m_table->setSpan(1, 0, bodyRows, 1);

    int r = 1;
    for (const auto &k : kInstitutions) {
        QTableWidgetItem *code = cell(QStringLiteral("   ") + QString::fromLatin1(k.code), Qt::white);
        code->setFont(fixed);
        m_table->setItem(r, 1, code);
        QTableWidgetItem *name = cell(QString::fromUtf8(k.institution), Qt::white);
        if (r - 1 == kGazetteRow) {
            QFont italic = name->font();
            italic.setItalic(true);
            name->setFont(italic);
            name->setForeground(Qt::red);
        }
        m_table->setItem(r, 2, name);
        ++r;
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    // The tall branch cell would stretch the first institution's row; every row keeps the
    // height of an ordinary one.
    for (int row = 1; row <= bodyRows; ++row)
        m_table->setRowHeight(row, m_table->rowHeight(bodyRows));
    for (int c = 0; c < m_table->columnCount(); ++c)
        m_table->setColumnWidth(c, m_table->columnWidth(c) + 16);
    int width = 2 * m_table->frameWidth();
    for (int c = 0; c < m_table->columnCount(); ++c)
        width += m_table->columnWidth(c);
    int height = 2 * m_table->frameWidth();
    for (int row = 0; row < m_table->rowCount(); ++row)
        height += m_table->rowHeight(row);
    m_table->setFixedSize(width, height);
    inner->addWidget(m_table);
    layout->addWidget(panel);

    m_bitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("KAPAT"), this);
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn1->setAccessibleName(QStringLiteral("KAPAT"));
    m_bitBtn1->setMinimumWidth(96);
    connect(m_bitBtn1, &QPushButton::clicked, this, [this] { guard::run([this] { BitBtn1Click(); }); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_bitBtn1);
    layout->addLayout(buttons);
}

void TFrmKod::showModal()
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

void TFrmKod::BitBtn1Click()
{
    close();
}
