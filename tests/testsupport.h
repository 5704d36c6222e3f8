#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

class Database;

// Lets the event loop run until it has nothing to do, as it does between the user's
// actions; the main window's idle-time refresh runs then. (QTest::qWait never blocks,
// so it never reaches that point.)
void waitIdle(int ms = 30);

// Types text key by key, as the keyboard would (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text);

// Call from initTestCase: drops the offscreen platform's size-hint warnings.
void quietOffscreenWarnings();

// A fresh program folder with an empty Data.dat for each test; ProgramDir points at it.
class TestProgramDir
{
public:
    TestProgramDir();
    QString path() const { return m_dir.path(); }
    QString databasePath() const;
    // Runs SQL on the database through a connection of its own.
    void exec(const QString &sql) const;
    void exec(const QStringList &statements) const;

private:
    QTemporaryDir m_dir;
};

// Clicks the button with the given text on the next modal dialog that opens, and
// remembers the dialog's text. Used for the program's message boxes.
class ModalAnswer
{
public:
    explicit ModalAnswer(const QString &buttonText, int timeoutMs = 5000);
    ~ModalAnswer();
    bool answered() const { return m_answered; }
    QString text() const { return m_text; }
    QString title() const { return m_title; }

private:
    void poll();
    QString m_button;
    QString m_text;
    QString m_title;
    bool m_answered = false;
    int m_remaining;
    class QTimer *m_timer;
};
