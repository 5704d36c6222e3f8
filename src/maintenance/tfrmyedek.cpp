#include "tfrmyedek.h"

#include "data/programdir.h"
#include "data/schema.h"
#include "data/settings.h"
#include "data/sharedqueries.h"
#include "databasebackup.h"
#include "pauses.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/guard.h"
#include "toolkit/messages.h"
#include "waitcursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

using controls::name;

namespace
{

const QString kDone = QStringLiteral(
    "Yedekleme işlemi başarıyla tamamlandı. Veritanı dosyası belirlediğiniz klasöre kopyalandı.");
constexpr int kDatabasePause = 100;
constexpr int kSettingsPause = 50;

// Volumes a user can write a backup to; the system's own pseudo file systems are left out.
bool isUserVolume(const QStorageInfo &volume)
{
    if (!volume.isValid() || !volume.isReady())
        return false;
    const QString root = volume.rootPath();
    if (root == QLatin1String("/"))
        return true;
    static const QStringList userRoots = {QStringLiteral("/media/"), QStringLiteral("/mnt/"),
                                          QStringLiteral("/run/media/"), QStringLiteral("/home/")};
    for (const QString &prefix : userRoots)
        if (root.startsWith(prefix))
            return true;
    return false;
}

} // namespace

TFrmYedek::TFrmYedek(SharedQueries *data, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_data(data)
{
    dialogs::setTitle(this, QStringLiteral("FrmYedek"), QStringLiteral(" Yedekleme İşlemi"));
    setModal(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(16);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(buildLeftColumn());
    layout->addWidget(buildRightColumn(), 0, Qt::AlignTop);
}

void TFrmYedek::showFolders()
{
    if (m_folders)
        return;
    // Made at the first opening: the program does not read and watch folders at every start
    // for a window that may never be opened.
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setReadOnly(true);
    m_directoryOutline1->setModel(m_folders);
    for (int c = 1; c < m_folders->columnCount(); ++c)
        m_directoryOutline1->hideColumn(c);
    DriveComboBox1Change(m_driveComboBox1->currentIndex());
}

QWidget *TFrmYedek::buildLeftColumn()
{
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    auto *label1 = new QLabel(QStringLiteral("Yedekleme Klasörü Adı"), column);
    name(label1, QStringLiteral("Label1"));
    m_edit1 = new QLineEdit(QStringLiteral("YedekSendika"), column);
    name(m_edit1, QStringLiteral("Edit1"), label1->text());
    m_edit1->setFocusPolicy(Qt::ClickFocus);
    label1->setBuddy(m_edit1);
    layout->addWidget(label1);
    layout->addWidget(m_edit1);
    layout->addSpacing(8);

    auto *label2 = new QLabel(QStringLiteral("Yedekleme Konumu"), column);
    name(label2, QStringLiteral("Label2"));
    m_driveComboBox1 = new QComboBox(column);
    name(m_driveComboBox1, QStringLiteral("DriveComboBox1"), label2->text());
    m_driveComboBox1->setFocusPolicy(Qt::ClickFocus);
    for (const Place &place : places())
        m_driveComboBox1->addItem(place.caption, place.path);
    // The backup goes under the folder the program works in unless the user picks another
    // place: the program folder, the last place of the list.
    m_driveComboBox1->setCurrentIndex(m_driveComboBox1->count() - 1);
    connect(m_driveComboBox1, &QComboBox::currentIndexChanged, this,
            [this](int index) { DriveComboBox1Change(index); });
    layout->addWidget(label2);
    layout->addWidget(m_driveComboBox1);

    m_directoryOutline1 = new QTreeView(column);
    name(m_directoryOutline1, QStringLiteral("DirectoryOutline1"), QStringLiteral("Klasörler"));
    m_directoryOutline1->setHeaderHidden(true);
    m_directoryOutline1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_directoryOutline1->setFixedSize(300, 260);
    layout->addWidget(m_directoryOutline1);
    return column;
}

QWidget *TFrmYedek::buildRightColumn()
{
    auto *column = new QWidget(this);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    auto *label3 = new QLabel(QStringLiteral("Durum"), column);
    name(label3, QStringLiteral("Label3"));
    m_progressBar1 = new QProgressBar(column);
    name(m_progressBar1, QStringLiteral("ProgressBar1"), label3->text());
    m_progressBar1->setRange(0, 100);
    m_progressBar1->setValue(0);
    m_progressBar1->setFixedWidth(200);
    layout->addWidget(label3);
    layout->addWidget(m_progressBar1);
    layout->addSpacing(12);

    auto *group = new QGroupBox(QStringLiteral(" Yedeklenecek Veriler "), column);
    name(group, QStringLiteral("GroupBox1"), group->title());
    auto *groupLayout = new QVBoxLayout(group);
    m_checkBox1 = new QCheckBox(QStringLiteral("Veritabanı"), group);
    name(m_checkBox1, QStringLiteral("CheckBox1"), m_checkBox1->text());
    m_checkBox1->setChecked(true);
    m_checkBox2 = new QCheckBox(QStringLiteral("Ayar Dosyası"), group);
    name(m_checkBox2, QStringLiteral("CheckBox2"), m_checkBox2->text());
    groupLayout->addWidget(m_checkBox1);
    groupLayout->addWidget(m_checkBox2);
    layout->addWidget(group);
    layout->addSpacing(12);

    m_button1 = new QPushButton(QStringLiteral("YEDEKLE"), column);
    name(m_button1, QStringLiteral("Button1"), m_button1->text());
    m_button1->setMinimumHeight(36);
    m_button1->setDefault(true);
    connect(m_button1, &QPushButton::clicked, this,
            [this] { guard::run([this] { Button1Click(); }); });
    layout->addWidget(m_button1);
    layout->addStretch(1);
    return column;
}

QList<TFrmYedek::Place> TFrmYedek::places()
{
    QList<Place> list;
    list.append({QStringLiteral("Ev Klasörü (%1)").arg(QDir::toNativeSeparators(QDir::homePath())),
                 QDir::homePath()});
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!isUserVolume(volume))
            continue;
        const QString root = volume.rootPath();
        const QString shown =
            volume.name().isEmpty() || volume.name() == root
                ? QDir::toNativeSeparators(root)
                : QStringLiteral("%1 (%2)").arg(volume.name(), QDir::toNativeSeparators(root));
        list.append({shown, root});
    }
    list.append(
        {QStringLiteral("%1 (%2)").arg(ProgramDir::caption(), QDir::toNativeSeparators(ProgramDir::path())),
         ProgramDir::path()});
    return list;
}

