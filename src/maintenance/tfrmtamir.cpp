#include "tfrmtamir.h"

#include "compaction.h"
#include "pauses.h"
#include "salvage.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/guard.h"
#include "toolkit/messages.h"
#include "waitcursor.h"
#include "toolkit/standardicons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using controls::name;

namespace
{

const QColor kMaroon(128, 0, 0);
const QColor kGrey(128, 128, 128);
const QString kFailed = QStringLiteral("Hata! Veritabanının adı değiştirilmiş veya kullanımda !");
const QString kDamaged = QStringLiteral("Hata! Veritabanı dosyası hasarlı !");

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

// The tables as the user knows them.
QString tableCaption(const QString &table)
{
    static const QHash<QString, QString> captions = {
        {QStringLiteral("okul"), QStringLiteral("Birim")},
        {QStringLiteral("uyeler"), QStringLiteral("Personel")},
        {QStringLiteral("sabit"), QStringLiteral("Sabit bilgi")},
        {QStringLiteral("yetkili"), QStringLiteral("Program yetkilisi")},
        {QStringLiteral("sendikalar"), QStringLiteral("Sendika")},
        {QStringLiteral("veriler"), QStringLiteral("Excel aktarım")},
    };
    return captions.value(table, table);
}

} // namespace

TFrmTamir::TFrmTamir(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    dialogs::setTitle(this, QStringLiteral("FrmTamir"),
                      QStringLiteral("Veritabanı Bakım ve Onarımı"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *label9 = new QLabel(QStringLiteral("İŞLEM SONRASINDA PROGRAMI YENİDEN BAŞLATIN"), this);
    name(label9, QStringLiteral("Label9"));
    QFont bold = label9->font();
    bold.setBold(true);
    label9->setFont(bold);
    setTextColour(label9, Qt::blue);
    layout->addWidget(label9, 0, Qt::AlignHCenter);

    m_label1 = new QLabel(QStringLiteral("Veritabanı boyutu :"), this);
    name(m_label1, QStringLiteral("Label1"));
    m_label1->setEnabled(false);
    layout->addWidget(m_label1);
    layout->addWidget(buildSizePanel());

    m_label3 = new QLabel(QStringLiteral("Gösterge paneli"), this);
    name(m_label3, QStringLiteral("Label3"));
    m_label3->setFont(bold);
    m_label3->setEnabled(false);
    layout->addWidget(m_label3);
    m_progressBar1 = new QProgressBar(this);
    name(m_progressBar1, QStringLiteral("ProgressBar1"), QStringLiteral("Gösterge paneli"));
    m_progressBar1->setRange(0, 100);
    m_progressBar1->setValue(0);
    m_progressBar1->setFixedWidth(340);
    layout->addWidget(m_progressBar1);

    auto *buttons = new QHBoxLayout;
    m_button1 =
        new QPushButton(standardicons::get(QStyle::SP_MediaPlay), QStringLiteral("Başla"), this);
    name(m_button1, QStringLiteral("Button1"), QStringLiteral("Başla"));
    m_button6 = new QPushButton(standardicons::get(QStyle::SP_DialogCancelButton),
                                QStringLiteral("İptal"), this);
    name(m_button6, QStringLiteral("Button6"), QStringLiteral("İptal"));
    for (QPushButton *button : {m_button1, m_button6}) {
        button->setFlat(true);
        button->setAutoDefault(false);
        button->setMinimumSize(140, 34);
    }
    m_button1->setDefault(true);
    connect(m_button1, &QPushButton::clicked, this,
            [this] { guard::run([this] { Button1Click(); }); });
    connect(m_button6, &QPushButton::clicked, this,
            [this] { guard::run([this] { Button6Click(); }); });
    buttons->addWidget(m_button1);
    buttons->addStretch(1);
    buttons->addWidget(m_button6);
    layout->addLayout(buttons);
}

QWidget *TFrmTamir::buildSizePanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 6, 10, 6);
    grid->setHorizontalSpacing(10);
    auto *label2 = new QLabel(QStringLiteral("İşlem öncesi :"), panel);
    name(label2, QStringLiteral("Label2"));
    auto *label4 = new QLabel(QStringLiteral("İşlem sonrası :"), panel);
    name(label4, QStringLiteral("Label4"));
    m_label5 = new QLabel(QStringLiteral("..."), panel);
    name(m_label5, QStringLiteral("Label5"), label2->text());
    m_label6 = new QLabel(QStringLiteral("..."), panel);
    name(m_label6, QStringLiteral("Label6"), label4->text());
    for (QLabel *label : {label2, label4, m_label5, m_label6})
        setTextColour(label, kGrey);
    grid->addWidget(label2, 0, 0);
    grid->addWidget(m_label5, 0, 1);
    grid->addWidget(label4, 1, 0);
    grid->addWidget(m_label6, 1, 1);
    grid->setColumnStretch(1, 1);
    return panel;
}

QString TFrmTamir::sizeText(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return QStringLiteral("*.mbd dosyası bulunamadı!");
    return QLocale().formattedDataSize(file.size(), 2, QLocale::DataSizeTraditionalFormat);
}

void TFrmTamir::showFor(const QString &databasePath)
{
    m_databasePath = databasePath;
    m_label5->setText(sizeText(databasePath));
    setTextColour(m_label5, kMaroon);
    dialogs::centreOn(this, parentWidget());
    show();
    raise();
    activateWindow();
}

