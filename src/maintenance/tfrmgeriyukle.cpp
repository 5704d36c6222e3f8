#include "tfrmgeriyukle.h"

#include "data/programdir.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "tfrmsil.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/guard.h"
#include "toolkit/messages.h"
#include "waitcursor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using controls::name;

namespace
{

enum Column { Date, Units, Staff };
constexpr int kPathRole = Qt::UserRole;

QString countText(qint64 count)
{
    return count < 0 ? QStringLiteral("açılamıyor") : QLocale().toString(count);
}

} // namespace

TFrmGeriYukle::TFrmGeriYukle(SharedQueries *data, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_data(data)
{
    dialogs::setTitle(this, QStringLiteral("FrmGeriYukle"), QStringLiteral(" Yedekten Geri Yükle"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);

    auto *label1 = new QLabel(QStringLiteral("Kullanılan veritabanı"), this);
    name(label1, QStringLiteral("Label1"));
    m_label2 = new QLabel(this);
    name(m_label2, QStringLiteral("Label2"), label1->text());
    m_label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label1);
    layout->addWidget(m_label2);
    layout->addSpacing(8);

    auto *label3 = new QLabel(QStringLiteral("Güvenlik kopyaları (Yedekler klasörü), en yenisi üstte"), this);
    name(label3, QStringLiteral("Label3"));
    m_listView1 = new QTreeWidget(this);
    name(m_listView1, QStringLiteral("ListView1"), label3->text());
    m_listView1->setRootIsDecorated(false);
    m_listView1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView1->setHeaderLabels(
        {QStringLiteral("Tarih"), QStringLiteral("Birim"), QStringLiteral("Personel")});
    m_listView1->header()->setStretchLastSection(false);
    m_listView1->header()->setSectionResizeMode(Date, QHeaderView::Stretch);
    m_listView1->setMinimumSize(460, 220);
    connect(m_listView1, &QTreeWidget::itemSelectionChanged, this,
            [this] { guard::run([this] { ListView1Click(); }); });
    label3->setBuddy(m_listView1);
    layout->addWidget(label3);
    layout->addWidget(m_listView1);

    auto *label4 = new QLabel(QStringLiteral("Geri yüklenecek yedek"), this);
    name(label4, QStringLiteral("Label4"));
    auto *pickRow = new QHBoxLayout;
    m_edit1 = new QLineEdit(this);
    name(m_edit1, QStringLiteral("Edit1"), label4->text());
    m_edit1->setReadOnly(true);
    label4->setBuddy(m_edit1);
    auto *button1 = new QPushButton(QStringLiteral("Başka Bir Yedek Seç..."), this);
    name(button1, QStringLiteral("Button1"), button1->text());
    button1->setAutoDefault(false);
    connect(button1, &QPushButton::clicked, this, [this] { guard::run([this] { Button1Click(); }); });
    pickRow->addWidget(m_edit1, 1);
    pickRow->addWidget(button1);
    layout->addWidget(label4);
    layout->addLayout(pickRow);
    layout->addSpacing(8);

    auto *buttons = new QHBoxLayout;
    m_button2 = new QPushButton(QStringLiteral("GERİ YÜKLE"), this);
    name(m_button2, QStringLiteral("Button2"), m_button2->text());
    m_button2->setMinimumHeight(36);
    m_button2->setDefault(true);
    connect(m_button2, &QPushButton::clicked, this,
            [this] { guard::run([this] { Button2Click(); }); });
    auto *button3 = new QPushButton(QStringLiteral("KAPAT"), this);
    name(button3, QStringLiteral("Button3"), button3->text());
    button3->setAutoDefault(false);
    button3->setMinimumHeight(36);
    connect(button3, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(m_button2);
    buttons->addWidget(button3);
    layout->addLayout(buttons);
}

void TFrmGeriYukle::execute()
{
    m_label2->setText(QStringLiteral("%1: %2").arg(
        ProgramDir::caption(),
        QDir::toNativeSeparators(ProgramDir::file(QString::fromLatin1(schema::kDatabaseFile)))));
    m_edit1->clear();
    {
        // Each copy is opened with the key to count its rows: a moment per copy.
        maintenance::WaitCursor wait;
        listSafetyCopies();
    }
    dialogs::centreOn(this, parentWidget());
    exec();
}

void TFrmGeriYukle::listSafetyCopies()
{
    m_listView1->clear();
    const QLocale locale;
    for (const maintenance::BackupSummary &copy :
         maintenance::Restore::safetyCopies(TFrmSil::safetyCopyFolder())) {
        auto *item = new QTreeWidgetItem(m_listView1);
        item->setText(Date, locale.toString(copy.when, QStringLiteral("d MMMM yyyy HH:mm:ss")));
        item->setText(Units, countText(copy.units));
        item->setText(Staff, countText(copy.staff));
        item->setTextAlignment(Units, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(Staff, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(Date, kPathRole, copy.path);
        item->setToolTip(Date, QDir::toNativeSeparators(copy.path));
    }
}

QString TFrmGeriYukle::chosen() const
{
    return m_edit1->text().isEmpty() ? QString() : QDir::fromNativeSeparators(m_edit1->text());
}

void TFrmGeriYukle::choose(const QString &path)
{
    m_edit1->setText(QDir::toNativeSeparators(path));
    m_edit1->setCursorPosition(0);
}

void TFrmGeriYukle::ListView1Click()
{
    const QList<QTreeWidgetItem *> selected = m_listView1->selectedItems();
    if (!selected.isEmpty())
        choose(selected.first()->data(Date, kPathRole).toString());
}

void TFrmGeriYukle::Button1Click()
{
    QFileDialog dialog(this, QStringLiteral("Geri Yüklenecek Yedeği Seçin"), ProgramDir::path());
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Meltora veritabanı (*.dat)"),
                           QStringLiteral("Tüm dosyalar (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_listView1->clearSelection();
    choose(QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath());
}

bool TFrmGeriYukle::confirmed(const QString &backup)
{
    return messages::warningQuestion(
        this, QStringLiteral("Kullanılan veritabanı bu yedekle değiştirilecek:\n%1\n\n"
                             "Şimdiki veritabanı önce Yedekler klasörüne güvenlik kopyası "
                             "olarak kaydedilir. Devam edilsin mi?")
                  .arg(QDir::toNativeSeparators(backup)));
}

void TFrmGeriYukle::Button2Click()
{
    const QString backup = chosen();
    if (backup.isEmpty()) {
        messages::warning(this, QStringLiteral("Geri yüklenecek yedek seçilmedi !"));
        return;
    }
    if (!confirmed(backup) || (m_beforeRestore && !m_beforeRestore()))
        return;
    maintenance::Restore restore(*m_data);
    bool ok;
    {
        maintenance::WaitCursor wait;
        ok = restore.run(backup, TFrmSil::safetyCopyFolder());
        // Whatever happened, the windows show the register that is open now.
        if (m_afterRestore && m_data->connection().isOpen())
            m_afterRestore();
    }
    report(restore, ok);
}

void TFrmGeriYukle::report(const maintenance::Restore &restore, bool ok)
{
    if (!ok) {
        messages::error(this, restore.error());
        return;
    }
    const QLocale locale;
    messages::information(
        this, QStringLiteral("Yedek geri yüklendi. Veritabanında şimdi %1 birim ve %2 personel "
                             "kayıtlı.\n\nÖnceki veritabanının güvenlik kopyası:\n%3")
                  .arg(locale.toString(restore.units()), locale.toString(restore.staff()),
                       QDir::toNativeSeparators(restore.safetyCopy())));
    accept();
}
