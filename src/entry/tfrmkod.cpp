#include "tfrmkod.h"

#include "codelist.h"
#include "toolkit/dialogs.h"

#include <QFrame>
#include <QLabel>
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

} // namespace

TFrmKod::TFrmKod(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    dialogs::setTitle(this, QStringLiteral("FrmKod"), kCaption);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QFrame *panel = codelist::panel(this);
    auto *inner = new QVBoxLayout(panel);
    inner->setContentsMargins(10, 10, 10, 10);
    inner->setSpacing(8);

    QLabel *heading = codelist::heading(kCaption, panel);
    heading->setFrameShape(QFrame::Box);
    heading->setMargin(4);
    inner->addWidget(heading);

    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPointSizeF(font().pointSizeF());
    const int bodyRows = int(std::size(kInstitutions));
    m_table = codelist::table(bodyRows + 1, 3, kCaption.trimmed(), panel);
    m_table->setWordWrap(false);

    m_table->setItem(0, 0, codelist::cell(QStringLiteral("Hizmet Kolu"), codelist::kHeaderCell));
    m_table->setItem(0, 1, codelist::cell(QStringLiteral("Kurum Kodu"), codelist::kHeaderCell));
    m_table->setItem(0, 2, codelist::cell(QStringLiteral("Kurum ve Kuruluşlar"), codelist::kHeaderCell));

    // One tall cell for the branch: every institution below belongs to branch 02.
    QTableWidgetItem *branch = codelist::cell(QStringLiteral("02"), Qt::white);
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
        QTableWidgetItem *code = codelist::cell(QStringLiteral("   ") + QString::fromLatin1(k.code), Qt::white);
        code->setFont(fixed);
        m_table->setItem(r, 1, code);
        QTableWidgetItem *name = codelist::cell(QString::fromUtf8(k.institution), Qt::white);
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
    codelist::fitToCells(m_table);
    inner->addWidget(m_table);
    layout->addWidget(panel);

    codelist::closeButton(this, QStringLiteral("BitBtn1"), layout, [this] { BitBtn1Click(); });
}

void TFrmKod::showModal()
{
    dialogs::centreOn(this, parentWidget());
    exec();
}

void TFrmKod::BitBtn1Click()
{
    close();
}
