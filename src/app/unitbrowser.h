#pragma once

#include <QObject>
#include <functional>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class QWidget;
class TForm1;
class TSrDBGrid;
class Dataset;

// The unit browser inside the main window's PanelKurum: the units with their search and
// sort above, the details of the current unit beside them, and the staff of the current
// unit below with their own search and sort.
class UnitBrowser : public QObject
{
    Q_OBJECT
public:
    UnitBrowser(TForm1 *form, QWidget *panel);

    // "Birim/Personel Listesi" shows the panel: both search boxes are emptied, which lists
    // all units and all staff of the current unit again.
    void shown();

    TSrDBGrid *unitGrid() const { return m_srDBGrid2; }
    TSrDBGrid *staffGrid() const { return m_srDBGrid1; }

    // The entry forms: opened modally on the current row of QueryOkul / Query_Uye.
    void setUnitForm(std::function<void()> open);
    void setMemberForm(std::function<void()> open);
    // The visible-fields dialog, from the staff grid's context menu.
    void setVisibleFieldsDialog(std::function<void()> open);

    void Edit1Change();
    void Edit2Change();
    void ComboBox2Change();
    void titleClick(TSrDBGrid *grid, int column);
    // "Listeyi Dışa Aktar": the list of the grid as shown, to a workbook or a CSV file.
    void exportList(TSrDBGrid *grid);
    void addIdleRules();

    static const QStringList &staffFields();

private:
    QWidget *buildUnitPage();
    QWidget *buildUnitDetails();
    QWidget *buildStaffPage();
    void buildMenus();
    void connectQueries();
    void runStatement(Dataset *query, const QString &statement, const QString &text);
    // Empties a search box after a search without result (which lists everything again).
    void clearKeepingFocus(QLineEdit *searchBox, bool typing);
    bool unitMayBeDeleted();
    void newUnit();
    void newMember();
    void showUnit();
    void showMember();

    TForm1 *m_form;
    QWidget *m_panel;
    QLineEdit *m_edit1 = nullptr;
    QLineEdit *m_edit2 = nullptr;
    QToolButton *m_speedButton1 = nullptr;
    QToolButton *m_speedButton2 = nullptr;
    QComboBox *m_comboBox1 = nullptr;
    QComboBox *m_comboBox2 = nullptr;
    QPushButton *m_bitBtn4 = nullptr;
    QPushButton *m_bitBtn5 = nullptr;
    QPushButton *m_bitBtn8 = nullptr;
    QPushButton *m_bitBtn9 = nullptr;
    QPushButton *m_bitBtn11 = nullptr;
    QPushButton *m_btnPersonelDisaAktar = nullptr;
    TSrDBGrid *m_srDBGrid2 = nullptr;
    TSrDBGrid *m_srDBGrid1 = nullptr;
    QMenu *m_popupKurum = nullptr;
    QMenu *m_popupKisisel = nullptr;
    QAction *m_showUnit = nullptr;
    QAction *m_newUnit = nullptr;
    QAction *m_showMember = nullptr;
    QAction *m_newMember = nullptr;
    std::function<void()> m_openUnitForm;
    std::function<void()> m_openMemberForm;
    std::function<void()> m_openVisibleFields;
};
