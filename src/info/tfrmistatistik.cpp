#include "tfrmistatistik.h"

#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/safefile.h"
#include "data/sharedqueries.h"
#include "piechartview.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPushButton>
#include <memory>

namespace
{

constexpr int kBorder = 7;
constexpr QSize kClient(632, 300);
// The saved image has twice the pixels of the window's chart, so that it stays sharp printed.
constexpr qreal kImageScale = 2;

QString lastSaveFolder = QDir::homePath();

} // namespace

void TFrmIstatistik::execute(SharedQueries *data, QWidget *parent)
{
    std::unique_ptr<TFrmIstatistik> window;
    try {
        window = std::make_unique<TFrmIstatistik>(data->connection(), parent);
    } catch (const DbError &e) {
        messages::showError(e);
        return;
    }
    dialogs::centreOn(window.get(), parent);
    window->exec();
}

TFrmIstatistik::TFrmIstatistik(Database &connection, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_query(new Dataset(&connection, QStringLiteral("QueryIstatistik"), this))
{
    dialogs::setTitle(this, QStringLiteral("FrmIstatistik"),
                      QStringLiteral("  Sendikalar İstatistiği"));
    setModal(true);
    setFixedSize(kClient.width() + 2 * kBorder, kClient.height() + 2 * kBorder);

    // The union column compares without regard to case; the groups are its stored texts,
    // byte for byte, so that two spellings of one union stay two slices. Staff without a
    // union, whether stored empty or never filled in, are one group.
    m_query->addSql(
        QStringLiteral("SELECT IFNULL(sendikasi, '') AS sendikasi, COUNT(*) AS Expr1001"));
    m_query->addSql(QStringLiteral("FROM uyeler"));
    m_query->addSql(QStringLiteral("GROUP BY IFNULL(sendikasi, '') COLLATE BINARY"));
    m_query->open();

    m_chart = new PieChartView(this);
    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setGeometry(kBorder, kBorder, kClient.width(), 265);
    m_chart->chart().setTitle(QStringLiteral("SENDİKA ÜYE İSTATİSTİĞİ"));

    QPushButton *save = controls::commandButton(
        QStringLiteral("BtnKaydet"), QStringLiteral("Kaydet"),
        QStringLiteral("Grafiği kaydet|Grafiği PNG resmi olarak kaydeder"), this);
    save->setGeometry(kBorder + 536 - 97, kBorder + 272, 91, 25);
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &TFrmIstatistik::BtnKaydetClick);

    QPushButton *close = controls::commandButton(QStringLiteral("BitBtn1"), QStringLiteral("KAPAT"),
                                                 QString(), this);
    close->setGeometry(kBorder + 536, kBorder + 272, 91, 25);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &TFrmIstatistik::BitBtn1Click);
}

TFrmIstatistik::~TFrmIstatistik() = default;

void TFrmIstatistik::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFrmIstatistik::FormShow()
{
    PieChart &chart = m_chart->chart();
    chart.clear();
    const int label = m_query->fieldIndex(QStringLiteral("sendikasi"));
    const int count = m_query->fieldIndex(QStringLiteral("Expr1001"));
    for (m_query->first(); !m_query->eof(); m_query->next()) {
        const int row = m_query->recNo() - 1;
        chart.add(m_query->textAt(row, label), m_query->valueAt(row, count).toLongLong());
    }
    m_chart->update();
}

void TFrmIstatistik::BitBtn1Click()
{
    close();
}

void TFrmIstatistik::BtnKaydetClick()
{
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Grafiği Kaydet"),
        QDir(lastSaveFolder).filePath(QStringLiteral("Sendika İstatistiği.png")),
        QStringLiteral("PNG resmi (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    lastSaveFolder = QFileInfo(path).absolutePath();
    QString error;
    if (!saveChart(path, &error))
        messages::error(this, QStringLiteral("Grafik kaydedilemedi.\n%1").arg(error));
}

bool TFrmIstatistik::saveChart(const QString &path, QString *error) const
{
    SafeFile file(path);
    if (file.open()) {
        QImageWriter writer(&file, "png");
        if (writer.write(m_chart->render(kImageScale)) && file.commit())
            return true;
        file.cancel();
    }
    if (error)
        *error = file.failureText();
    return false;
}
