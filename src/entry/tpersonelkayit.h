#pragma once

#include <QDialog>
#include <QHash>

class DBComboBox;
class DBEdit;
class DBMemo;
class Dataset;
class QComboBox;
class QLabel;
class QTabWidget;
class QToolButton;
class RecordActions;
class Workspace;
class TFrmUnvan;

// "  Personel Kayıt": adds, edits, browses and deletes the staff of the current unit. Every
// box is bound to the current row of the main window's Query_Uye, so the unit browser's
// staff grid follows each move and change made here. Created once, shown modally each time,
// centred on the main window; the page last shown stays selected between openings.
//
// Control names: the name box is DBEdit1; every other bound box is "DBEdit_" plus its
// column, every bound list "DBComboBox_" plus its column, except the union list DBComboBox1.
class TPersonelKayit : public QDialog
{
    Q_OBJECT
public:
    explicit TPersonelKayit(Workspace *workspace);

    // The title code list that F1 and the button beside "Kadro Ünvanı Kodu" open; it is
    // created after this form.
    void setTitleCodeList(TFrmUnvan *list) { m_titleCodes = list; }

    // Centres the form on the main window and shows it modally on Query_Uye's current row.
    void showModal();

    QTabWidget *pages() const { return m_pages; }
    DBEdit *edit(const QString &column) const { return m_edits.value(column); }

    // New ("Yeni Personel"): the first page, the focus in "Adı", then a new row.
    void ToolButton1Click();
    // Delete ("Kayıt Sil"): asks with the name quoted, then deletes or discards the new row.
    void ToolButton2Click();
    // Every key-down in "Adı" copies the current unit's workplace data into the row.
    void DBEdit1KeyDown();
    // The union picked at `index` brings its address along.
    void DBComboBox1Change(int index);
    void BtnMailClick();
    void SpeedButton1Click();
    // The save question of every close; false while the form has to stay open.
    bool FormClose();

    // What is wrong with the identity number in the box: it fails its check, or other members
    // hold it too (named with their units); empty when nothing is. Other holders are looked up
    // only when `lookUpHolders` is set: each lookup reads the staff table.
    QString identityWarning(bool lookUpHolders) const;

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildGeneralPage();
    QWidget *buildContactPage();
    QWidget *buildOtherPage();
    QWidget *buildMaritalPage();
    QWidget *buildNotesPage();
    QWidget *buildBottomRow();
    enum class KeyFilter { None, UpperCase, WordCapitals };
    DBEdit *makeEdit(QWidget *page, const QString &column, const QString &caption, KeyFilter filter);
    DBComboBox *makeList(QWidget *page, const QString &column, const QString &caption,
                         const QStringList &items, KeyFilter filter);
    QWidget *identityBoxWithMark(QWidget *page, QWidget *box);
    // The warning beside the identity number box follows the box and the current row.
    void showIdentityWarning();
    // Asked before each save made here: a number with a warning is saved only when the user
    // says so ("Yine de kaydedilsin mi?").
    bool confirmIdentityNumber();

    Workspace *m_form;
    Dataset *m_uye;
    TFrmUnvan *m_titleCodes = nullptr;
    QTabWidget *m_pages = nullptr;
    QHash<QString, DBEdit *> m_edits;
    DBEdit *m_dbEdit1 = nullptr;
    DBComboBox *m_dbComboBox1 = nullptr;
    QComboBox *m_cbSendikaAdres = nullptr;
    QToolButton *m_speedButton1 = nullptr;
    QToolButton *m_btnMail = nullptr;
    RecordActions *m_actions = nullptr;
    DBMemo *m_notes = nullptr;
    QWidget *m_otherPage = nullptr;
    QLabel *m_tcMark = nullptr;
    QLabel *m_tcWarning = nullptr;
};
