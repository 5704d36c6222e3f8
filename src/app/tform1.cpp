#include "tform1.h"

#include "data/changenotices.h"

#include "data/backgroundopen.h"
#include "data/dberror.h"
#include "data/programdir.h"
#include "data/registerchoice.h"
#include "data/schema.h"
#include "data/sharedqueries.h"
#include "toolkit/idlerefresh.h"
#include "memberbrowser.h"
#include "stafflistarrival.h"
#include "tfrmgorunum.h"
#include "toolkit/tsrdbgrid.h"
#include "unitbrowser.h"
#include "info/supportlinks.h"
#include "toolkit/guard.h"
#include "toolkit/controls.h"
#include "toolkit/hints.h"
#include "toolkit/messages.h"
#include "toolkit/pictures.h"
#include "toolkit/screenfit.h"
#include "toolkit/standardicons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <future>

using controls::commandButton;
using controls::name;

namespace {

const QString kKayitsiz = QStringLiteral("<<< KAYITSIZ >>>");
constexpr int kBrowserPanelWidth = 797;

QPalette textPalette(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    return p;
}

// The browsers are placed over the information screen, at its left edge and full height.
class CentralArea : public QWidget
{
public:
    using QWidget::QWidget;
    QWidget *information = nullptr;
    QList<QWidget *> panels;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (information)
            information->setGeometry(rect());
        for (QWidget *panel : panels)
            panel->setGeometry(0, 0, kBrowserPanelWidth, height());
    }
};

} // namespace

TForm1 *TForm1::create(QString *error, QString *detail, DbError::Kind *kind)
{
    auto *data = new SharedQueries;
    TForm1 *form = nullptr;
    try {
        // Opening derives the key from the password, which takes a while: it is done on
        // another thread while the window is built, which needs no data yet.
        std::future<void> connecting = std::async(std::launch::async, [data] {
            data->connect(registerchoice::current());
        });
        try {
            form = new TForm1(data);
        } catch (...) {
            connecting.wait();
            throw;
        }
        connecting.get();
        // The queries' events already update the status bar while they open. An empty
        // result tells nothing when it opens, so the browsed lists are also moved to their
        // first row: counts of 0 and the controls that need rows follow then too.
        data->openAllButLongStaffList();
        data->units()->first();
        data->unitStaff()->first();
        if (data->staff()->isOpen())
            data->staff()->first();
        form->m_staffList->begin();
    } catch (const DbError &e) {
        const messages::Description said = messages::describe(e);
        if (kind)
            *kind = e.kind();
        if (error)
            *error = said.text;
        if (detail)
            *detail = said.detail;
        if (form)
            delete form; // the window owns the queries
        else
            delete data;
        return nullptr;
    }
    form->showRegisterPlace();
    form->followServerConnection();
    form->m_idle->install();
    qApp->installEventFilter(form); // key preview: F1 anywhere in the window
    screenfit::fitEveryWindow();
    QDate today = QDate::currentDate();
    const QString date = QLocale().toString(today, QStringLiteral("d MMMM yyyy - dddd"));
    form->m_label65->setText(date);
    form->m_label66->setText(date);
    SettingsFile::load(SettingsFile::defaultPath(), form->m_settings);
    form->setProgramName(form->m_settings.programName);
    form->setStaffColumnWidths(form->m_settings.columnWidths);
    return form;
}

TForm1::TForm1(SharedQueries *data) : m_data(data), m_idle(new IdleRefresh(this))
{
    m_data->setParent(this);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Meltora"));
    resize(1280, 800);
    setMinimumSize(1024, 640);

    buildToolBar();
    auto *body = new QWidget(this);
    body->setObjectName(QStringLiteral("Body"));
    auto *layout = new QHBoxLayout(body);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(buildLeftPanel());
    layout->addWidget(buildCentralArea(), 1);
    setCentralWidget(body);
    buildStatusBar();

    m_labelPersonel = new QLabel(QStringLiteral("0"), this);
    m_labelPersonel->setObjectName(QStringLiteral("LabelPersonel"));
    m_labelPersonel->hide();
    m_cbRenk = new QComboBox(this);
    m_cbRenk->setObjectName(QStringLiteral("CbRenk"));
    m_cbRenk->hide();
    registerUnionList(m_cbRenk, {kKayitsiz});

    m_unitBrowser = new UnitBrowser(this, m_panelKurum);
    m_memberBrowser = new MemberBrowser(this, m_panelPersonel);
    m_gorunum = new TFrmGorunum(this);
    m_unitBrowser->setVisibleFieldsDialog([this] { m_gorunum->chooseVisibleFields(); });

    connectCounts();
    addIdleRules();
    m_unitBrowser->addIdleRules();
}

