#include "soak.h"

#include "data/changenotices.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/sharedqueries.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

namespace soak
{

namespace
{

qint64 nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

using Values = QMap<QString, QString>; // column (lower case) -> text
using Rows = QHash<qlonglong, Values>;

struct Write {
    QString table;
    char kind; // I, U or D
    qlonglong key;
    Values values;
    qint64 at;
    Values seen = {}; // an update's columns as the office saw them when it began
};

struct Heard {
    QString table;
    qlonglong key;
    qint64 at;
};

const QStringList kTables = {QStringLiteral("okul"), QStringLiteral("uyeler")};

QString keyColumn(const QString &table)
{
    return table == QLatin1String("okul") ? QStringLiteral("sirano") : QStringLiteral("kayitno");
}

Rows readRows(Database &db, const QString &table)
{
    Rows rows;
    Statement st(db, QStringLiteral("SELECT * FROM %1").arg(table));
    const QString key = keyColumn(table);
    int keyAt = -1;
    QStringList names;
    for (int c = 0; c < st.columnCount(); ++c)
        names << st.cursor().columnName(c).toLower();
    keyAt = int(names.indexOf(key));
    while (st.step()) {
        Values values;
        for (int c = 0; c < names.size(); ++c)
            if (!st.isNull(c))
                values.insert(names[c], st.string(c));
        rows.insert(st.integer(keyAt), values);
    }
    return rows;
}

bool isConflict(DbError::Kind kind)
{
    using Kind = DbError::Kind;
    return kind == Kind::RowChanged || kind == Kind::RowDeleted || kind == Kind::StillInUse ||
           kind == Kind::NoMasterRow;
}

// One office: the program's shared lists on a connection and a thread of its own.
class Client : public QThread
{
public:
    Client(int number, const Options &options, bool fast, qint64 startAt, qint64 stopAt, qint64 compareAt)
        : m_number(number), m_options(options), m_fast(fast), m_startAt(startAt), m_stopAt(stopAt),
          m_compareAt(compareAt),
          m_random(options.seed * 7919u + unsigned(number))
    {
    }

    int process = 0;
    std::vector<Write> writes;
    std::vector<Heard> heard;
    qint64 conflicts = 0;
    qint64 otherErrors = 0;
    qint64 listsDiffering = 0;
    QStringList problems;

protected:
    void run() override
    {
        try {
            SharedQueries data;
            data.connect(RegisterAddress{QString(), QByteArray(), m_options.connection, QString()});
            data.openAll();
            process = data.connection().engine()->serverProcess();
            // After the lists have followed a change: when this office shows it.
            QObject::connect(data.changeNotices(), &ChangeNotices::changed,
                             [this](const QList<ChangeNotices::Change> &changes) {
                                 const qint64 at = nowUs();
                                 for (const ChangeNotices::Change &change : changes)
                                     for (qlonglong key : change.keys)
                                         heard.push_back({change.table, key, at});
                             });
            QEventLoop loop;
            QTimer pace;
            QObject::connect(&pace, &QTimer::timeout, [&] {
                if (nowUs() >= m_stopAt) {
                    pace.stop();
                    QTimer::singleShot(int(std::max<qint64>(0, (m_compareAt - nowUs()) / 1000)), &loop,
                                       &QEventLoop::quit);
                    return;
                }
                act(data);
                if (!m_fast)
                    pace.setInterval(int(m_random() % 300) + 100);
            });
            // Every office begins at once, its lists open.
            QTimer::singleShot(int(std::max<qint64>(0, (m_startAt - nowUs()) / 1000)), &pace,
                               [&] { pace.start(m_fast ? 0 : 200); });
            loop.exec();
            compareLists(data);
        } catch (const DbError &e) {
            problems << QStringLiteral("client %1: %2").arg(m_number).arg(e.describedText());
        }
    }

private:
    int pick(int count, bool hot)
    {
        if (count <= 0)
            return -1;
        // The quick clients work on the first rows of the lists, where they meet each other.
        const int range = hot ? std::min(count, 40) : count;
        return int(m_random() % unsigned(range));
    }

    QString token()
    {
        return QStringLiteral("Ş%1-%2").arg(m_number).arg(++m_counter);
    }

