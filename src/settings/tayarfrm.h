#pragma once

#include "profilestore.h"

#include <QColor>
#include <QDialog>
#include <array>
#include <functional>

class ColourBox;
class IdleRefresh;
class QCheckBox;
class QLineEdit;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class TPassWdFrm;
struct Settings;

// "Genel Ayarlar": the password protection, the preview, logo and sound switches and the six
// union colours. The switches and colours are copies of the main window's settings, taken at
// each opening and given back on "TAMAM" only; the protection is kept in the user's profile
// store, and the tick of "Şifre Korumasını Aktifleştir" reaches it on "TAMAM" or when the
// program ends ("İptal" reloads it from the store). Only a tick that this run's user changed
// is ever stored: another run of the program may have changed the flag meanwhile, and a tick
// merely shown must not put the old value back.
class TAyarFrm : public QDialog
{
    Q_OBJECT
public:
    // `settings` are the main window's settings; `applied` runs after "TAMAM" has changed them
    // (the staff lists repaint in the new colours).
    TAyarFrm(QWidget *mainWindow, Settings &settings, IdleRefresh *idle, TPassWdFrm *passWdFrm,
             std::function<void()> applied);
    // Stores the protection tick when the user changed it, whatever closed the dialog last.
    ~TAyarFrm() override;

    // The dialog's own copy of the colour-slot list: "<<< KAYITSIZ >>>" and the union names;
    // the main window fills it with its other union lists.
    QComboBox *colourSlotList() const { return m_cbRenk; }

    // Opening from the main window: copies the settings in, shows the first page, runs modally.
    void execute();

    void OkBtnClick();
    void CancelBtnClick();
    void SifreChkClick();
    void ChangePasswdBtnClick();
    // Any mouse button on the box of a slot: Qt's colour dialog, opened with the colour last
    // confirmed in it during this run.
    void RenkMouseDown(int slot);

    // The gate; with `onlyIfActive` it asks only while protection is on.
    bool CheckPassword(bool onlyIfActive);
    // A tick the user changed becomes the stored flag; false, after saying why, when it
    // cannot be written. A tick left as it was shown writes nothing.
    bool StoreProtection();
    // The tick follows the stored flag, forgetting any change not stored; the box can be
    // used only while a password is stored.
    void ReloadProtection();
    // Whether the tick holds a change of this run's user not stored yet.
    bool protectionChanged() const { return m_protectionChanged; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildPasswordPage();
    QWidget *buildSwitchesPage();
    QWidget *buildColoursPage();
    QWidget *buildServerPage();
    void showColours();
    // Shows the box of each slot that has a union beside it and hides the others.
    void showSlotBoxes();

    QWidget *m_mainWindow;
    Settings &m_settings;
    TPassWdFrm *m_passWdFrm;
    std::function<void()> m_applied;
    ProfileStore m_store;
    std::array<qint32, 6> m_colours{};
    QColor m_lastColour = Qt::black;
    bool m_protectionChanged = false;

    QTabWidget *m_pageControl = nullptr;
    QCheckBox *m_sifreChk = nullptr;
    QPushButton *m_changePasswdBtn = nullptr;
    QCheckBox *m_chkYazdir = nullptr;
    QCheckBox *m_chkLogo = nullptr;
    QCheckBox *m_chkSes = nullptr;
    QLineEdit *m_server = nullptr; // the server's connection string; empty: the file
    std::array<ColourBox *, 6> m_boxes{};
    std::array<QLabel *, 6> m_labels{};
    QComboBox *m_cbRenk = nullptr;
    QPushButton *m_okBtn = nullptr;
    QPushButton *m_cancelBtn = nullptr;
};