TForm1::~TForm1() = default;

// ---------------------------------------------------------------- frame

void TForm1::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(20, 20));
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    auto addButton = [this](const QString &objectName, const QString &caption, const QString &hint,
                            QStyle::StandardPixmap icon) {
        auto *button = new QToolButton(m_toolBar);
        name(button, objectName, caption);
        button->setText(caption);
        button->setIcon(standardicons::get(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setMinimumSize(96, 36);
        hints::set(button, hint);
        if (!m_toolBar->actions().isEmpty())
            m_toolBar->addSeparator();
        m_toolBar->addWidget(button);
        return button;
    };

    QToolButton *sabit = addButton(QStringLiteral("ToolButton1"), QStringLiteral("   Sabit Bilgi Girişi   "),
                                   QStringLiteral("|Program için sabit bilgi giriş bölümü..."),
                                   QStyle::SP_FileDialogDetailedView);
    connect(sabit, &QToolButton::clicked, this, [this] {
        if (m_openFixedInformation)
            guard::run([this] { m_openFixedInformation(true); });
    });
    sabit->setEnabled(false);
    m_toolButton1 = sabit;

    QToolButton *vt = addButton(QStringLiteral("ToolButton10"), QStringLiteral("Veritanı İşlemleri"),
                                QStringLiteral("|Veritabanı onarım, yedekleme, silme işlemleri..."),
                                QStyle::SP_DriveHDIcon);
    m_popupVt = new QMenu(vt);
    m_popupVt->setObjectName(QStringLiteral("PopupVt"));
    auto vtItem = [this](const QString &caption, const QString &objectName, Command command) {
        QAction *action = m_popupVt->addAction(caption);
        action->setObjectName(objectName);
        m_commands.bind(command, action);
    };
    vtItem(QStringLiteral("Veritabanını Yedekle"), QStringLiteral("VeritabannYedekle1"), Command::Backup);
    vtItem(QStringLiteral("Yedekten Geri Yükle"), QStringLiteral("YedektenGeriYukle1"), Command::Restore);
    vtItem(QStringLiteral("Veritabanını Onar"), QStringLiteral("VeritabannOnar1"), Command::Repair);
    m_popupVt->addSeparator();
    vtItem(QStringLiteral("Veritabanını Temizle"), QStringLiteral("VeritabannTemizle1"), Command::BulkDelete);
    m_popupVt->addSeparator();
    vtItem(QStringLiteral("Excelden Veri Al"), QStringLiteral("ExceldenVeriAl1"), Command::ExcelImport);
    vt->setMenu(m_popupVt);
    vt->setPopupMode(QToolButton::InstantPopup);

    QToolButton *ayar = addButton(QStringLiteral("ToolButton2"), QStringLiteral(" Genel Ayarları  "),
                                  QStringLiteral("|Program kullanıcı ayarları..."),
                                  QStyle::SP_FileDialogListView);
    m_commands.bind(Command::GeneralSettings, ayar);
    QToolButton *stat = addButton(QStringLiteral("ToolButton8"), QStringLiteral("İstatistik"),
                                  QStringLiteral("Sendika kayıt istatistiği..."),
                                  QStyle::SP_FileDialogInfoView);
    m_commands.bind(Command::Statistics, stat);

    QToolButton *about = addButton(QStringLiteral("ToolButton3"), QStringLiteral("Hakkında"),
                                   QStringLiteral("|Program hakkında..."),
                                   QStyle::SP_MessageBoxInformation);
    m_popupYardim = new QMenu(about);
    m_popupYardim->setObjectName(QStringLiteral("PopupYardim"));
    QAction *aboutItem = m_popupYardim->addAction(QStringLiteral("Program Hakkında"));
    aboutItem->setObjectName(QStringLiteral("Hakknda1"));
    m_commands.bind(Command::About, aboutItem);
    m_popupYardim->addSeparator();
    QAction *help = m_popupYardim->addAction(QStringLiteral("Yardım - Açıklamalar"));
    help->setObjectName(QStringLiteral("Yardm1"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetShortcut); // F1 is handled on release by the window
    m_commands.bind(Command::Help, help);
    about->setMenu(m_popupYardim);
    about->setPopupMode(QToolButton::MenuButtonPopup);
    m_commands.bind(Command::About, about);

    QToolButton *quit = addButton(QStringLiteral("ToolButton4"), QStringLiteral("Programı Kapat"),
                                  QStringLiteral("|Programı kapat..."),
                                  QStyle::SP_DialogCloseButton);
    connect(quit, &QToolButton::clicked, this, &QWidget::close);
}

QWidget *TForm1::buildLeftPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("PanelSol"));
    panel->setFixedWidth(201);
    panel->setAutoFillBackground(true);
    QPalette grey = panel->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    panel->setPalette(grey);
    panel->setFrameShape(QFrame::StyledPanel);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 12, 0, 8);
    layout->setSpacing(8);

    // The date: a silver label one pixel below and right of a black one.
    auto *dateBox = new QWidget(panel);
    dateBox->setFixedHeight(24);
    m_label65 = new QLabel(dateBox);
    m_label66 = new QLabel(dateBox);
    name(m_label65, QStringLiteral("Label65"));
    name(m_label66, QStringLiteral("Label66"));
    QFont dateFont = m_label65->font();
    dateFont.setBold(true);
    for (QLabel *label : {m_label65, m_label66}) {
        label->setFont(dateFont);
        label->setAlignment(Qt::AlignCenter);
    }
    m_label65->setPalette(textPalette(m_label65, QColor(192, 192, 192)));
    m_label66->setPalette(textPalette(m_label66, Qt::black));
    m_label65->setGeometry(1, 1, 201, 22);
    m_label66->setGeometry(0, 0, 201, 22);
    m_label66->raise();
    layout->addWidget(dateBox);
    layout->addSpacing(8);

    auto addButton = [&](const QString &objectName, const QString &caption, const QString &hint) {
        QPushButton *button = commandButton(objectName, caption, hint, panel);
        button->setFixedSize(137, 41);
        layout->addWidget(button, 0, Qt::AlignHCenter);
        return button;
    };
    QPushButton *units = addButton(QStringLiteral("BitBtn1"), QStringLiteral("Birim/Personel Listesi"),
                                   QStringLiteral("|Birimler ve personel listeleri..."));
    connect(units, &QPushButton::clicked, this, [this] { guard::run([this] { BitBtn1Click(); }); });
    QPushButton *members = addButton(QStringLiteral("BitBtn2"), QStringLiteral("Personel Ara"),
                                     QStringLiteral("|Kayıtlı tüm peronel listesi..."));
    connect(members, &QPushButton::clicked, this, [this] { guard::run([this] { BitBtn2Click(); }); });
    m_commands.bind(Command::BlankMembershipForm,
                    addButton(QStringLiteral("BitBtn3"), QStringLiteral("Sendika Kayıt Formu"),
                              QStringLiteral("|Boş Sendika Kayıt Formu...")));
    m_commands.bind(Command::BlankResignationForm,
                    addButton(QStringLiteral("BitBtn10"), QStringLiteral("Sendika İstifa Formu"),
                              QStringLiteral("|Boş Sendika İstifa Formu")));

    layout->addSpacing(12);
    m_panel14 = new QFrame(panel);
    m_panel14->setObjectName(QStringLiteral("Panel14"));
    m_panel14->setFixedSize(112, 112);
    m_panel14->setFrameShape(QFrame::Panel);
    m_panel14->setFrameShadow(QFrame::Sunken);
    m_image1 = new QLabel(m_panel14);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setScaledContents(true);
    m_image1->setGeometry(2, 2, 108, 108);
    m_panel14->hide();
    layout->addWidget(m_panel14, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    m_label69 = new QLabel(support::kSite, panel);
    name(m_label69, QStringLiteral("Label69"), support::kSite);
    m_label69->setAlignment(Qt::AlignCenter);
    support::makeLink(m_label69, QColor(192, 192, 192));
    layout->addWidget(m_label69);
    return panel;
}