    void act(SharedQueries &data)
    {
        const unsigned roll = m_random() % 100;
        try {
            if (roll < 45)
                updateOne(data.staff(), QStringLiteral("uyeler"),
                          {QStringLiteral("ev_adresi"), QStringLiteral("baba_adi"), QStringLiteral("anne_adi"),
                           QStringLiteral("dogum_yeri")});
            else if (roll < 60)
                updateOne(data.units(), QStringLiteral("okul"),
                          {QStringLiteral("adresi"), QStringLiteral("okul_muduru")});
            else if (roll < 78)
                addStaff(data);
            else if (roll < 90)
                deleteStaff(data);
            else if (roll < 95)
                addUnit(data);
            else
                deleteUnit(data);
        } catch (const DbError &e) {
            if (isConflict(e.kind()) && !e.describe().text.isEmpty()) {
                ++conflicts;
            } else {
                ++otherErrors;
                problems << QStringLiteral("client %1: %2").arg(m_number).arg(e.describedText());
            }
            for (Dataset *list : data.all())
                if (list->isEditing())
                    list->cancel();
        }
    }

    void updateOne(Dataset *list, const QString &table, const QStringList &fields)
    {
        const int row = pick(list->recordCount(), m_fast);
        if (row < 0)
            return;
        list->setRecNo(row + 1);
        const qlonglong key = list->value(keyColumn(table)).toLongLong();
        const QString field = fields[int(m_random() % unsigned(fields.size()))];
        const QString value = token();
        const QString seen = list->fieldText(field);
        list->edit();
        list->setFieldText(field, value);
        list->post();
        writes.push_back({table, 'U', key, {{field.toLower(), value}}, nowUs(), {{field.toLower(), seen}}});
    }

    void addStaff(SharedQueries &data)
    {
        const int row = pick(data.units()->recordCount(), false);
        if (row < 0)
            return;
        data.units()->setRecNo(row + 1);
        const QString unit = data.units()->fieldText(QStringLiteral("SiraNo"));
        Dataset *staff = data.unitStaff();
        const QString name = token();
        staff->append();
        staff->setFieldText(QStringLiteral("adi"), name);
        staff->setFieldText(QStringLiteral("soyadi"), QStringLiteral("SOYAD"));
        staff->post();
        writes.push_back({QStringLiteral("uyeler"), 'I', staff->value(QStringLiteral("KayitNo")).toLongLong(),
                          {{QStringLiteral("sirano"), unit},
                           {QStringLiteral("adi"), name},
                           {QStringLiteral("soyadi"), QStringLiteral("SOYAD")}},
                          nowUs()});
    }

    void deleteStaff(SharedQueries &data)
    {
        Dataset *list = data.staff();
        const int row = pick(list->recordCount(), m_fast);
        if (row < 0)
            return;
        list->setRecNo(row + 1);
        const qlonglong key = list->value(QStringLiteral("KayitNo")).toLongLong();
        list->remove();
        writes.push_back({QStringLiteral("uyeler"), 'D', key, {}, nowUs()});
    }

    void addUnit(SharedQueries &data)
    {
        const QString name = token();
        data.units()->append();
        data.units()->setFieldText(QStringLiteral("okul_adi"), name);
        data.units()->post();
        writes.push_back({QStringLiteral("okul"), 'I', data.units()->value(QStringLiteral("SiraNo")).toLongLong(),
                          {{QStringLiteral("okul_adi"), name}}, nowUs()});
    }

    void deleteUnit(SharedQueries &data)
    {
        const int row = pick(data.units()->recordCount(), false);
        if (row < 0)
            return;
        data.units()->setRecNo(row + 1);
        const QVariant key = data.units()->value(QStringLiteral("SiraNo"));
        // As the unit form does: a unit with staff is not offered for deleting.
        if (data.staffCountOfUnit(key) > 0)
            return;
        data.units()->remove();
        writes.push_back({QStringLiteral("okul"), 'D', key.toLongLong(), {}, nowUs()});
    }

    // The lists as this office shows them, against the server's rows now.
    void compareLists(SharedQueries &data)
    {
        const struct {
            Dataset *list;
            QString table;
        } lists[] = {{data.units(), QStringLiteral("okul")}, {data.staff(), QStringLiteral("uyeler")}};
        for (const auto &[list, table] : lists) {
            const Rows server = readRows(data.connection(), table);
            Rows shown;
            const QStringList fields = list->fieldNames();
            for (int row = 0; row < list->recordCount(); ++row) {
                Values values;
                qlonglong key = 0;
                for (int f = 0; f < fields.size(); ++f) {
                    const int field = list->fieldIndex(fields[f]);
                    const QVariant value = list->valueAt(row, field);
                    if (fields[f].compare(keyColumn(table), Qt::CaseInsensitive) == 0)
                        key = value.toLongLong();
                    if (!value.isNull())
                        values.insert(fields[f].toLower(), list->textAt(row, field));
                }
                shown.insert(key, values);
            }
            bool same = shown.size() == server.size() && shown.size() == list->recordCount();
            for (auto it = shown.cbegin(); same && it != shown.cend(); ++it) {
                const auto found = server.constFind(it.key());
                if (found == server.cend()) {
                    same = false;
                    break;
                }
                Values stored;
                for (const QString &field : fields)
                    if (found->contains(field.toLower()))
                        stored.insert(field.toLower(), found->value(field.toLower()));
                same = stored == it.value();
            }
            if (!same) {
                ++listsDiffering;
                problems << QStringLiteral("client %1: the %2 list shows %3 rows, the server holds %4")
                                .arg(m_number)
                                .arg(table)
                                .arg(shown.size())
                                .arg(server.size());
            }
        }
    }