void TFrmYedek::DriveComboBox1Change(int index)
{
    const QString root = m_driveComboBox1->itemData(index).toString();
    if (root.isEmpty() || !m_folders)
        return;
    m_folders->setRootPath(root);
    m_directoryOutline1->setRootIndex(m_folders->index(root));
    m_directoryOutline1->clearSelection();
    m_directoryOutline1->setCurrentIndex(QModelIndex());
}

QString TFrmYedek::location() const
{
    const QModelIndexList selected =
        m_folders ? m_directoryOutline1->selectionModel()->selectedIndexes() : QModelIndexList();
    if (!selected.isEmpty())
        return m_folders->filePath(selected.first());
    return m_driveComboBox1->currentData().toString();
}

void TFrmYedek::execute()
{
    showFolders();
    dialogs::centreOn(this, parentWidget());
    exec();
}

void TFrmYedek::stepTo(int value, int pauseMs)
{
    m_progressBar1->setValue(value);
    m_progressBar1->repaint();
    if (pauseMs > 0)
        maintenance::pause(pauseMs);
}

bool TFrmYedek::copyWithSteps(int pauseMs, const std::function<bool(QString *)> &copy,
                              QString *error)
{
    stepTo(0, 0);
    stepTo(25, pauseMs);
    stepTo(50, pauseMs);
    stepTo(75, pauseMs);
    stepTo(100, pauseMs);
    const bool ok = copy(error);
    stepTo(0, pauseMs);
    return ok;
}

bool TFrmYedek::backUp(QString *error)
{
    const QString target = maintenance::DatabaseBackup::targetFolder(location(), m_edit1->text());
    if (!maintenance::makeFolder(target, error))
        return false;
    stepTo(0, 0);
    maintenance::DatabaseBackup backup(m_data->connection());
    const QDir folder(target);
    if (m_checkBox1->isChecked()) {
        const QString copy = folder.filePath(QString::fromLatin1(schema::kDatabaseFile));
        if (!copyWithSteps(
                kDatabasePause, [&](QString *e) { return backup.copyTo(copy, e); }, error))
            return false;
    }
    if (m_checkBox2->isChecked()) {
        const QString source = SettingsFile::defaultPath();
        const QString copy = folder.filePath(QFileInfo(source).fileName());
        if (!copyWithSteps(
                kSettingsPause, [&](QString *e) { return backup.copySettings(source, copy, e); },
                error)) {
            if (m_checkBox1->isChecked())
                error->prepend(
                    QStringLiteral("Veritabanı yedeklendi, ancak ayar dosyası yedeklenemedi.\n"));
            return false;
        }
    }
    return true;
}

void TFrmYedek::Button1Click()
{
    if (!m_checkBox1->isChecked() && !m_checkBox2->isChecked()) {
        messages::warning(this, QStringLiteral("Yedekleme için seçim yapılmadı !"));
        return;
    }
    QString error;
    bool ok;
    {
        maintenance::WaitCursor wait;
        ok = backUp(&error);
    }
    if (!ok) {
        stepTo(0, 0);
        messages::error(this, error);
        return;
    }
    messages::plain(this, kDone);
    accept();
}