void TFrmTamir::Button1Click()
{
    if (m_stage == Stage::Ready)
        run();
    else if (m_stage == Stage::Finished)
        Button6Click();
}

void TFrmTamir::Button6Click()
{
    if (!requestExit())
        return;
    m_ending = true;
    close();
}

bool TFrmTamir::requestExit()
{
    return !m_requestExit || m_requestExit();
}

void TFrmTamir::closeEvent(QCloseEvent *event)
{
    // The close box asks as "İptal" does; "Hayır" keeps the window, the one left on screen.
    if (m_ending || (m_stage != Stage::Running && requestExit())) {
        m_ending = true;
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
}

void TFrmTamir::reject()
{
    if (m_ending)
        QDialog::reject();
    else
        close(); // Escape is the close box
}

void TFrmTamir::step(int add, int pauseMs)
{
    maintenance::pause(pauseMs);
    m_progressBar1->setValue(m_progressBar1->value() + add);
    m_progressBar1->repaint();
}

void TFrmTamir::run()
{
    m_stage = Stage::Running;
    m_button6->setEnabled(false);
    m_button1->setEnabled(false);
    maintenance::Compaction compaction(m_databasePath);
    maintenance::Compaction::Outcome outcome;
    {
        maintenance::WaitCursor wait;
        outcome = compaction.prepare();
        if (outcome == maintenance::Compaction::Outcome::Ready) {
            m_button1->setText(QStringLiteral("Bekleyiniz ..."));
            m_button1->repaint();
            step(20, 1000);
            step(20, 1000);
            step(30, 1000);
            if (compaction.replace()) {
                step(10, 1500);
                step(10, 1500);
                step(10, 1500);
            } else {
                outcome = maintenance::Compaction::Outcome::Failed;
            }
        }
        if (outcome != maintenance::Compaction::Outcome::Ready) {
            m_progressBar1->setValue(m_progressBar1->value() + 20);
            m_progressBar1->repaint();
            maintenance::pause(2000);
        }
    }
    m_stage = Stage::Finished;
    switch (outcome) {
    case maintenance::Compaction::Outcome::Ready:
        succeeded(sizeText(m_databasePath));
        break;
    case maintenance::Compaction::Outcome::Failed:
        failed(kFailed);
        messages::error(
            this, QStringLiteral("Veritabanı sıkıştırılamadı; Data.dat olduğu gibi duruyor.\n\n") +
                      compaction.error());
        break;
    case maintenance::Compaction::Outcome::Damaged:
        failed(kDamaged);
        offerSalvage(compaction.findings().value(0));
        break;
    }
}

void TFrmTamir::succeeded(const QString &sizeAfter)
{
    m_label3->setEnabled(true);
    m_label3->setText(QStringLiteral("İşlem başarıyla tamamlandı"));
    m_button1->setEnabled(true);
    m_button1->setText(QStringLiteral("Kapat"));
    m_label6->setText(sizeAfter);
    setTextColour(m_label6, Qt::blue);
    // The sizes are compared as they are shown, rounded.
    if (m_label5->text() == m_label6->text())
        messages::plain(
            this, QStringLiteral("Veritabanı performansı en iyi durumda. Değişik yapılmadı."));
}

void TFrmTamir::failed(const QString &status)
{
    m_label3->setEnabled(true);
    QFont plain = m_label3->font();
    plain.setBold(false);
    m_label3->setFont(plain);
    setTextColour(m_label3, kMaroon);
    m_label3->setText(status);
    m_button1->setEnabled(true);
    m_button1->setText(QStringLiteral("İşlem Başarısız"));
}

void TFrmTamir::offerSalvage(const QString &findings)
{
    const QString question =
        QStringLiteral(
            "Veritabanı dosyası hasarlı; bu haliyle sıkıştırılamaz. Dosyaya dokunulmadı:\n%1\n\n"
            "Denetimin bulduğu: %2\n\n"
            "Okunabilen kayıtlar yanına yeni bir dosyaya kaydedilsin mi?")
            .arg(QDir::toNativeSeparators(m_databasePath), findings);
    if (!messages::warningQuestion(this, question))
        return;
    maintenance::Salvage salvage;
    const QString target = maintenance::Salvage::targetBeside(m_databasePath);
    bool ok;
    {
        maintenance::WaitCursor wait;
        ok = salvage.run(m_databasePath, target);
    }
    if (!ok) {
        messages::error(this, salvage.error());
        return;
    }
    QStringList lines;
    for (const maintenance::Salvage::TableCount &count : salvage.counts())
        lines << QStringLiteral("%1: %2 kayıt%3")
                     .arg(tableCaption(count.table))
                     .arg(count.saved)
                     .arg(count.incomplete ? QStringLiteral(" (okunamayan kayıtlar var)")
                                           : QString());
    messages::information(
        this,
        QStringLiteral("Okunabilen kayıtlar yeni bir dosyaya kaydedildi:\n%1\n\n%2\n\n"
                       "Yeni dosyayı kullanmak için programı kapatın, Data.dat dosyasını başka "
                       "bir klasöre taşıyın ve yeni dosyanın adını Data.dat yapın.")
            .arg(QDir::toNativeSeparators(target), lines.join(QLatin1Char('\n'))));
}
