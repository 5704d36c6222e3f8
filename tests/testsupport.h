#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class Database;
struct RegisterAddress;
class QAbstractButton;
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

// Plays the user's part in the modal windows that come up while it lives: one step a window,
// in the order the windows come. A step waits until its window is the active modal window,
// as the user meets it (activated, its focus set), and acts on it there, inside its modal
// loop. Steps name their window by object or class name; a message box is any QMessageBox.
//
// It meets the program's message boxes and the windows its steps name; any other window (the
// one the test drives itself, a form under a question) it leaves alone. A window it meets out
// of turn, or one without the button asked for, is closed and noted in `unexpected`, so that
// a surprise never hangs a test. Hence one Answers at a time: two would race for the same
// message box. Give one every window that the test's action brings up.
class Answers
{
public:
    using Act = std::function<void(QWidget *window)>;

    // Message boxes answered with these buttons, in turn.
    explicit Answers(const QStringList &buttons = {});

    // A message box, or the window of that name: clicks its button of that text.
    Answers &click(const QString &button, const QString &window = QString());
    // A file dialog, or the one of that name: chooses `path` there (see chooseInFileDialog).
    Answers &chooseFile(const QString &path, const QString &window = QString());
    // An input dialog, or the window of that name: types `text` over what its box holds (the
    // box with the focus), then clicks `button`.
    Answers &type(const QString &text, const QString &button, const QString &window = QString());
    // The window of that name: runs `act` on it. A button the act presses with press() is
    // pressed once the act has returned, so that the window it opens meets the next step.
    Answers &on(const QString &window, Act act);
    // A window that no step waits for: should it come up, it is closed and noted.
    Answers &turnAway(const QString &window);

    // Presses a button from the event loop, once the step that asks for it has returned.
    static void press(QAbstractButton *button);

    // Every step met its window and did its part.
    bool done() const { return m_next == m_steps.size() && m_missed == 0; }

    // What the windows answered by a click, and those turned away, showed: in the order they
    // came up. Most tests expect one message.
    int count() const { return int(titles.size()); }
    QString title() const { return titles.value(0); }
    QString text() const { return texts.value(0); }
    QStringList titles;
    QStringList texts; // a message box's text, empty for another window
    QStringList details; // the informative text below a message
    QList<QMessageBox::Icon> icons;
    QList<QStringList> buttons; // the button texts each window offered
    // The windows met out of turn or left open by their step, and the buttons not found.
    QStringList unexpected;

private:
    friend bool whileOpen(const QString &, const std::function<void()> &,
                          const std::function<void(QWidget *)> &);
    friend void whileOpen(QWidget *, const std::function<void()> &, const std::function<void()> &);

    // A step that answers its window, or fails to (false: the button was not there).
    using Answer = std::function<bool(QWidget *window)>;
    struct Step {
        QString name; // object or class name; empty with a window given
        QPointer<QWidget> window;
        Answer answer;
        bool kept = false; // what the window showed goes into the lists above
    };
    enum class Meets { MessageBoxesToo, StepsOnly };
    // Opens a window with `open` and runs `steps` on it as the one step of an Answers that
    // meets that window only; true when it came up.
    static bool drive(const QString &name, QWidget *window, const std::function<void()> &open,
                      const std::function<void(QWidget *)> &steps);
    Answers &add(Step step);
    void poll();
    bool meets(QWidget *window) const;
    bool activated(QWidget *window);
    void keep(QWidget *window);
    void turnAwayNow(QWidget *window, const QString &why);

    Meets m_meets = Meets::MessageBoxesToo;
    QList<Step> m_steps;
    QStringList m_turnedAway;
    qsizetype m_next = 0;
    int m_missed = 0;
    bool m_acting = false;
    QPointer<QWidget> m_last; // the window the last step or refusal was for
    QElapsedTimer m_since;
    QPointer<QWidget> m_appeared; // the window waited on to become active
    QElapsedTimer m_appearedAt;
    QTimer m_timer;
};

// Drives a modal window from inside its modal loop: `open` opens it the user's way and
// returns once the loop has ended; `steps` run as soon as the window is the active modal
// window (a step of an Answers that meets this window only). A window the steps leave open is
// hidden, which ends its loop, so that a failed check never leaves the test waiting. Fails
// the test when the window never came up.
void whileOpen(QWidget *window, const std::function<void()> &open,
               const std::function<void()> &steps);
// The same for a window made anew at each opening, named by object or class name; true when
// it came up.
bool whileOpen(const QString &window, const std::function<void()> &open,
               const std::function<void(QWidget *)> &steps);

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