QWidget *TForm1::buildCentralArea()
{
    auto *area = new CentralArea(this);
    area->setObjectName(QStringLiteral("PanelOrta"));
    area->information = buildInformationScreen(area);

    m_panelKurum = new QFrame(area);
    m_panelKurum->setObjectName(QStringLiteral("PanelKurum"));
    m_panelPersonel = new QFrame(area);
    m_panelPersonel->setObjectName(QStringLiteral("PanelPersonel"));
    for (QWidget *panel : {m_panelKurum, m_panelPersonel}) {
        panel->setAutoFillBackground(true);
        panel->setFixedWidth(kBrowserPanelWidth);
        panel->hide();
        area->panels << panel;
    }
    return area;
}

QWidget *TForm1::buildInformationScreen(QWidget *parent)
{
    auto *screen = new QWidget(parent);
    screen->setObjectName(QStringLiteral("PanelBilgi"));
    screen->setAutoFillBackground(true);
    QPalette silver = screen->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    screen->setPalette(silver);

    QFont font = screen->font();
    font.setBold(true);
    font.setPointSize(16);

    // Every text is drawn twice: a grey copy one pixel up and left, the white one over it.
    auto shadowed = [&](const QString &objectName, const QString &text, int x, int y, int width) {
        auto *grey = new QLabel(text, screen);
        auto *white = new QLabel(text, screen);
        name(grey, objectName + QStringLiteral("Golge"), text);
        name(white, objectName, text);
        for (QLabel *label : {grey, white})
            label->setFont(font);
        grey->setPalette(textPalette(grey, QColor(128, 128, 128)));
        white->setPalette(textPalette(white, Qt::white));
        grey->setGeometry(x - 1, y - 1, width, 34);
        white->setGeometry(x, y, width, 34);
        return QList<QLabel *>{white, grey};
    };

    const QStringList captions = {QStringLiteral("Program Adı"), QStringLiteral("Sendika Adı"),
                                  QStringLiteral("Program Sorumlusu"),
                                  QStringLiteral("Sendikadaki Görevi")};
    const QStringList valueNames = {QStringLiteral("Label67"), QStringLiteral("DBTextSendika"),
                                    QStringLiteral("DBTextYetkili"), QStringLiteral("DBTextGorevi")};
    for (int row = 0; row < captions.size(); ++row) {
        const int y = 60 + row * 56;
        InfoRow info;
        info.captions = shadowed(QStringLiteral("LabelBaslik%1").arg(row + 1), captions[row], 40, y, 260);
        info.captions += shadowed(QStringLiteral("LabelIkiNokta%1").arg(row + 1), QStringLiteral(" : "),
                                  300, y, 30);
        info.values = shadowed(valueNames[row], QString(), 340, y, 700);
        m_infoRows << info;
    }
    // The program name's two labels carry the setting itself.
    m_label67 = m_infoRows[0].values[0];
    m_label68 = m_infoRows[0].values[1];
    m_label68->setObjectName(QStringLiteral("Label68"));
    return screen;
}

