#include "tgetpasswdfrm.h"

#include "passwordbox.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using controls::name;

namespace {

// A gold key lying on its side: the bow with its hole on the left, the bit on the right.
QPixmap keyPicture()
{
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath key;
    key.addEllipse(QRectF(3, 14, 20, 20));
    key.addRect(QRectF(20, 21, 25, 6));
    key.addRect(QRectF(36, 27, 4, 7));
    key.addRect(QRectF(41, 27, 4, 9));
    QPainterPath hole;
    hole.addEllipse(QRectF(8, 19, 7, 10));
    p.setPen(QPen(QColor(120, 90, 10), 1.5));
    p.setBrush(QColor(222, 178, 40));
    p.drawPath(key.simplified().subtracted(hole));
    return picture;
}

} // namespace

TGetPassWdFrm::TGetPassWdFrm(std::function<bool(const QString &)> isPassword, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_isPassword(std::move(isPassword))
{
    dialogs::setTitle(this, QStringLiteral("GetPassWdFrm"), QStringLiteral("Şifre Gir"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 12);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *title = new QLabel(QStringLiteral("MELTORA"), this);
    name(title, QStringLiteral("LabelTitle"), title->text());
    QFont big = title->font();
    big.setPointSize(26);
    big.setBold(true);
    title->setFont(big);
    QPalette grey = title->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    title->setPalette(grey);
    auto *shadow = new QGraphicsDropShadowEffect(title);
    shadow->setColor(QColor(192, 192, 192));
    shadow->setOffset(2, 2);
    shadow->setBlurRadius(0);
    title->setGraphicsEffect(shadow);
    layout->addWidget(title, 0, Qt::AlignHCenter);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Bevel1"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto *inFrame = new QHBoxLayout(frame);
    inFrame->setContentsMargins(10, 10, 10, 10);
    inFrame->setSpacing(12);
    auto *key = new QLabel(frame);
    key->setObjectName(QStringLiteral("Image1"));
    key->setPixmap(keyPicture());
    inFrame->addWidget(key, 0, Qt::AlignTop);
    auto *entry = new QVBoxLayout;
    entry->setSpacing(4);
    auto *prompt = new QLabel(QStringLiteral("Şifrenizi girin"), frame);
    prompt->setObjectName(QStringLiteral("Label1"));
    entry->addWidget(prompt);
    auto *row = new QHBoxLayout;
    m_edit = new QLineEdit(frame);
    name(m_edit, QStringLiteral("EditPassword"), prompt->text());
    m_edit->setMinimumWidth(200);
    passwordbox::setMasked(m_edit, true);
    prompt->setBuddy(m_edit);
    row->addWidget(m_edit, 1);
    m_show = new QCheckBox(QStringLiteral("Göster"), frame);
    name(m_show, QStringLiteral("ShowChk"), m_show->text());
    m_show->setToolTip(QStringLiteral("Yazılan şifreyi göster"));
    m_show->setFocusPolicy(Qt::NoFocus); // Tab goes from the box to the buttons
    row->addWidget(m_show);
    entry->addLayout(row);
    inFrame->addLayout(entry, 1);
    layout->addWidget(frame);

    m_okBtn = new QPushButton(QStringLiteral("TAMAM"), this);
    name(m_okBtn, QStringLiteral("OKBtn"), m_okBtn->text());
    m_cancelBtn = new QPushButton(QStringLiteral("İptal"), this);
    name(m_cancelBtn, QStringLiteral("CancelBtn"), m_cancelBtn->text());
    // No default button: Enter in the box confirms nothing.
    for (QPushButton *button : {m_okBtn, m_cancelBtn}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    layout->addLayout(buttons);

    connect(m_show, &QCheckBox::toggled, this,
            [this](bool shown) { passwordbox::setMasked(m_edit, !shown); });
    connect(m_okBtn, &QPushButton::clicked, this, &TGetPassWdFrm::OKBtnClick);
    // Esc and the close box end the dialog the same way, through reject().
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TGetPassWdFrm::execute(const std::function<bool(const QString &)> &isPassword, QWidget *parent)
{
    TGetPassWdFrm dialog(isPassword, parent);
    return dialog.exec() == QDialog::Accepted;
}

void TGetPassWdFrm::OKBtnClick()
{
    // Checking against the stored hash takes a noticeable moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool right = m_isPassword(m_edit->text());
    QApplication::restoreOverrideCursor();
    if (right) {
        accept();
        return;
    }
    // Focus first: the closing message box hands it back to the box, however late the
    // dialog is activated again.
    m_edit->setFocus();
    messages::error(this, QStringLiteral("Geçersiz şifre."));
}

void TGetPassWdFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    adjustSize();
    QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
    m_edit->setFocus();
}
