#pragma once

#include "commands.h"
#include "data/dberror.h"
#include "data/settings.h"
#include "toolkit/workspace.h"

#include <QImage>
#include <QMainWindow>
#include <functional>

class IdleRefresh;
class QComboBox;
class QDialog;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class SharedQueries;
class StaffListArrival;
class MemberBrowser;
class TFrmGorunum;
class UnitBrowser;

// The main window: toolbar, left command panel, information screen, the two browser panels
// and the status bar. It owns the connection, the shared queries and the settings.
class TForm1 : public QMainWindow, public Workspace
{
    Q_OBJECT
public:
    // Opens Data.dat in the program folder and its queries, builds the window and loads the
    // settings. Returns null when the database cannot be opened, with what the user reads
    // in *error and the engine's own words in *detail.
    static TForm1 *create(QString *error, QString *detail = nullptr, DbError::Kind *kind = nullptr);
    ~TForm1() override;

    QWidget *parentWindow() override { return this; }
    SharedQueries *data() const override { return m_data; }
    Settings &settings() override { return m_settings; }
    IdleRefresh *idleRefresh() const override { return m_idle; }

    QString programName() const override;
    void setProgramName(const QString &name) override;
    // Caption: program name, " 2.0 - " and the program authority's name.
    void updateCaption();

    // Appends every union of QSendika, in table order, to the registered union lists
    // (without clearing them); rebuildUnionLists() clears them to their leading items first.
    void fillUnionLists();
    void rebuildUnionLists();
    // A union list of another window: its leading items and whether it takes the union's
    // name or its address.
    void registerUnionList(QComboBox *list, const QStringList &leadingItems,
                           bool addresses = false) override;
    // Union lists, logo and caption follow the saved fixed information.
    void fixedInformationChanged() override;
    QComboBox *colourSlotList() const { return m_cbRenk; }

    // The windows that later commands open; each is optional until it exists. The fixed
    // information form is told who asked for it: the toolbar button (true) or the first-use
    // question (false).
    void setFixedInformationForm(std::function<void(bool fromToolbar)> open);
    // The commands that other windows carry out (reports, maintenance, settings, help):
    // their buttons and menu items work once the work is given.
    void setCommand(Command command, std::function<void()> work) { m_commands.set(command, std::move(work)); }
    CommandRegistry &commands() { return m_commands; }

    void loadLogo();
    // The logo picture Image1 shows; null when there is none.
    QImage logoPicture() const override;

    // The commands of the left panel.
    void BitBtn1Click();
    void BitBtn2Click();

    // The all-staff list, which a long list reaches after the window is shown; commands that
    // work on it wait for it first, and go on only when this is true.
    StaffListArrival *staffList() const { return m_staffList; }
    bool waitForStaffList();

    UnitBrowser *unitBrowser() const { return m_unitBrowser; }
    MemberBrowser *memberBrowser() const { return m_memberBrowser; }
    TFrmGorunum *visibleFieldsDialog() const { return m_gorunum; }
    // The widths of the unit's staff grid: the settings and the grid at once.
    void setStaffColumnWidths(const std::array<int, 23> &widths);

    QWidget *panelKurum() const { return m_panelKurum; }
    QWidget *panelPersonel() const { return m_panelPersonel; }
    QLabel *labelPersonel() const { return m_labelPersonel; }
    QLabel *statusPanel(int index) const;
    // Says in the status bar which register is open: the file, or the server and database,
    // and whether the way to it is encrypted.
    void showRegisterPlace();
    // Tells in the status bar when the server's connection is lost and when it is back.
    void followServerConnection();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    explicit TForm1(SharedQueries *data);
    void buildToolBar();
    QWidget *buildLeftPanel();
    QWidget *buildCentralArea();
    QWidget *buildInformationScreen(QWidget *parent);
    void buildStatusBar();
    void addIdleRules();
    void connectCounts();
    void saveSettings();
    bool isHelpKey(QObject *receiver, const QKeyEvent *event) const;

    SharedQueries *m_data;
    Settings m_settings;
    IdleRefresh *m_idle;
    StaffListArrival *m_staffList = nullptr;
    bool m_shownOnce = false;
    bool m_readOnlyNoticeDue = false;
    std::function<void(bool fromToolbar)> m_openFixedInformation;
    CommandRegistry m_commands;

    struct UnionList {
        QComboBox *list;
        QStringList leading;
        bool addresses;
    };
    QList<UnionList> m_unionLists;

    QToolBar *m_toolBar = nullptr;
    QToolButton *m_toolButton1 = nullptr;
    QMenu *m_popupVt = nullptr;
    QMenu *m_popupYardim = nullptr;
    QLabel *m_label65 = nullptr;
    QLabel *m_label66 = nullptr;
    QLabel *m_label67 = nullptr;
    QLabel *m_label68 = nullptr;
    QLabel *m_label69 = nullptr;
    QFrame *m_panel14 = nullptr;
    QLabel *m_image1 = nullptr;
    UnitBrowser *m_unitBrowser = nullptr;
    MemberBrowser *m_memberBrowser = nullptr;
    TFrmGorunum *m_gorunum = nullptr;
    QWidget *m_panelKurum = nullptr;
    QWidget *m_panelPersonel = nullptr;
    QLabel *m_labelPersonel = nullptr;
    QComboBox *m_cbRenk = nullptr;
    QList<QLabel *> m_statusPanels;
    QLabel *m_registerPlace = nullptr; // which register is open, and how it is reached

    struct InfoRow {
        QList<QLabel *> captions; // caption and colon, white and grey
        QList<QLabel *> values;   // white and grey
    };
    QList<InfoRow> m_infoRows;
};
