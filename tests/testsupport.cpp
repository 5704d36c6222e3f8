#include "testsupport.h"

#include "data/database.h"
#include "data/programdir.h"
#include "data/schema.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <stdexcept>

void waitIdle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void typeText(QWidget *widget, const QString &text)
{
    for (QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

TestProgramDir::TestProgramDir()
{
    QString error;
    if (!Database::create(databasePath(), schema::kKey, &error))
        throw std::runtime_error(error.toStdString());
    ProgramDir::setPath(m_dir.path());
}

QString TestProgramDir::databasePath() const
{
    return m_dir.filePath(QString::fromLatin1(schema::kDatabaseFile));
}

void TestProgramDir::exec(const QString &sql) const
{
    Database db;
    QString error;
    if (!db.open(databasePath(), schema::kKey, &error))
        throw std::runtime_error(error.toStdString());
    db.exec(sql);
}

void TestProgramDir::exec(const QStringList &statements) const
{
    exec(statements.join(QStringLiteral(";\n")));
}

ModalAnswer::ModalAnswer(const QString &buttonText, int timeoutMs)
    : m_button(buttonText), m_remaining(timeoutMs / 20), m_timer(new QTimer)
{
    QObject::connect(m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer->start(20);
}

ModalAnswer::~ModalAnswer()
{
    delete m_timer;
}

void ModalAnswer::poll()
{
    if (m_answered || --m_remaining < 0) {
        m_timer->stop();
        return;
    }
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto box = qobject_cast<QMessageBox *>(modal)) {
        m_text = box->text();
    } else if (auto label = modal->findChild<QLabel *>()) {
        m_text = label->text();
    }
    m_title = modal->windowTitle();
    for (QAbstractButton *b : modal->findChildren<QAbstractButton *>()) {
        if (b->text().remove(QLatin1Char('&')) == m_button) {
            m_answered = true;
            m_timer->stop();
            b->click();
            return;
        }
    }
}

namespace {
// The offscreen platform warns about window size hints on every top-level window; that
// noise would hide the warnings that matter.
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
