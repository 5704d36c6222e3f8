#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "Şifre Değiştir": takes the old password, when there is one, and the new one. One dialog
// for the whole run, shown again for each change.
class TPassWdFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TPassWdFrm(QWidget *parent);

    // `oldPassword` is the stored value (a hash, or the empty text when none is stored).
    // Shows the dialog with both boxes empty; true when "Tamam" closed it after its checks.
    bool execute(const QString &oldPassword);
    // What "Yeni Şifre:" holds.
    QString newPassword() const;

    // "Tamam": with an old password, the old box must match it and the new box must not be
    // empty; without one, any new password (the empty one too) is taken.
    void OKBtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_oldPassword; // held for one use only
    QLineEdit *m_editOld = nullptr;
    QLineEdit *m_editNew = nullptr;
    QPushButton *m_okBtn = nullptr;
    QPushButton *m_cancelBtn = nullptr;
};