void TForm1::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const int widths[] = {100, 150, 155, 50};
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setMinimumWidth(widths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panel, i == 3 ? 1 : 0);
        m_statusPanels << panel;
    }
    m_registerPlace = new QLabel(bar);
    m_registerPlace->setObjectName(QStringLiteral("KayitYeri"));
    bar->addPermanentWidget(m_registerPlace);
    setStatusBar(bar);
}

void TForm1::showRegisterPlace()
{
    const Database &db = m_data->connection();
    QString how = QStringLiteral("şifreli dosya");
    if (db.isServer())
        how = db.isEncrypted() ? QStringLiteral("şifreli bağlantı")
              : db.isLocal()   ? QStringLiteral("yerel bağlantı")
                               : QStringLiteral("şifresiz bağlantı");
    m_registerPlace->setText(QStringLiteral(" %1: %2 (%3) ")
                                 .arg(db.isServer() ? QStringLiteral("Sunucu") : QStringLiteral("Kayıt"),
                                      db.description(), how));
    m_registerPlace->setStyleSheet(QString());
}

void TForm1::followServerConnection()
{
    ChangeNotices *notices = m_data->changeNotices();
    if (!notices)
        return;
    connect(notices, &ChangeNotices::connectionLost, this, [this] {
        m_registerPlace->setText(QStringLiteral(" Sunucu bağlantısı koptu; yeniden bağlanılıyor… "
                                                "Gösterilenler son alınan hâliyle duruyor. "));
        m_registerPlace->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    });
    connect(notices, &ChangeNotices::connectionBack, this, &TForm1::showRegisterPlace);
}

QLabel *TForm1::statusPanel(int index) const
{
    return m_statusPanels.value(index);
}

// ---------------------------------------------------------------- data in the frame

