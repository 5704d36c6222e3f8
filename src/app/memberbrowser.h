#pragma once

#include <QList>
#include <QObject>
#include <QString>

class Dataset;
class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;
class QWidget;
class TForm1;
class TSrDBGrid;

// The member browser: all staff, the name search, the union and blood-group filters and
// the detail pages of the current person, inside the main window's PanelPersonel.
class MemberBrowser : public QObject
{
    Q_OBJECT
public:
    MemberBrowser(TForm1 *form, QWidget *panel);
    // "Personel Ara" has reopened QueryPersonel with all staff: empty the search box.
    void shown();

    TSrDBGrid *grid() const { return m_srDBGrid3; }

    // The user's actions; the boxes' own signals call them.
    void Edit3Change();
    void CbAraChange(int index);
    void CbKanChange(int index);
    void TabSet1Change(int index);
    // "Listeyi Dışa Aktar": the list as shown, to a workbook or a CSV file.
    void exportList();
    // "Kimlik Numarası Denetimi": the members whose identity number fails or is shared.
    void auditIdentityNumbers();

    static const QStringList &bloodGroups();

private:
    struct DetailValue {
        QLabel *label;
        QString field;
    };

    QWidget *buildTitleBar();
    QWidget *buildSearchRow();
    QWidget *buildDetailPages();
    QWidget *buildGeneralPage();
    QWidget *buildOtherFormPage();
    QWidget *buildContactPage();
    QWidget *buildFamilyPage();
    QWidget *buildButtons();
    QWidget *buildNotes();
    void buildMenu();
    // One "caption : value" row of a detail page; returns the value.
    QLabel *addDetailRow(QGridLayout *grid, const QString &caption, const QString &field,
                         const QString &objectName = QString());
    // "caption : first / second", the " / " shown by the idle-time refresh.
    QLabel *addPairRow(QGridLayout *grid, const QString &caption, const QString &first,
                       const QString &second, const QString &separatorName);
    QLabel *valueLabel(const QString &field, const QString &caption, QWidget *parent,
                       const QString &objectName = QString());

    void connectQuery();
    void addIdleRules();
    void refreshDetails();
    QString currentText(const QString &field) const;
    Dataset *personel() const;
    void runFilter(const QStringList &lines, const QString &unionName, const QString &bloodGroup);

    TForm1 *m_form;
    QWidget *m_panel;
    QLineEdit *m_edit3 = nullptr;
    QToolButton *m_speedButton3 = nullptr;
    QComboBox *m_cbAra = nullptr;
    QComboBox *m_cbKan = nullptr;
    TSrDBGrid *m_srDBGrid3 = nullptr;
    QTabBar *m_tabSet1 = nullptr;
    QStackedWidget *m_notebook1 = nullptr;
    QPushButton *m_bitBtn6 = nullptr;
    QPushButton *m_bitBtn14 = nullptr;
    QPushButton *m_bitBtn7 = nullptr;
    QPushButton *m_bitBtn12 = nullptr;
    QPushButton *m_bitBtn13 = nullptr;
    QPushButton *m_btnDisaAktar = nullptr;
    QMenu *m_popupPersonel = nullptr;
    QGroupBox *m_notes = nullptr;
    QPlainTextEdit *m_notesText = nullptr;
    QLabel *m_unionValue = nullptr;
    QLabel *m_branchSeparator = nullptr;
    QLabel *m_districtSeparator = nullptr;
    QList<DetailValue> m_values;
};
