#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

// "Şifre Gir": asks for the program's password. Made for one use and freed afterwards. The
// entry is masked unless "Göster" is ticked; Enter does not confirm (no default button), Esc
// cancels; a wrong entry says "Geçersiz şifre." and may be tried again without limit.
class TGetPassWdFrm : public QDialog
{
    Q_OBJECT
public:
    // `isPassword` tells whether an entry is the expected password.
    explicit TGetPassWdFrm(std::function<bool(const QString &)> isPassword,
                           QWidget *parent = nullptr);

    // Shows a fresh dialog modally; true when the user entered the password and pressed
    // "TAMAM".
    static bool execute(const std::function<bool(const QString &)> &isPassword, QWidget *parent);

    // "TAMAM": closes with OK on the right password, else says why and stays open.
    void OKBtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::function<bool(const QString &)> m_isPassword;
    QLineEdit *m_edit = nullptr;
    QCheckBox *m_show = nullptr;
    QPushButton *m_okBtn = nullptr;
    QPushButton *m_cancelBtn = nullptr;
};