void TForm1::connectCounts()
{
    const auto unitCount = [this](Dataset *okul) {
        m_statusPanels[0]->setText(QStringLiteral(" Kayıtlı Birim: %1").arg(okul->recordCount()));
    };
    const auto unitStaffCount = [this](Dataset *uye) {
        m_statusPanels[1]->setText(QStringLiteral(" Birim/Personel Sayısı: %1").arg(uye->recordCount()));
    };
    const auto staffCount = [this](Dataset *personel) {
        m_statusPanels[2]->setText(
            QStringLiteral(" Toplam Kayıtlı Personel: %1").arg(personel->recordCount()));
    };
    const auto staffLabel = [this](Dataset *personel) {
        m_labelPersonel->setText(QString::number(personel->recordCount()));
    };
    connect(m_data->units(), &Dataset::afterScroll, this, unitCount);
    connect(m_data->unitStaff(), &Dataset::afterScroll, this, unitStaffCount);
    connect(m_data->staff(), &Dataset::afterOpen, this, staffLabel);
    connect(m_data->staff(), &Dataset::afterScroll, this, staffCount);
    // Another office's changes come into the lists without a move of the cursor.
    connect(m_data->units(), &Dataset::changesFollowed, this, unitCount);
    connect(m_data->unitStaff(), &Dataset::changesFollowed, this, unitStaffCount);
    connect(m_data->staff(), &Dataset::changesFollowed, this, staffLabel);
    connect(m_data->staff(), &Dataset::changesFollowed, this, staffCount);
    m_staffList = new StaffListArrival(m_data, m_labelPersonel, m_statusPanels[2], this);
}

bool TForm1::waitForStaffList()
{
    return m_staffList->wait();
}

void TForm1::addIdleRules()
{
    auto text = [](Dataset *query, const char *field) {
        return query->isOpen() && query->hasField(QLatin1String(field))
                   ? query->fieldText(QLatin1String(field))
                   : QString();
    };
    m_idle->addRule([this, text] {
        const QString values[] = {m_label67->text(), text(m_data->fixedInformation(), "sendikasi"),
                                  text(m_data->authority(), "yetkili_adi"),
                                  text(m_data->authority(), "sendikal_gorevi")};
        for (int row = 0; row < m_infoRows.size(); ++row) {
            if (row > 0)
                for (QLabel *label : m_infoRows[row].values)
                    if (label->text() != values[row])
                        label->setText(values[row]);
            for (QLabel *label : m_infoRows[row].captions)
                IdleRefresh::setShown(label, !values[row].isEmpty());
        }
    });
    m_idle->addRule([this] { IdleRefresh::setShown(m_panel14, m_settings.logo); });
}

QString TForm1::programName() const
{
    return m_label67->text();
}

void TForm1::setProgramName(const QString &name)
{
    m_label67->setText(name);
    m_label68->setText(name);
}

void TForm1::updateCaption()
{
    const QString authority = m_data->authority()->isOpen() && !m_data->authority()->isEmpty()
                                  ? m_data->authority()->fieldText(QStringLiteral("yetkili_adi"))
                                  : QString();
    setWindowTitle(programName() + QStringLiteral(" 2.0 - ") + authority);
}

void TForm1::registerUnionList(QComboBox *list, const QStringList &leadingItems, bool addresses)
{
    m_unionLists.append({list, leadingItems, addresses});
    if (list->count() == 0)
        list->addItems(leadingItems);
}

void TForm1::fillUnionLists()
{
    Dataset *unions = m_data->unions();
    if (!unions->isOpen())
        return;
    unions->first();
    while (!unions->eof()) {
        const QString union_ = unions->fieldText(QStringLiteral("sendikalar"));
        const QString address = unions->fieldText(QStringLiteral("adresi"));
        for (const UnionList &target : m_unionLists)
            target.list->addItem(target.addresses ? address : union_);
        unions->next();
    }
}

void TForm1::rebuildUnionLists()
{
    for (const UnionList &target : m_unionLists) {
        target.list->clear();
        target.list->addItems(target.leading);
    }
    fillUnionLists();
}

void TForm1::setFixedInformationForm(std::function<void(bool fromToolbar)> open)
{
    m_openFixedInformation = std::move(open);
    m_toolButton1->setEnabled(bool(m_openFixedInformation));
}