    const int m_number;
    const Options m_options;
    const bool m_fast;
    const qint64 m_startAt;
    const qint64 m_stopAt;
    const qint64 m_compareAt;
    std::mt19937 m_random;
    int m_counter = 0;
};

void fill(const Options &options)
{
    Database db;
    db.openServer(options.connection);
    db.exec(QStringLiteral("INSERT INTO okul (okul_adi, adresi) SELECT 'BİRİM ' || g, 'ADRES ' || g "
                           "FROM generate_series(1, %1) g")
                .arg(options.units));
    db.exec(QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) "
                           "SELECT 1 + g % %1, 'AD' || g, 'SOYAD' || g, 'AD' || g || ' SOYAD' || g "
                           "FROM generate_series(1, %2) g")
                .arg(options.units)
                .arg(options.staff));
}

double percentile(std::vector<qint64> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return double(values[at]) / 1000.0;
}

} // namespace

QStringList Figures::lines() const
{
    return {
        QStringLiteral("clients: %1").arg(clients),
        QStringLiteral("seconds: %1").arg(seconds),
        QStringLiteral("saves done: %1").arg(savesDone),
        QStringLiteral("conflicts reported: %1").arg(conflicts),
        QStringLiteral("other errors: %1").arg(otherErrors),
        QStringLiteral("lost updates: %1").arg(lostUpdates),
        QStringLiteral("staff without their unit: %1").arg(orphanStaff),
        QStringLiteral("client lists differing from the server: %1").arg(listsDiffering),
        QStringLiteral("notices received: %1").arg(noticesReceived),
        QStringLiteral("commit to the other clients' lists: p95 %1 ms, median %2 ms (%3 samples)")
            .arg(p95Ms, 0, 'f', 1)
            .arg(medianMs, 0, 'f', 1)
            .arg(latencySamples),
    };
}

