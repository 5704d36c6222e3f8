#include "tayarfrm.h"

#include "toolkit/idlerefresh.h"
#include "colourbox.h"
#include "data/settings.h"
#include "passwordgate.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"
#include "toolkit/messages.h"
#include "tpasswdfrm.h"
#include "toolkit/standardicons.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>

using controls::name;

namespace {

// The names of the colour boxes, slot by slot.
const char *const kBoxNames[6] = {"RenkKayitsiz", "RenkTES", "RenkESen",
                                  "RenkEBir",     "RenkEIs", "RenkTec"};

// A page of the dialog, its controls one under the other.
QVBoxLayout *newPage(const QString &objectName, QWidget **page)
{
    *page = new QWidget;
    (*page)->setObjectName(objectName);
    auto *layout = new QVBoxLayout(*page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    return layout;
}

// A frame with rounded corners, as each page's explanation and controls stand in.
QFrame *roundedFrame(const QString &objectName, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(objectName);
    const QString style =
        QStringLiteral("QFrame#%1 { border: 1px solid #a0a0a0; border-radius: 8px; }");
    frame->setStyleSheet(style.arg(objectName));
    return frame;
}

// The explanation at the top of a page.
QFrame *explanation(const QString &objectName, const QString &text, QWidget *page)
{
    QFrame *frame = roundedFrame(objectName, page);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(12, 10, 12, 10);
    auto *label = new QLabel(text, frame);
    label->setWordWrap(true);
    layout->addWidget(label);
    return frame;
}

} // namespace

TAyarFrm::TAyarFrm(QWidget *mainWindow, Settings &settings, IdleRefresh *idle,
                   TPassWdFrm *passWdFrm, std::function<void()> applied)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                              Qt::MSWindowsFixedSizeDialogHint),
      m_mainWindow(mainWindow), m_settings(settings), m_passWdFrm(passWdFrm),
      m_applied(std::move(applied))
{
    dialogs::setTitle(this, QStringLiteral("AyarFrm"), QStringLiteral("Genel Ayarlar"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_pageControl = new QTabWidget(this);
    m_pageControl->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl->addTab(buildPasswordPage(), QStringLiteral(" Şifre Aktivasyonu "));
    m_pageControl->addTab(buildSwitchesPage(), QStringLiteral(" Görsel/İşlevsel Ayarlar "));
    m_pageControl->addTab(buildColoursPage(), QStringLiteral(" Sendika Grup Renkleri "));
    m_pageControl->addTab(buildServerPage(), QStringLiteral(" Sunucu "));
    // Every tab in sight: a hidden page behind scroll arrows is one the user never finds.
    m_pageControl->setUsesScrollButtons(false);
    // One size for every page: the dialog keeps its frame when the user changes pages.
    m_pageControl->setFixedSize(m_pageControl->sizeHint());
    layout->addWidget(m_pageControl);

    m_cancelBtn = new QPushButton(standardicons::get(QStyle::SP_DialogCancelButton),
                                  QStringLiteral("İptal"), this);
    name(m_cancelBtn, QStringLiteral("CancelBtn"), m_cancelBtn->text());
    m_cancelBtn->setAutoDefault(false);
    m_okBtn = new QPushButton(standardicons::get(QStyle::SP_DialogOkButton),
                              QStringLiteral("TAMAM"), this);
    name(m_okBtn, QStringLiteral("OKBtn"), m_okBtn->text());
    m_okBtn->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelBtn);
    buttons->addWidget(m_okBtn);
    layout->addLayout(buttons);

    m_cbRenk = new QComboBox(this);
    m_cbRenk->setObjectName(QStringLiteral("CbRenk"));
    m_cbRenk->hide();

    connect(m_okBtn, &QPushButton::clicked, this, [this] { guard::run([this] { OkBtnClick(); }); });
    connect(m_cancelBtn, &QPushButton::clicked, this,
            [this] { guard::run([this] { CancelBtnClick(); }); });
    // clicked() comes from the user only: the ticks set here never ask for the password.
    connect(m_sifreChk, &QCheckBox::clicked, this,
            [this] { guard::run([this] { SifreChkClick(); }); });
    connect(m_changePasswdBtn, &QPushButton::clicked, this,
            [this] { guard::run([this] { ChangePasswdBtnClick(); }); });
    for (int slot = 0; slot < 6; ++slot)
        connect(m_boxes[size_t(slot)], &ColourBox::pressed, this,
                [this, slot] { guard::run([this, slot] { RenkMouseDown(slot); }); });

    idle->addRule([this] { showSlotBoxes(); });

    ReloadProtection();
}

TAyarFrm::~TAyarFrm()
{
    StoreProtection();
}

QWidget *TAyarFrm::buildPasswordPage()
{
    QWidget *page;
    QVBoxLayout *layout = newPage(QStringLiteral("TabSheet1"), &page);
    layout->addWidget(explanation(QStringLiteral("Bevel1"),
                                  QStringLiteral("Program açılışına şifre atayarak başkalarının "
                                                 "bilgilere ulaşmasını önleyebilirsiniz. "),
                                  page));
    QFrame *controlsFrame = roundedFrame(QStringLiteral("Bevel2"), page);
    auto *row = new QHBoxLayout(controlsFrame);
    row->setContentsMargins(12, 10, 12, 10);
    m_sifreChk = new QCheckBox(QStringLiteral("Şifre Korumasını Aktifleştir"), controlsFrame);
    name(m_sifreChk, QStringLiteral("SifreChk"), m_sifreChk->text());
    row->addWidget(m_sifreChk);
    row->addStretch(1);
    m_changePasswdBtn = new QPushButton(QStringLiteral("Şifre Ata / Değiştir"), controlsFrame);
    name(m_changePasswdBtn, QStringLiteral("ChangePasswdBtn"), m_changePasswdBtn->text());
    m_changePasswdBtn->setAutoDefault(false);
    row->addWidget(m_changePasswdBtn);
    layout->addWidget(controlsFrame);
    layout->addStretch(1);
    return page;
}

QWidget *TAyarFrm::buildSwitchesPage()
{
    QWidget *page;
    QVBoxLayout *layout = newPage(QStringLiteral("TabSheet2"), &page);
    layout->addWidget(explanation(
        QStringLiteral("Bevel3"),
        QStringLiteral("Yazıcı önizleme ekranının ve Ana Ekranda logonun görünüp görünmeyeceğini, "
                       "kritik silme işlemlerinde sesli uyarı yapılmasını belirleyebilirsiniz."),
        page));
    auto box = [page, layout](const QString &objectName, const QString &caption) {
        auto *check = new QCheckBox(caption, page);
        name(check, objectName, caption);
        layout->addWidget(check);
        return check;
    };
    m_chkYazdir =
        box(QStringLiteral("ChkYazdir"), QStringLiteral("Yazıcı Önizleme Pencerelerini Aktif Et"));
    m_chkLogo = box(QStringLiteral("ChkLogo"), QStringLiteral("Ana Ekranda Sendika Logosu Göster"));
    m_chkSes = box(QStringLiteral("ChkSes"), QStringLiteral("Silme İşlemlerinde Sesli Uyarı Yap"));
    layout->addStretch(1);
    return page;
}

QWidget *TAyarFrm::buildServerPage()
{
    QWidget *page;
    QVBoxLayout *layout = newPage(QStringLiteral("TabSheet4"), &page);
    layout->addWidget(explanation(
        QStringLiteral("BevelSunucu"),
        QStringLiteral("Kayıtlar birçok birimin ortak kullandığı bir PostgreSQL sunucusunda "
                       "tutulacaksa bağlantı tanımını yazın (örneğin service=meltora). Boş "
                       "bırakılırsa kayıtlar Data.dat dosyasındadır. Parola buraya yazılmaz: "
                       "~/.pgpass dosyasından alınır ya da açılışta sorulur. Değişiklik programın "
                       "bir sonraki açılışında geçerli olur."),
        page));
    m_server = new QLineEdit(page);
    name(m_server, QStringLiteral("SunucuBaglantisi"), QStringLiteral("Sunucu bağlantı tanımı"));
    m_server->setPlaceholderText(QStringLiteral("service=meltora"));
    layout->addWidget(m_server);
    layout->addStretch(1);
    return page;
}

QWidget *TAyarFrm::buildColoursPage()
{
    QWidget *page;
    QVBoxLayout *layout = newPage(QStringLiteral("TabSheet3"), &page);
    auto *hint = new QLabel(QStringLiteral("Renk ayaları için kutucuklara tıklayın."), page);
    hint->setObjectName(QStringLiteral("Label7"));
    hint->setEnabled(false); // grey letters
    layout->addWidget(hint);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    for (int slot = 0; slot < 6; ++slot) {
        auto *box = new ColourBox(page);
        box->setObjectName(QLatin1String(kBoxNames[slot]));
        hints::set(box, QStringLiteral("Zemin Renkleri"));
        auto *label = new QLabel(page);
        label->setObjectName(QStringLiteral("Label0%1").arg(slot + 1));
        label->setMinimumWidth(190);
        // Slots 0-2 stand in the left column, 3-5 in the right one.
        const int row = slot % 3;
        const int column = slot / 3 * 3;
        grid->addWidget(box, row, column);
        grid->addWidget(label, row, column + 1);
        m_boxes[size_t(slot)] = box;
        m_labels[size_t(slot)] = label;
    }
    grid->setColumnMinimumWidth(2, 16);
    layout->addLayout(grid);
    layout->addStretch(1);
    return page;
}

void TAyarFrm::execute()
{
    // Another run may have changed the protection since the dialog was last open; a change
    // of this run's user still waiting (the close box left it) stays on show.
    if (!m_protectionChanged)
        ReloadProtection();
    m_colours = m_settings.colours;
    showColours();
    m_chkYazdir->setChecked(m_settings.preview);
    m_chkLogo->setChecked(m_settings.logo);
    m_chkSes->setChecked(m_settings.sound);
    m_server->setText(m_settings.server);
    m_pageControl->setCurrentIndex(0);
    dialogs::centreOn(this, m_mainWindow);
    exec();
}

void TAyarFrm::showColours()
{
    for (size_t k = 0; k < m_boxes.size(); ++k)
        m_boxes[k]->setColour(colourFromWin(m_colours[k]));
}

void TAyarFrm::showEvent(QShowEvent *event)
{
    // An item beyond the end of the list (fewer than five unions) gives an empty label.
    for (int k = 0; k < int(m_labels.size()); ++k)
        m_labels[size_t(k)]->setText(m_cbRenk->itemText(k));
    // The idle-time rule, applied at once: the union list may have changed since the dialog
    // was last open, and the boxes must match the new labels from the first moment.
    showSlotBoxes();
    QDialog::showEvent(event);
}

void TAyarFrm::showSlotBoxes()
{
    // A slot's box shows only while a union stands beside it.
    for (size_t k = 0; k < m_boxes.size(); ++k)
        IdleRefresh::setShown(m_boxes[k], !m_labels[k]->text().isEmpty());
}

void TAyarFrm::keyPressEvent(QKeyEvent *event)
{
    // Esc is "İptal"; only the close box leaves without either button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAyarFrm::OkBtnClick()
{
    const QString server = m_server->text().trimmed();
    // The settings file is readable by anyone who can read the folder: no password goes in.
    if (server.contains(QLatin1String("password"), Qt::CaseInsensitive) ||
        QRegularExpression(QStringLiteral("://[^/@]*:[^/@]*@")).match(server).hasMatch()) {
        m_pageControl->setCurrentWidget(m_server->parentWidget());
        messages::warning(this, QStringLiteral("Sunucu bağlantı tanımına parola yazılmaz: parolayı "
                                               "~/.pgpass dosyasına yazın ya da açılışta girin."));
        m_server->setFocus();
        return;
    }
    if (!StoreProtection())
        return;
    m_settings.server = server;
    m_settings.colours = m_colours;
    m_settings.preview = m_chkYazdir->isChecked();
    m_settings.logo = m_chkLogo->isChecked();
    m_settings.sound = m_chkSes->isChecked();
    accept();
    if (m_applied)
        m_applied();
}

void TAyarFrm::CancelBtnClick()
{
    ReloadProtection();
    reject();
}

void TAyarFrm::RenkMouseDown(int slot)
{
    const QColor chosen =
        QColorDialog::getColor(m_lastColour, this, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid()) // cancelled: the box stays as it was
        return;
    m_lastColour = chosen;
    m_colours[size_t(slot)] = colourToWin(chosen);
    m_boxes[size_t(slot)]->setColour(chosen);
}

void TAyarFrm::SifreChkClick()
{
    // The box has already changed its tick; without the password it goes back.
    if (!CheckPassword(false)) {
        m_sifreChk->setChecked(!m_sifreChk->isChecked());
        return;
    }
    m_protectionChanged = true;
}

void TAyarFrm::ChangePasswdBtnClick()
{
    if (!m_passWdFrm->execute(m_store.readPassword()))
        return;
    if (!messages::confirm(this, QStringLiteral("Şu anki şifreyi değiştirmek istiyor musunuz?")))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = m_store.writePassword(m_passWdFrm->newPassword());
    QApplication::restoreOverrideCursor();
    if (!written) {
        messages::showError(QStringLiteral("Şifre yazılamadı"));
        return;
    }
    // The flag follows the tick at "TAMAM" or when the program ends.
    m_sifreChk->setEnabled(true);
    m_sifreChk->setChecked(true);
    m_protectionChanged = true;
}

bool TAyarFrm::CheckPassword(bool onlyIfActive)
{
    return passwordgate::check(m_store, onlyIfActive, this);
}

bool TAyarFrm::StoreProtection()
{
    if (!m_protectionChanged)
        return true;
    const bool on = m_sifreChk->isChecked();
    QString error;
    if (m_store.readActive() != on && !m_store.writeActive(on, &error)) {
        messages::showError(error);
        return false;
    }
    // Stored: from now on the flag is the store's, which another run may change again.
    m_protectionChanged = false;
    return true;
}

void TAyarFrm::ReloadProtection()
{
    m_protectionChanged = false;
    m_sifreChk->setChecked(m_store.readActive());
    m_sifreChk->setEnabled(m_store.hasPassword());
}
