#include "tfrmgorunum.h"

#include "data/settings.h"
#include "tform1.h"
#include "toolkit/dialogs.h"
#include "toolkit/controls.h"
#include "toolkit/messages.h"
#include "toolkit/guard.h"
#include "toolkit/standardicons.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using controls::commandButton;
using controls::name;

namespace {

// Box n governs column n - 1 of the staff grid; the captions follow the grid's columns.
const char *const kCaptions[23] = {
    "Adı Soyadı",      "Kayıtlı Olduğu Sendika", "Sendikaya Kayıt Tarihi", "Kadro Ünvanı",
    "Branşı",          "Ev Telefonu",            "Cep Telefonu",           "Çalıştığı Birim",
    "İşyeri Telefonu", "Hizmet Yılı",            "Çalıştığı İl",           "E-Posta Adresi",
    "Baba Adı",        "Anne Adı",               "TC Kimlik No",           "Doğum Yeri",
    "Doğum Tarihi",    "Cinsiyeti",              "Ev Adresi",              "Medeni Durumu",
    "Eşinin Mesleği",  "Eşinin Çalıştığı Kurum", "KAN GRUBU"};
constexpr int kLeftColumnBoxes = 11;

const QString kResetQuestion = QStringLiteral(
    "Bu işlem Alan Görünümü ve Genişlik ayarlarını ilk ayarlarına döndürecek. Onaylıyor musunuz?");

} // namespace

TFrmGorunum::TFrmGorunum(TForm1 *form)
    : QDialog(form, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_form(form)
{
    dialogs::setTitle(this, QStringLiteral("FrmGorunum"), QStringLiteral("  Gösterilecek Bilgi Alanları"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *boxes = new QGridLayout;
    boxes->setHorizontalSpacing(24);
    boxes->setVerticalSpacing(4);
    for (int i = 0; i < 23; ++i) {
        const QString caption = QString::fromUtf8(kCaptions[i]);
        auto *box = new QCheckBox(caption, this);
        name(box, QStringLiteral("CheckBox%1").arg(i + 1), caption);
        if (i < kLeftColumnBoxes)
            boxes->addWidget(box, i, 0);
        else
            boxes->addWidget(box, i - kLeftColumnBoxes, 1);
        m_boxes[size_t(i)] = box;
    }
    // The name column is always shown: its box only says so.
    m_boxes[0]->setChecked(true);
    m_boxes[0]->setEnabled(false);
    layout->addLayout(boxes);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto button = [this](const QString &objectName, const QString &caption,
                         QStyle::StandardPixmap icon) {
        auto *b = new QPushButton(standardicons::get(icon), caption, this);
        name(b, objectName, caption);
        b->setAutoDefault(false);
        return b;
    };
    m_bitBtn3 = button(QStringLiteral("BitBtn3"), QStringLiteral("Orijinal Ayarlara Dön"),
                       QStyle::SP_BrowserReload);
    m_bitBtn2 = button(QStringLiteral("BitBtn2"), QStringLiteral("İptal"),
                       QStyle::SP_DialogCancelButton);
    m_bitBtn1 = button(QStringLiteral("BitBtn1"), QStringLiteral("ONAYLA"),
                       QStyle::SP_DialogOkButton);
    // Enter confirms; a stray Enter must never reset the layout.
    m_bitBtn1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_bitBtn3);
    buttons->addStretch(1);
    buttons->addWidget(m_bitBtn2);
    buttons->addWidget(m_bitBtn1);
    layout->addLayout(buttons);

    connect(m_bitBtn1, &QPushButton::clicked, this,
            [this] { guard::run([this] { BitBtn1Click(); }); });
    connect(m_bitBtn2, &QPushButton::clicked, this,
            [this] { guard::run([this] { BitBtn2Click(); }); });
    connect(m_bitBtn3, &QPushButton::clicked, this,
            [this] { guard::run([this] { BitBtn3Click(); }); });
}

void TFrmGorunum::chooseVisibleFields()
{
    const auto &flags = m_form->settings().fieldFlags;
    for (size_t n = 1; n < m_boxes.size(); ++n)
        m_boxes[n]->setChecked(flags[n]);
    dialogs::centreOn(this, m_form);
    exec();
}

void TFrmGorunum::BitBtn1Click()
{
    auto &flags = m_form->settings().fieldFlags;
    for (size_t n = 1; n < m_boxes.size(); ++n)
        flags[n] = m_boxes[n]->isChecked();
    accept();
}

void TFrmGorunum::BitBtn2Click()
{
    reject();
}

void TFrmGorunum::BitBtn3Click()
{
    if (!messages::warningQuestion(this, kResetQuestion))
        return;
    const Settings factory;
    for (size_t n = 1; n < m_boxes.size(); ++n)
        m_boxes[n]->setChecked(factory.fieldFlags[n]);
    // The widths take effect at once; the column choice waits for "ONAYLA".
    m_form->setStaffColumnWidths(factory.columnWidths);
}
