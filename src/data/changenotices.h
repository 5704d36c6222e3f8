#pragma once

#include "database.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

struct pg_conn;
class QSocketNotifier;

// Hears what the other offices change on a server: a connection of its own listens for the
// notices the tables send, read as they arrive through the event loop, never by asking. The
// notices of a moment are gathered and handed on together, so that a burst (a bulk delete in
// another office) arrives as one change. When the server goes away it says so, connects again
// by itself, and then asks its listeners to read everything afresh: what changed meanwhile
// was never announced to it.
//
// Connecting never waits in the event loop: it goes on step by step as the socket allows.
class ChangeNotices : public QObject
{
    Q_OBJECT
public:
    // What changed of one table since the last hand-over.
    struct Change {
        QString table;
        QList<qlonglong> keys;
        bool everyRow = false; // too many to name: the table's lists are read again whole
    };

    // The program's own changes are heard too: its other lists follow them as well.
    explicit ChangeNotices(const RegisterAddress &address, QObject *parent = nullptr);
    ~ChangeNotices() override;

    // Connects and starts listening.
    void start();
    bool isListening() const { return m_listening; }
    bool isAway() const { return m_away; }
    // The server process of the listening connection; 0 while there is none.
    int serverProcess() const;
    // Whether the server announces changes at all: a database made before it did, by a role
    // that may not add the announcing, does not.
    bool serverAnnounces() const { return m_announces; }
    // Listening, on a server that announces: every change from listeningSince() on is heard.
    bool hearsEveryChange() const { return m_listening && m_announces; }
    qint64 listeningSince() const { return m_listeningSince; }
    // Notices received so far, the program's own among them.
    quint64 received() const { return m_received; }

    static constexpr int kGatherMs = 100;
    static constexpr int kRetryMs = 1000;

Q_SIGNALS:
    void changed(const QList<ChangeNotices::Change> &changes);
    // Every notice as it arrives, before any gathering: "table|kind|server process|keys".
    void heard(const QByteArray &notice);
    // The connection broke off; the lists keep what they show.
    void connectionLost();
    // Connected again after a loss: everything is to be read afresh.
    void connectionBack();
    // Listening from now on, at the first connection and after each loss; `since` is when,
    // on the steady clock (ns) the lists' readings are timed by.
    void listening(qint64 since);

private:
    void connectNow();
    void continueConnecting();
    void watchSocket(bool forWriting);
    void connected();
    void readNotices();
    void take(const QByteArray &payload);
    void handOver();
    void lose();
    void dropConnection();
    void forgetNotifier();

    RegisterAddress m_address;
    pg_conn *m_conn = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    bool m_listening = false;
    bool m_announces = false;
    bool m_away = false; // lost, and not connected again yet
    quint64 m_received = 0;
    qint64 m_listeningSince = 0;
    QTimer m_gather;
    QTimer m_retry;
    QHash<QString, Change> m_pending;
};
