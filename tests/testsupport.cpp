#include "testsupport.h"
#include "testserver.h"

#include <QFileInfo>

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
        if (const QFileInfo info(path); info.isAbsolute())
            dialog->setDirectory(info.absolutePath());
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

Answers::Answers(QStringList buttons, QString windowName)
    : m_buttons(std::move(buttons)), m_windowName(std::move(windowName))
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(10);
}

void Answers::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return; // a window just answered is hidden until its modal loop returns
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (m_windowName.isEmpty() ? !box : modal->objectName() != m_windowName)
        return;
    titles << modal->windowTitle();
    texts << (box ? box->text() : QString());
    details << (box ? box->informativeText() : QString());
    icons << (box ? box->icon() : QMessageBox::NoIcon);
    // A message box lists its buttons in the order the user sees them.
    const QList<QAbstractButton *> offered =
        box ? box->buttons() : modal->findChildren<QAbstractButton *>();
    QStringList names;
    for (QAbstractButton *b : offered)
        names << b->text();
    buttons << names;

    const int index = count() - 1;
    if (index < m_buttons.size()) {
        for (QAbstractButton *b : offered) {
            if (b->text().remove(QLatin1Char('&')) == m_buttons.at(index)) {
                ++m_clicked;
                b->click();
                return;
            }
        }
    }
    // done() rather than close(): the save question ignores its close box.
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->done(0);
    else
        modal->close();
}

void whileOpen(QWidget *window, const std::function<void()> &open,
               const std::function<void()> &steps)
{
    bool ran = false;
    QTimer poll;
    QElapsedTimer shown;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != window)
            return;
        // The steps see the window as the user does: activated, its focus set. A window
        // manager activates a new modal window; the offscreen platform leaves one opened
        // from a pop-up menu inactive, so it is asked for here. A busy machine may deliver
        // the activation late; a window never activated still gets its steps, so that the
        // test cannot wait for ever.
        if (!shown.isValid()) {
            shown.start();
            if (!window->isActiveWindow())
                window->activateWindow();
        }
        if (!window->isActiveWindow() && shown.elapsed() < 2000)
            return;
        poll.stop();
        ran = true;
        steps();
        if (window->isVisible())
            window->hide();
    });
    poll.start(10);
    open();
    QVERIFY2(ran, qPrintable(QStringLiteral("%1 never came up").arg(window->objectName())));
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
    QVERIFY(box.answered());
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
