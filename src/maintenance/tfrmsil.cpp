#include "tfrmsil.h"

#include "toolkit/idlerefresh.h"
#include "bulkdelete.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "databasebackup.h"
#include "progressbar.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/guard.h"
#include "toolkit/messages.h"
#include "waitcursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using controls::name;
using maintenance::BulkDelete;

namespace
{

const QString kQuestion =
    QStringLiteral("Bu işlem seçili verileri kalici olarak silecek. Emin misiniz ?");
const QString kDone = QStringLiteral("İşlem Başarıyla Tamamlandı...");

} // namespace

TFrmSil::TFrmSil(SharedQueries *data, IdleRefresh *idle, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_data(data)
{
    dialogs::setTitle(this, QStringLiteral("FrmSil"), QStringLiteral("  Toplu Kayıt Silme"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(6);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QStringList captions = {QStringLiteral("Tüm Sendika Kayıtlarını Sil"),
                                  QStringLiteral("Tüm Personel Kayıtlarını Sil"),
                                  QStringLiteral("Tüm Birim Kayıtlarını Sil"),
                                  QStringLiteral("Sabit Bilgi Kayıtlarını Sil"),
                                  QStringLiteral("Program Yetkili Kayıtlarını Sil")};
    for (int i = 0; i < captions.size(); ++i) {
        auto *box = new QCheckBox(captions[i], this);
        name(box, QStringLiteral("CheckBox%1").arg(i + 1), captions[i]);
        layout->addWidget(box);
        m_boxes << box;
    }
    m_boxes[2]->setEnabled(false); // units only together with their staff

    layout->addSpacing(6);
    m_progressBar1 = new QProgressBar(this);
    name(m_progressBar1, QStringLiteral("ProgressBar1"), QStringLiteral("Silinen kayıtlar"));
    m_progressBar1->setRange(0, 1);
    m_progressBar1->setValue(0);
    m_progressBar1->setFixedWidth(360);
    layout->addWidget(m_progressBar1);

    auto *buttons = new QGridLayout;
    auto button = [this](const char *objectName, const QString &caption, int row, int column,
                         QGridLayout *grid, void (TFrmSil::*click)()) {
        auto *b = new QPushButton(caption, this);
        name(b, QLatin1String(objectName), caption);
        b->setAutoDefault(false);
        b->setMinimumHeight(30);
        connect(b, &QPushButton::clicked, this,
                [this, click] { guard::run([this, click] { (this->*click)(); }); });
        grid->addWidget(b, row, column);
        return b;
    };
    button("BitBtn1", QStringLiteral("Tümünü Seç"), 0, 0, buttons, &TFrmSil::BitBtn1Click);
    button("BitBtn2", QStringLiteral("Tümünü Bırak"), 0, 1, buttons, &TFrmSil::BitBtn2Click);
    m_bitBtn3 = button("BitBtn3", QStringLiteral("Seçili Kayıtları Sil"), 1, 0, buttons,
                       &TFrmSil::BitBtn3Click);
    m_bitBtn3->setEnabled(false);
    layout->addLayout(buttons);

    m_label1 = new QLabel(this);
    name(m_label1, QStringLiteral("Label1"), QStringLiteral("Sonuç"));
    m_label1->setEnabled(false);
    m_label1->setWordWrap(true);
    m_label1->setFixedWidth(360);
    m_label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_label1);

    auto *close = new QGridLayout;
    QPushButton *kapat =
        button("BitBtn4", QStringLiteral("KAPAT"), 0, 0, close, &TFrmSil::BitBtn4Click);
    kapat->setDefault(true);
    layout->addLayout(close);

    addIdleRule(idle);
}

void TFrmSil::addIdleRule(IdleRefresh *idle)
{
    idle->addRule([this] {
        const bool staff = m_boxes[1]->isChecked();
        if (!staff && m_boxes[2]->isChecked())
            m_boxes[2]->setChecked(false);
        IdleRefresh::setEnabled(m_boxes[2], staff);
        bool any = false;
        for (QCheckBox *box : std::as_const(m_boxes))
            any = any || box->isChecked();
        IdleRefresh::setEnabled(m_bitBtn3, any);
    });
}

QString TFrmSil::safetyCopyFolder()
{
    return ProgramDir::file(QStringLiteral("Yedekler"));
}

void TFrmSil::execute()
{
    FormShow();
    dialogs::centreOn(this, parentWidget());
    exec();
}

void TFrmSil::FormShow()
{
    m_label1->clear();
}

void TFrmSil::hideEvent(QHideEvent *event)
{
    // However the window goes (close box, "KAPAT", Escape), the next opening starts clean.
    if (!event->spontaneous())
        FormClose();
    QDialog::hideEvent(event);
}

void TFrmSil::FormClose()
{
    m_progressBar1->setRange(0, 1);
    m_progressBar1->setValue(0);
    for (QCheckBox *box : std::as_const(m_boxes))
        box->setChecked(false);
}

void TFrmSil::BitBtn1Click()
{
    for (QCheckBox *box : std::as_const(m_boxes))
        box->setChecked(true);
}

void TFrmSil::BitBtn2Click()
{
    for (QCheckBox *box : std::as_const(m_boxes))
        box->setChecked(false);
}

void TFrmSil::BitBtn4Click()
{
    close();
}

void TFrmSil::BitBtn3Click()
{
    if (!messages::warningQuestion(this, kQuestion)) {
        m_label1->setText(QStringLiteral("İşlem iptal edildi; hiçbir kayıt silinmedi."));
        return;
    }
    QString result;
    QString error;
    {
        maintenance::WaitCursor wait;
        deleteChecked(&result, &error);
    }
    m_label1->setText(result);
    if (!error.isEmpty())
        messages::error(this, error);
}

void TFrmSil::deleteChecked(QString *result, QString *error)
{
    BulkDelete bulk(m_data);
    const QList<BulkDelete::Kind> kinds = BulkDelete::allKinds();
    QList<BulkDelete::Kind> chosen;
    bool anything = false;
    for (int i = 0; i < kinds.size(); ++i)
        if (m_boxes[i]->isChecked()) {
            chosen << kinds[i];
            anything = anything || bulk.listed(kinds[i]) > 0;
        }

    QString copy;
    if (anything) {
        m_label1->setText(QStringLiteral("Veritabanının güvenlik kopyası alınıyor..."));
        m_label1->repaint();
        maintenance::DatabaseBackup backup(m_data->connection());
        if (!backup.safetyCopy(safetyCopyFolder(), &copy, error)) {
            *result = QStringLiteral("Güvenlik kopyası alınamadı; hiçbir kayıt silinmedi.");
            error->prepend(QStringLiteral("Silmeden önce veritabanının güvenlik kopyası alınamadı; "
                                          "hiçbir kayıt silinmedi.\n\n"));
            return;
        }
    }
    maintenance::ProgressBarShow progress(m_progressBar1);
    int kept = 0;
    for (BulkDelete::Kind kind : std::as_const(chosen)) {
        BulkDelete::Outcome outcome;
        if (!bulk.run(kind, &progress, &outcome, error)) {
            *result =
                QStringLiteral("İşlem yarıda kaldı: %1 silinemedi.").arg(BulkDelete::label(kind));
            if (!copy.isEmpty())
                *error += QStringLiteral("\n\nSilmeden önceki veritabanının kopyası: %1")
                              .arg(QDir::toNativeSeparators(copy));
            return;
        }
        kept += outcome.kept;
    }
    *result = kDone;
    if (kept > 0)
        *result += QStringLiteral(" Personeli olan %1 birim silinmedi.").arg(kept);
    if (!copy.isEmpty())
        *result += QStringLiteral(" Güvenlik kopyası: %1").arg(QDir::toNativeSeparators(copy));
}
