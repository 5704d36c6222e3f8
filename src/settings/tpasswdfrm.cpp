#include "tpasswdfrm.h"

#include "passwordbox.h"
#include "passwordhash.h"
#include "toolkit/characterlimit.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/messages.h"

#include <QApplication>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using controls::name;

namespace {
// Counted in characters: an emoji in the last place is taken whole or not at all, so the
// password stored is always the one the user typed.
constexpr int kMaxPasswordLength = 15;
}

TPassWdFrm::TPassWdFrm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    dialogs::setTitle(this, QStringLiteral("PassWdFrm"), QStringLiteral("Şifre Değiştir"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Bevel1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto *form = new QFormLayout(frame);
    form->setContentsMargins(12, 12, 12, 12);
    auto box = [frame](const QString &objectName, const QString &caption) {
        auto *edit = new QLineEdit(frame);
        name(edit, objectName, caption);
        edit->setValidator(new CharacterLimit(edit, kMaxPasswordLength));
        edit->setMinimumWidth(160);
        passwordbox::setMasked(edit, true);
        return edit;
    };
    m_editOld = box(QStringLiteral("EditOld"), QStringLiteral("Eski Şifre:"));
    m_editNew = box(QStringLiteral("EditNew"), QStringLiteral("Yeni Şifre:"));
    form->addRow(QStringLiteral("Eski Şifre:"), m_editOld);
    form->addRow(QStringLiteral("Yeni Şifre:"), m_editNew);
    layout->addWidget(frame);

    m_okBtn = new QPushButton(QStringLiteral("Tamam"), this);
    name(m_okBtn, QStringLiteral("OKBtn"), m_okBtn->text());
    m_okBtn->setDefault(true); // Enter confirms
    m_cancelBtn = new QPushButton(QStringLiteral("İptal"), this);
    name(m_cancelBtn, QStringLiteral("CancelBtn"), m_cancelBtn->text());
    m_cancelBtn->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    layout->addLayout(buttons);

    connect(m_okBtn, &QPushButton::clicked, this, &TPassWdFrm::OKBtnClick);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject); // Esc does the same
}

bool TPassWdFrm::execute(const QString &oldPassword)
{
    m_oldPassword = oldPassword;
    m_editOld->clear();
    m_editNew->clear();
    const bool hasOld = !m_oldPassword.isEmpty();
    m_editOld->setEnabled(hasOld);
    dialogs::centreOn(this, parentWidget());
    const bool ok = exec() == QDialog::Accepted;
    m_oldPassword.clear();
    return ok;
}

QString TPassWdFrm::newPassword() const
{
    return m_editNew->text();
}

void TPassWdFrm::OKBtnClick()
{
    if (!m_oldPassword.isEmpty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool right = passwordhash::matches(m_oldPassword, m_editOld->text());
        QApplication::restoreOverrideCursor();
        // The box to correct takes the focus before the message: the closing message box hands
        // the focus back to it, however late the dialog is activated again.
        if (!right) {
            m_editOld->setFocus();
            messages::error(this, QStringLiteral("Geçersiz şifre."));
            return;
        }
        if (m_editNew->text().isEmpty()) {
            m_editNew->setFocus();
            messages::error(this, QStringLiteral("Şifre olarak boşluk giremezsiniz"));
            return;
        }
    }
    accept();
}

void TPassWdFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    (m_oldPassword.isEmpty() ? m_editNew : m_editOld)->setFocus();
}