void TForm1::setStaffColumnWidths(const std::array<int, 23> &widths)
{
    m_settings.columnWidths = widths;
    TSrDBGrid *grid = m_unitBrowser->staffGrid();
    for (int c = 0; c < 23; ++c) {
        // A hidden column keeps its width for when it is shown again.
        const bool hidden = grid->isColumnHidden(c);
        if (hidden)
            grid->setColumnHidden(c, false);
        grid->setColumnWidth(c, widths[size_t(c)]);
        if (hidden)
            grid->setColumnHidden(c, true);
    }
    m_settings.columnWidths = widths;
}

void TForm1::loadLogo()
{
    m_image1->clear();
    if (!m_data->authority()->isOpen() || m_data->authority()->isEmpty())
        return;
    const QString path = m_data->authority()->fieldText(QStringLiteral("logo"));
    if (path.isEmpty())
        return;
    const QImage image = pictures::load(path);
    if (!image.isNull()) // a missing or unreadable picture leaves the frame empty
        m_image1->setPixmap(QPixmap::fromImage(image));
}

void TForm1::fixedInformationChanged()
{
    rebuildUnionLists();
    loadLogo();
    updateCaption();
}

QImage TForm1::logoPicture() const
{
    return m_image1->pixmap().toImage();
}

// ---------------------------------------------------------------- commands

void TForm1::BitBtn1Click()
{
    if (m_data->fixedInformation()->isEmpty() || m_data->unions()->isEmpty()) {
        const bool edit = messages::question(
            this, QStringLiteral(" Meltora"),
            QStringLiteral("SABİT BİLGİLER veya SENDİKA İSİMLERİ  düzenlenmemiş. Şimdi düzenlensin mi?"));
        if (edit && m_openFixedInformation)
            m_openFixedInformation(false);
    }
    m_panelKurum->show();
    m_panelPersonel->hide();
    m_unitBrowser->shown();
}

void TForm1::BitBtn2Click()
{
    if (!waitForStaffList())
        return;
    Dataset *personel = m_data->staff();
    personel->clearSql();
    personel->addSql(QStringLiteral("SELECT * FROM uyeler Order By adi"));
    personel->clearParams();
    // The rows held stay while the table is as it was when they were read (the list read at
    // start among them): a reading would give the same rows again.
    personel->reopen();
    m_panelPersonel->show();
    m_panelKurum->hide();
    m_memberBrowser->shown();
}

// ---------------------------------------------------------------- window events

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    updateCaption();
    fillUnionLists();
    loadLogo();
    m_readOnlyNoticeDue = m_data->connection().isReadOnly();
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_readOnlyNoticeDue) {
        // Said once, over the window the user sees: every save would be refused.
        m_readOnlyNoticeDue = false;
        QTimer::singleShot(0, this, [this] {
            messages::warning(this, QStringLiteral("Veritabanı salt okunur: kayıt yapılamaz."));
        });
    }
    if (event->type() == QEvent::StatusTip) {
        // Panel 3 shows the long hint of whatever is under the mouse.
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        const QString text = QLatin1Char(' ') + tip;
        if (m_statusPanels[3]->text() != text)
            m_statusPanels[3]->setText(text);
        return true;
    }
    return QMainWindow::event(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease && isHelpKey(watched, static_cast<QKeyEvent *>(event))) {
        m_commands.run(Command::Help);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::isHelpKey(QObject *receiver, const QKeyEvent *event) const
{
    if (event->key() != Qt::Key_F1 || event->isAutoRepeat() || event->modifiers() != Qt::NoModifier)
        return false;
    // The window sees keys before its controls: F1 released over any of them, once (the
    // event is offered to the focused control first, then to its parents).
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || widget->window() != this || QApplication::activeModalWidget())
        return false;
    QWidget *focus = QApplication::focusWidget();
    return widget == (focus && focus->window() == this ? focus : static_cast<const QWidget *>(this));
}

void TForm1::closeEvent(QCloseEvent *event)
{
    const bool quit = messages::question(this, QStringLiteral(" Meltora"),
                                         QStringLiteral("Programdan çıkmak istiyor musunuz?"));
    saveSettings();
    if (quit)
        event->accept();
    else
        event->ignore();
}

void TForm1::saveSettings()
{
    m_settings.programName = m_label67->text();
    QString failed;
    QString reason;
    if (!SettingsFile::save(SettingsFile::defaultPath(), m_settings, &failed, &reason))
        messages::showError(QStringLiteral("Unable to write to ") + failed, reason);
}
