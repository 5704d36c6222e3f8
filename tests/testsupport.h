#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class Database;
struct RegisterAddress;
class Dataset;
class QComboBox;
class QFileDialog;
class TForm1;

// Lets the event loop run until it has nothing to do, as it does between the user's
// actions; the main window's idle-time refresh runs then. (QTest::qWait never blocks,
// so it never reaches that point.)
void waitIdle(int ms = 30);

// Types text key by key, as the keyboard would: Turkish letters included (QTest::keyClicks
// takes Latin-1 only), and ASCII characters with their key codes, as the keyboard sends them.
void typeText(QWidget *widget, const QString &text);

// The mouse comes over a control, as far as the control can tell: it gets the Enter event
// (the offscreen platform moves no pointer), which shows its long hint in the status bar.
void hoverOver(QWidget *widget);

// Call from initTestCase: drops the offscreen platform's warnings about what it cannot do
// (size hints, raising pop-ups, grabbing the keyboard), which would hide the warnings that matter.
void quietOffscreenWarnings();

// Writes `path` into a file dialog's name box, as the user types it there, and accepts the
// dialog once control is back in its event loop. QFileDialog::selectFile leaves the name box
// alone while it has the focus, which a shown dialog gives it sooner or later.
void chooseInFileDialog(QFileDialog *dialog, const QString &path);

// The control of that name below `parent`. A missing one ends the run: no check about it
// could mean anything.
template <typename T> T *child(const QObject *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString &path);

class QComboBox;
// Opens the list and clicks the item, as the user picks it; true once the item is chosen
// and the list closed again.
bool pick(QComboBox *box, const QString &text);

// The texts of a list's items, in their order.
QStringList itemTexts(const QComboBox *list);

// One field of every row a dataset holds, without moving its cursor.
QStringList columnOf(const Dataset &dataset, const QString &field);

// A fresh program folder with an empty Data.dat for each test; ProgramDir points at it.
class TestProgramDir
{
public:
    TestProgramDir();
    QString path() const { return m_dir.path(); }
    QString databasePath() const;
    // The register the test works on: the folder's Data.dat, or a fresh database on the test
    // server (testserver.h).
    RegisterAddress address() const;
    // Where the program keeps its settings; named here so that the tests notice a rename.
    QString settingsPath() const;
    // Runs SQL on the database through a connection of its own.
    void exec(const QString &sql) const;
    void exec(const QStringList &statements) const;

private:
    QTemporaryDir m_dir;
};

// While it lives, this process has an ordinary user's file rights, as a user whom the
// permissions of a file concern (the superuser's would write anyway).
class OrdinaryUser
{
public:
    OrdinaryUser();
    ~OrdinaryUser();

private:
    int m_formerFsuid = -1;
};

// While it lives, the program folder and its Data.dat cannot be written by this process, as
// on a write-protected share. Run as root, the process takes an ordinary user's file rights
// meanwhile (root would write anyway).
class WriteProtectedProgramDir
{
public:
    explicit WriteProtectedProgramDir(const TestProgramDir &dir);
    ~WriteProtectedProgramDir();

private:
    QString m_folder;
    QString m_database;
    std::optional<OrdinaryUser> m_user;
};

// While it lives, no file of this process can grow beyond `bytes`: a write past that fails
// as it does on a full disk.
class FullDisk
{
public:
    explicit FullDisk(qint64 bytes);
    ~FullDisk();

private:
    qint64 m_formerLimit = -1;
};

// While it lives, a real small disk: a tmpfs of `bytes` mounted on a folder of its own, so
// that writes fail where a full disk makes them fail (partly written, then "no space").
// mounted() is false where this process may not mount (tests QSKIP then).
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes = 16 * 1024);
    ~SmallDisk();
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // Room left for the contents of files, in bytes.
    qint64 room() const;
    // Takes up all but `room` bytes of the free room with a file of its own ("dolgu").
    void leaveRoom(qint64 room);
    // The names in the folder, hidden ones included.
    QStringList names() const;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Answers the modal windows that come up while it lives, with the given button texts in
// turn, and keeps what each one showed. Only the program's message boxes are answered, never
// the entry form that is open under them; given a window's object name, only windows of
// that name are (the code lists). A window beyond the answers, or without the button asked
// for, is closed, and counted, so that an unexpected question never hangs a test. Hence one
// Answers at a time: give it every window that the step brings up.
class Answers
{
public:
    explicit Answers(QStringList buttons, QString windowName = QString());

    // How many windows came up.
    int count() const { return int(titles.size()); }
    // Every answer given was clicked, each in its own window.
    bool answered() const { return m_clicked == m_buttons.size(); }
    // What the first window showed: most tests expect one question.
    QString title() const { return titles.value(0); }
    QString text() const { return texts.value(0); }

    QStringList titles;
    QStringList texts;
    QStringList details; // the informative text below a message
    QList<QMessageBox::Icon> icons;
    QList<QStringList> buttons; // the button texts each window offered

private:
    void poll();

    QStringList m_buttons;
    QString m_windowName;
    int m_clicked = 0;
    QTimer m_timer;
};

// Drives a modal window from inside its modal loop: `open` opens it the user's way and
// returns once the loop has ended; `steps` run as soon as `window` is the active modal
// window. A window the steps leave open is hidden, which ends its loop, so that a failed
// check never leaves the test waiting. Fails the test when the window never came up.
void whileOpen(QWidget *window, const std::function<void()> &open,
               const std::function<void()> &steps);

// The real main window on a fresh program folder, started the program's way: TForm1::create
// on the folder's database, the long-lived windows when asked for, then shown. Destroying
// it closes the window, answering the exit question "Evet", before the folder goes.
class MainWindowFixture
{
public:
    // Whether the long-lived windows (the entry forms, the code lists, the wheel rule) are
    // created too; without them the commands that open them do nothing.
    enum class Windows { MainOnly, All };

    // A staff list read in the background (SharedQueries::setLongStaffList) has arrived
    // when start() returns, or is held back until the test releases it.
    enum class StaffList { Arrived, Held };

    // `rows` are written into the database before the start.
    explicit MainWindowFixture(const QStringList &rows = {});
    ~MainWindowFixture();

    TestProgramDir &dir() { return m_dir; }
    // A window that cannot start ends the run: no check could go on without it.
    TForm1 *start(Windows windows, StaffList staffList = StaffList::Arrived);
    // Clicks a push button of the main window's own panels, as the user does.
    void click(const char *button);
    // Closes the window as the user does, checking the exit question and answering it.
    void closeAnswering(const QString &answer);
    // Closes a window still open, answering "Evet", and lets it go.
    void close();

private:
    TestProgramDir m_dir;
    std::unique_ptr<TForm1> m_form;
};