Figures run(const Options &options)
{
    Figures figures;
    figures.clients = options.clients;
    figures.seconds = options.seconds;
    fill(options);

    Database checker;
    checker.openServer(options.connection);
    QHash<QString, Rows> expected;
    for (const QString &table : kTables)
        expected.insert(table, readRows(checker, table));

    // Every notice, in the order the server committed the changes.
    ChangeNotices auditor(RegisterAddress{QString(), QByteArray(), options.connection, QString()});
    std::vector<QByteArray> audited;
    QObject::connect(&auditor, &ChangeNotices::heard, [&](const QByteArray &notice) { audited.push_back(notice); });
    auditor.start();
    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auditor.isListening())
            wait.quit();
    });
    poll.start(10);
    wait.exec();

    const qint64 start = nowUs() + 1'500'000; // the clients' lists are open by then
    const qint64 stopAt = start + qint64(options.seconds) * 1'000'000;
    const qint64 compareAt = stopAt + 2'500'000;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < options.clients; ++i)
        clients.push_back(std::make_unique<Client>(i + 1, options, i % 2 == 1, start, stopAt, compareAt));
    for (auto &client : clients)
        client->start();
    QObject::disconnect(&poll, nullptr, nullptr, nullptr);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (std::all_of(clients.begin(), clients.end(), [](const auto &c) { return c->isFinished(); }))
            wait.quit();
    });
    wait.exec();
    for (auto &client : clients)
        client->wait();

    // The saves reported as done, applied in the order the notices came.
    QHash<int, Client *> byProcess;
    QHash<Client *, size_t> next;
    for (auto &client : clients) {
        byProcess.insert(client->process, client.get());
        figures.savesDone += qint64(std::count_if(client->writes.begin(), client->writes.end(),
                                                  [](const Write &w) { return w.kind != 'D'; }));
        figures.conflicts += client->conflicts;
        figures.otherErrors += client->otherErrors;
        figures.listsDiffering += client->listsDiffering;
        figures.problems += client->problems;
    }
    QHash<QString, QSet<qlonglong>> deleted;
    for (const QByteArray &notice : audited) {
        const QList<QByteArray> parts = notice.split('|');
        Client *client = byProcess.value(parts.value(2).toInt());
        if (!client || parts.size() != 4)
            continue;
        const QString table = QString::fromLatin1(parts[0]);
        const char kind = parts[1].isEmpty() ? '?' : parts[1][0];
        const qlonglong key = parts[3].toLongLong();
        size_t &at = next[client];
        // A delete of a row another office had deleted already changes nothing and is not
        // announced.
        while (at < client->writes.size() && client->writes[at].kind == 'D' &&
               !(client->writes[at].table == table && kind == 'D' && client->writes[at].key == key))
            ++at;
        if (at >= client->writes.size()) {
            figures.problems << QStringLiteral("a change nobody reported: %1").arg(QString::fromLatin1(notice));
            continue;
        }
        const Write &write = client->writes[at++];
        if (write.table != table || write.kind != kind || write.key != key) {
            figures.problems << QStringLiteral("the notice %1 does not follow the save %2 %3 %4")
                                    .arg(QString::fromLatin1(notice), write.table, QChar(write.kind))
                                    .arg(write.key);
            continue;
        }
        Rows &rows = expected[table];
        if (kind == 'D') {
            rows.remove(key);
            deleted[table].insert(key);
        } else {
            Values &values = rows[key];
            // An update over a value the office never saw has lost the change that made it.
            for (auto v = write.seen.cbegin(); v != write.seen.cend(); ++v)
                if (values.value(v.key()) != v.value()) {
                    ++figures.lostUpdates;
                    figures.problems << QStringLiteral("%1 %2: %3 saved over \"%4\" unseen (it saw \"%5\")")
                                            .arg(table)
                                            .arg(key)
                                            .arg(v.key(), values.value(v.key()), v.value());
                }
            for (auto v = write.values.cbegin(); v != write.values.cend(); ++v)
                values.insert(v.key(), v.value());
        }
    }
    for (auto &client : clients)
        for (size_t at = next.value(client.get()); at < client->writes.size(); ++at)
            if (client->writes[at].kind != 'D') {
                ++figures.lostUpdates;
                figures.problems << QStringLiteral("a save reported as done was never announced: %1 %2")
                                        .arg(client->writes[at].table)
                                        .arg(client->writes[at].key);
            }

    for (const QString &table : kTables) {
        const Rows stored = readRows(checker, table);
        const Rows &wanted = expected[table];
        for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
            const auto found = stored.constFind(it.key());
            bool same = found != stored.cend();
            for (auto v = it.value().cbegin(); same && v != it.value().cend(); ++v)
                same = found->value(v.key()) == v.value();
            if (!same) {
                ++figures.lostUpdates;
                figures.problems << QStringLiteral("%1 %2 differs from the saves").arg(table).arg(it.key());
            }
        }
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            if (!wanted.contains(it.key())) {
                ++figures.lostUpdates;
                figures.problems << QStringLiteral("%1 %2 is on the server but no save left it there")
                                        .arg(table)
                                        .arg(it.key());
            }
    }
    figures.orphanStaff = checker
                              .scalar(QStringLiteral("SELECT count(*) FROM uyeler u WHERE NOT EXISTS "
                                                     "(SELECT 1 FROM okul o WHERE o.SiraNo = u.SiraNo)"))
                              .toLongLong();
    figures.noticesReceived = auditor.received();

    // From a commit to each other client's lists showing it.
    QHash<QPair<QString, qlonglong>, std::vector<std::pair<qint64, Client *>>> commits;
    for (auto &client : clients)
        for (const Write &write : client->writes)
            commits[{write.table, write.key}].push_back({write.at, client.get()});
    for (auto &list : commits)
        std::sort(list.begin(), list.end());
    std::vector<qint64> latencies;
    for (auto &client : clients) {
        QSet<QPair<QPair<QString, qlonglong>, qint64>> counted;
        for (const Heard &h : client->heard) {
            const auto found = commits.constFind({h.table, h.key});
            if (found == commits.cend())
                continue;
            // The latest commit of another client that this change can be showing.
            const std::pair<qint64, Client *> *latest = nullptr;
            for (const auto &commit : *found)
                if (commit.first <= h.at && commit.second != client.get())
                    latest = &commit;
            if (!latest || counted.contains({{h.table, h.key}, latest->first}))
                continue;
            counted.insert({{h.table, h.key}, latest->first});
            latencies.push_back(h.at - latest->first);
        }
    }
    figures.latencySamples = qint64(latencies.size());
    figures.p95Ms = percentile(latencies, 0.95);
    figures.medianMs = percentile(latencies, 0.5);
    return figures;
}

} // namespace soak
