#include "testsupport.h"
#include "testserver.h"


#include <QLineEdit>

#include <QFileDialog>

#include "app/tform1.h"
#include "app/windows.h"
#include "data/backgroundopen.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/programdir.h"
#include "data/registerchoice.h"
#include "data/schema.h"
#include "data/sharedqueries.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <stdexcept>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/resource.h>
#include <unistd.h>

void waitIdle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void hoverOver(QWidget *widget)
{
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &enter);
}

void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        // Qt's key codes of printable ASCII are the characters themselves, letters upper case.
        const Qt::Key key = ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode()) : Qt::Key_unknown;
        // A character beyond the 16-bit range (an emoji) comes as one key, both halves at once.
        const bool pair = ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        QTest::sendKeyEvent(QTest::Click, widget, key, text.mid(i, pair ? 2 : 1), Qt::NoModifier);
        if (pair)
            ++i;
    }
}

TestProgramDir::TestProgramDir()
{
    QString error;
    if (!Database::create(databasePath(), schema::kKey, &error))
        throw std::runtime_error(error.toStdString());
    ProgramDir::setPath(m_dir.path());
    if (testserver::active())
        registerchoice::useServer(testserver::freshRegister());
    else
        registerchoice::useFile();
}

RegisterAddress TestProgramDir::address() const
{
    return registerchoice::current();
}

QString TestProgramDir::databasePath() const
{
    return m_dir.filePath(QString::fromLatin1(schema::kDatabaseFile));
}

void TestProgramDir::exec(const QString &sql) const
{
    Database db;
    db.open(address());
    db.exec(sql);
}

void TestProgramDir::exec(const QStringList &statements) const
{
    exec(statements.join(QStringLiteral(";\n")));
}

