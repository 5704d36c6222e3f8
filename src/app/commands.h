#pragma once

#include <QList>
#include <QPointer>
#include <functional>
#include <map>

class QAbstractButton;
class QAction;

// The commands of the main window's toolbar, menus and browsers whose work is done by
// other windows (reports, maintenance, settings, information). The window that does the
// work is created after the main window and hands its work over with CommandRegistry::set.
enum class Command {
    // the database menu PopupVt
    Backup,
    Restore,
    Repair,
    BulkDelete,
    ExcelImport,
    // the toolbar and the help menu PopupYardim
    GeneralSettings,
    Statistics,
    About,
    Help,
    // the left command panel
    BlankMembershipForm,  // BitBtn3
    BlankResignationForm, // BitBtn10
    // the member browser's button row
    StaffList,       // BitBtn6
    BloodGroupList,  // BitBtn14
    StaffCard,       // BitBtn7
    MembershipForm,  // BitBtn12
    ResignationForm, // BitBtn13
    // the unit browser, its buttons and context menus
    UnitList,      // BitBtn8, "Birim Listesi"
    UnitStaffList, // BitBtn9, "Birim Personel Listesi"
    UnitStaffCard, // BitBtn11, "Kişisel Detayları Yazdır"
};

// Which controls run each command, and the work they run. A control bound with
// `followsWork` is enabled exactly while the command has work; the others keep whatever
// enabling rule their window gives them and do nothing while there is no work.
class CommandRegistry
{
public:
    void bind(Command command, QAbstractButton *button, bool followsWork = true);
    void bind(Command command, QAction *action, bool followsWork = true);
    void set(Command command, std::function<void()> work);
    bool hasWork(Command command) const;
    // Runs the work; an error it raises is shown by the error box.
    void run(Command command) const;

private:
    struct Entry {
        std::function<void()> work;
        QList<QPointer<QAbstractButton>> buttons;
        QList<QPointer<QAction>> actions;
    };
    void updateEnabled(const Entry &entry) const;

    std::map<Command, Entry> m_entries;
};
