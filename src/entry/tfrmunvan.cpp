#include "tfrmunvan.h"

#include "codelist.h"
#include "toolkit/dialogs.h"

#include <QFrame>
#include <QLabel>
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

// The codes stand out in bold.
QTableWidgetItem *codeCell(const QString &text)
{
    QTableWidgetItem *item = codelist::cell(text, Qt::white);
    QFont f = item->font();
    f.setBold(true);
    item->setFont(f);
    return item;
}

} // namespace

TFrmUnvan::TFrmUnvan(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    dialogs::setTitle(this, QStringLiteral("FrmUnvan"), QStringLiteral(" Kadro Ünvan Kodları"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QFrame *panel = codelist::panel(this);
    auto *inner = new QVBoxLayout(panel);
    inner->setContentsMargins(10, 8, 10, 10);
    inner->setSpacing(8);

    inner->addWidget(codelist::heading(QStringLiteral("KADRO ÜNVAN KODLARI"), panel));

    const int rows = int(std::size(kTitles)) + 1;
    m_table = codelist::table(rows, 2, QStringLiteral("Kadro Ünvan Kodları"), panel);
    m_table->setItem(0, 0, codelist::cell(QStringLiteral("Kadro"), codelist::kHeaderCell));
    m_table->setItem(0, 1, codelist::cell(QStringLiteral("Ünvan Kodu"), codelist::kHeaderCell));
    int r = 1;
    for (const auto &t : kTitles) {
        m_table->setItem(r, 0, codelist::cell(QString::fromUtf8(t.title), Qt::white));
        m_table->setItem(r, 1, codeCell(QLatin1Char(' ') + QString::fromLatin1(t.code)));
        ++r;
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    m_table->setColumnWidth(0, m_table->columnWidth(0) + 40);
    m_table->setColumnWidth(1, m_table->columnWidth(1) + 20);
    codelist::fitToCells(m_table);
    inner->addWidget(m_table);
    layout->addWidget(panel);

    codelist::closeButton(this, QStringLiteral("Button1"), layout, [this] { Button1Click(); });
}

void TFrmUnvan::showModal()
{
    dialogs::centreOn(this, parentWidget());
    exec();
}

void TFrmUnvan::Button1Click()
{
    close();
}