QString TestProgramDir::settingsPath() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("PersonelKayit.ini"));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool pick(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    if (index < 0)
        return false;
    box->showPopup();
    QAbstractItemView *view = box->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }, 2000))
        return false;
    const QRect item = view->visualRect(box->model()->index(index, box->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    return QTest::qWaitFor([view] { return !view->isVisible(); }, 2000) &&
           box->currentIndex() == index;
}

OrdinaryUser::OrdinaryUser()
{
    if (geteuid() == 0)
        m_formerFsuid = setfsuid(65534); // nobody
}

OrdinaryUser::~OrdinaryUser()
{
    if (m_formerFsuid >= 0)
        setfsuid(uid_t(m_formerFsuid));
}

WriteProtectedProgramDir::WriteProtectedProgramDir(const TestProgramDir &dir)
    : m_folder(dir.path()), m_database(dir.databasePath())
{
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(m_database, readOnly);
    QFile::setPermissions(m_folder, readOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                        QFileDevice::ExeOther);
    m_user.emplace();
}

WriteProtectedProgramDir::~WriteProtectedProgramDir()
{
    m_user.reset();
    QFile::setPermissions(m_folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(m_database, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

FullDisk::FullDisk(qint64 bytes)
{
    signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the run
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_formerLimit = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FullDisk::~FullDisk()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_formerLimit);
    setrlimit(RLIMIT_FSIZE, &limit);
}

SmallDisk::SmallDisk(qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0777";
    m_mounted = m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                           "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

qint64 SmallDisk::room() const
{
    struct statvfs disk {
    };
    if (::statvfs(QFile::encodeName(m_dir.path()).constData(), &disk) != 0)
        return -1;
    return qint64(disk.f_bavail) * qint64(disk.f_bsize);
}

void SmallDisk::leaveRoom(qint64 room)
{
    QFile filler(filePath(QStringLiteral("dolgu")));
    filler.remove();
    const qint64 size = std::max<qint64>(0, this->room() - room);
    if (filler.open(QIODevice::WriteOnly)) {
        filler.write(QByteArray(size, 'x'));
        filler.close();
    }
}

QStringList SmallDisk::names() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                                        QDir::NoDotAndDotDot);
}

void chooseInFileDialog(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!name) {
        dialog->selectFile(path); // a dialog without Qt's own widgets
    } else {
        // The whole path goes into the box; the dialog's folder stays. A folder it turns to
        // is listed, and kept in Qt's history of visited folders for the dialogs after it:
        // listing /proc reads /proc/kmsg, which waits for ever.
        name->setText(path);
    }
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
}

QStringList itemTexts(const QComboBox *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

QStringList columnOf(const Dataset &dataset, const QString &field)
{
    QStringList out;
    const int index = dataset.fieldIndex(field);
    for (int row = 0; row < dataset.recordCount(); ++row)
        out << dataset.textAt(row, index);
    return out;
}

namespace
{
bool named(const QWidget *window, const QString &name)
{
    return window->objectName() == name || window->inherits(name.toLatin1().constData());
}

// A message box lists its buttons in the order the user sees them.
QList<QAbstractButton *> buttonsOf(QWidget *window)
{
    auto *box = qobject_cast<QMessageBox *>(window);
    return box ? box->buttons() : window->findChildren<QAbstractButton *>();
}

QAbstractButton *buttonOf(QWidget *window, const QString &text)
{
    for (QAbstractButton *button : buttonsOf(window))
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    return nullptr;
}

QString describe(const QWidget *window)
{
    auto *box = qobject_cast<const QMessageBox *>(window);
    return QStringList{window->objectName(), window->windowTitle(), box ? box->text() : QString()}
        .join(QLatin1Char(' '))
        .trimmed();
}
} // namespace

Answers::Answers(const QStringList &buttons)
{
    for (const QString &button : buttons)
        click(button);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(10);
}

Answers &Answers::add(Step step)
{
    m_steps.append(std::move(step));
    return *this;
}

Answers &Answers::click(const QString &button, const QString &window)
{
    return add({window.isEmpty() ? QStringLiteral("QMessageBox") : window, nullptr,
                [button](QWidget *w) {
                    QAbstractButton *found = buttonOf(w, button);
                    if (found)
                        press(found);
                    return found != nullptr;
                },
                true});
}

Answers &Answers::chooseFile(const QString &path, const QString &window)
{
    return add({window.isEmpty() ? QStringLiteral("QFileDialog") : window, nullptr,
                [path](QWidget *w) {
                    auto *dialog = qobject_cast<QFileDialog *>(w);
                    if (dialog)
                        chooseInFileDialog(dialog, path);
                    return dialog != nullptr;
                }});
}

Answers &Answers::type(const QString &text, const QString &button, const QString &window)
{
    return add({window.isEmpty() ? QStringLiteral("QInputDialog") : window, nullptr,
                [text, button](QWidget *w) {
                    auto *box = qobject_cast<QLineEdit *>(w->focusWidget());
                    if (!box)
                        box = w->findChild<QLineEdit *>();
                    QAbstractButton *found = buttonOf(w, button);
                    if (!box || !found)
                        return false;
                    box->selectAll();
                    QTest::keyClick(box, Qt::Key_Backspace);
                    typeText(box, text);
                    press(found);
                    return true;
                }});
}

Answers &Answers::on(const QString &window, Act act)
{
    return add({window, nullptr, [act = std::move(act)](QWidget *w) {
                    act(w);
                    return true;
                }});
}

Answers &Answers::turnAway(const QString &window)
{
    m_turnedAway << window;
    return *this;
}

void Answers::press(QAbstractButton *button)
{
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

bool Answers::meets(QWidget *window) const
{
    if (m_meets == Meets::MessageBoxesToo && qobject_cast<QMessageBox *>(window))
        return true;
    for (const Step &step : m_steps)
        if (step.window ? window == step.window : named(window, step.name))
            return true;
    for (const QString &name : m_turnedAway)
        if (named(window, name))
            return true;
    return false;
}

bool Answers::activated(QWidget *window)
{
    // A window manager activates a new modal window; the offscreen platform leaves one opened
    // from a pop-up menu inactive, so it is asked for here. A busy machine may deliver the
    // activation late; a window never activated is still answered, so that the test cannot
    // wait for ever.
    if (window != m_appeared) {
        m_appeared = window;
        m_appearedAt.start();
        if (!window->isActiveWindow())
            window->activateWindow();
    }
    return window->isActiveWindow() || m_appearedAt.elapsed() >= 2000;
}

void Answers::keep(QWidget *window)
{
    auto *box = qobject_cast<QMessageBox *>(window);
    titles << window->windowTitle();
    texts << (box ? box->text() : QString());
    details << (box ? box->informativeText() : QString());
    icons << (box ? box->icon() : QMessageBox::NoIcon);
    QStringList names;
    for (QAbstractButton *button : buttonsOf(window))
        names << button->text();
    buttons << names;
}

void Answers::turnAwayNow(QWidget *window, const QString &why)
{
    unexpected << why + describe(window);
    // done() rather than close(): the save question ignores its close box. From the event
    // loop, as a step's own answer is given.
    if (auto *dialog = qobject_cast<QDialog *>(window))
        QMetaObject::invokeMethod(dialog, [dialog] { dialog->done(0); }, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

void Answers::poll()
{
    // While a step drives its window, the windows opened from there are for other steps'
    // turns; the step ends before its own next window can come.
    if (m_acting)
        return;
    if (m_last && !m_last->isVisible())
        m_last = nullptr; // a window shown again later is a new turn
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !meets(modal))
        return; // a window just answered is hidden until its modal loop returns
    if (modal == m_last) {
        // Answered, yet still in front long after: a check failed; let the test go on.
        if (m_since.elapsed() > 5000) {
            m_since.start();
            turnAwayNow(modal, QStringLiteral("still open: "));
        }
        return;
    }
    if (!activated(modal))
        return;
    m_last = modal;
    m_since.start();
    const bool inTurn = m_next < m_steps.size() &&
                        (m_steps[m_next].window ? modal == m_steps[m_next].window
                                                : named(modal, m_steps[m_next].name));
    if (!inTurn) {
        keep(modal);
        turnAwayNow(modal, QString());
        return;
    }
    const Step &step = m_steps[m_next++];
    if (step.kept)
        keep(modal);
    m_acting = true;
    const bool answered = step.answer(modal);
    m_acting = false;
    if (!answered) {
        ++m_missed;
        turnAwayNow(modal, QStringLiteral("not answered: "));
    }
}

bool Answers::drive(const QString &name, QWidget *window, const std::function<void()> &open,
                    const std::function<void(QWidget *)> &steps)
{
    Answers driving;
    driving.m_meets = Meets::StepsOnly;
    driving.add({name, window, [&steps](QWidget *w) {
                     steps(w);
                     if (w->isVisible())
                         w->hide();
                     return true;
                 }});
    open();
    return driving.done();
}

bool whileOpen(const QString &window, const std::function<void()> &open,
               const std::function<void(QWidget *)> &steps)
{
    return Answers::drive(window, nullptr, open, steps);
}

void whileOpen(QWidget *window, const std::function<void()> &open,
               const std::function<void()> &steps)
{
    const bool cameUp = Answers::drive(QString(), window, open, [&steps](QWidget *) { steps(); });
    QVERIFY2(cameUp, qPrintable(QStringLiteral("%1 never came up").arg(window->objectName())));
}

MainWindowFixture::MainWindowFixture(const QStringList &rows)
{
    if (!rows.isEmpty())
        m_dir.exec(rows);
}

MainWindowFixture::~MainWindowFixture()
{
    close();
}

TForm1 *MainWindowFixture::start(Windows windows, StaffList staffList)
{
    m_form.reset(); // a restart: the old window lets the database go first
    QString error;
    m_form.reset(TForm1::create(&error));
    if (!m_form)
        qFatal("the main window did not start: %s", qPrintable(error));
    // Before any event is handled: the rows cannot have been handed over yet.
    BackgroundOpen *opening = m_form->data()->staffListOpening();
    if (staffList == StaffList::Held)
        opening->holdHandOver(true);
    if (windows == Windows::All)
        createWindows(m_form.get());
    m_form->show();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qFatal("the main window never became active");
    if (staffList == StaffList::Arrived && !QTest::qWaitFor([opening] { return !opening->isPending(); }, 10000))
        qFatal("the staff list never arrived");
    return m_form.get();
}

void MainWindowFixture::click(const char *button)
{
    // The panels only: the dialogs the window owns have push buttons of the same names.
    QTest::mouseClick(child<QPushButton>(m_form->centralWidget(), QLatin1String(button)),
                      Qt::LeftButton);
}

void MainWindowFixture::closeAnswering(const QString &answer)
{
    Answers box({answer});
    m_form->close();
    QVERIFY(box.done());
    QCOMPARE(box.text(), QStringLiteral("Programdan çıkmak istiyor musunuz?"));
    QCOMPARE(box.title(), QStringLiteral(" Meltora"));
}

void MainWindowFixture::close()
{
    if (m_form && m_form->isVisible()) {
        Answers yes({QStringLiteral("Evet")});
        m_form->close();
    }
    m_form.reset();
}

namespace
{
// The offscreen platform warns about window size hints on every top-level window, and that
// it cannot raise a pop-up or let it grab the keyboard each time a list or menu opens.
QtMessageHandler previousHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) ||
        message.contains(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}
} // namespace

void quietOffscreenWarnings()
{
    previousHandler = qInstallMessageHandler(quietHandler);
}
