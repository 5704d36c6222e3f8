#include "benchsupport.h"

#include "data/schema.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QFile>
#include <QTemporaryFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace bench {

void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString option(const QStringList &args, const QString &name, const QString &fallback)
{
    const int at = args.indexOf(name);
    return at > 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

int option(const QStringList &args, const QString &name, int fallback)
{
    bool ok = false;
    const int value = option(args, name).toInt(&ok);
    return ok ? value : fallback;
}

double median(std::vector<double> values)
{
    return percentile(std::move(values), 50);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    // Nearest rank: p95 of 20 values is the 19th.
    size_t rank = size_t(std::ceil(p / 100.0 * double(values.size())));
    rank = std::clamp<size_t>(rank, 1, values.size());
    return values[rank - 1];
}

pid_t spawn(const QStringList &argv, const QStringList &environment, const QString &input, const QString &output)
{
    std::vector<QByteArray> args, env;
    for (const QString &a : argv)
        args.push_back(QFile::encodeName(a));
    for (const QString &e : environment)
        env.push_back(e.toLocal8Bit());
    std::vector<char *> argp, envp;
    for (QByteArray &a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray in = QFile::encodeName(input.isEmpty() ? QStringLiteral("/dev/null") : input);
    const QByteArray out = QFile::encodeName(output.isEmpty() ? QStringLiteral("/dev/null") : output);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.constData(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int waitExit(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QStringList environment()
{
    QStringList env;
    for (char **e = environ; *e; ++e)
        env << QString::fromLocal8Bit(*e);
    return env;
}

double shellRun(const QString &database, const QString &statements)
{
    static const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
    if (shell.isEmpty())
        return -1;
    QTemporaryFile script;
    if (!script.open())
        return -1;
    script.write(QByteArray("PRAGMA key = '") + schema::kKey + "';\nPRAGMA cipher_page_size = 4096;\n" +
                 statements.toUtf8() + "\n");
    script.flush();
    Timer t;
    const pid_t pid = spawn({shell, QStringLiteral("-bail"), QStringLiteral("-batch"), QStringLiteral("-init"),
                             QStringLiteral("/dev/null"), database},
                            environment(), script.fileName());
    if (pid < 0 || waitExit(pid) != 0)
        return -1;
    return t.ms();
}

double psqlRun(const QString &conninfo, const QString &statements)
{
    static const QString psql = QStandardPaths::findExecutable(QStringLiteral("psql"));
    if (psql.isEmpty())
        return -1;
    QTemporaryFile script;
    if (!script.open())
        return -1;
    script.write(statements.toUtf8());
    script.flush();
    Timer timer;
    const pid_t pid = spawn({psql, QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"), conninfo,
                             QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-f"),
                             script.fileName()},
                            environment());
    if (pid < 0 || waitExit(pid) != 0)
        return -1;
    return timer.ms();
}

const QString kServerStartUp = QStringLiteral(
    "select * from okul order by okul_adi;\n"
    "select * from uyeler where SiraNo = (select min(SiraNo) from okul) order by adi;\n"
    "select * from sabit;\nselect * from uyeler order by adi;\nselect * from yetkili;\n"
    "select * from sendikalar;\nselect * from veriler;\n");

double shellMedian(const QString &database, const QString &statements, int reps)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i)
        times.push_back(shellRun(database, statements));
    return median(times);
}

QString shellForm(QString sql, qlonglong unitKey)
{
    sql.replace(QRegularExpression(QStringLiteral(":SiraNo\\b"), QRegularExpression::CaseInsensitiveOption),
                QString::number(unitKey));
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\s+(\\w+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString table = from.match(sql).captured(1);
    const QRegularExpressionMatch order = orderBy.match(sql);
    if (order.hasMatch() && schema::textSize(table, order.captured(1)) > 0)
        sql.insert(order.capturedEnd(1), QStringLiteral(" COLLATE NOCASE"));
    return sql + QLatin1Char(';');
}

namespace {
QString fixed(double ms)
{
    if (ms < 0)
        return QStringLiteral("n/a");
    return QString::number(ms, 'f', ms < 10 ? 2 : 0) + QStringLiteral(" ms");
}
} // namespace

void Report::ratio(const QString &what, double ms, double referenceMs, double target,
                   const QString &reference)
{
    const double r = referenceMs > 0 ? ms / referenceMs : -1;
    QString line = QStringLiteral("%1: %2   %3: %4   ratio %5   (target <= %6)")
                       .arg(what, fixed(ms), reference, fixed(referenceMs))
                       .arg(r < 0 ? QStringLiteral("n/a") : QString::number(r, 'f', 2))
                       .arg(target, 0, 'f', 2);
    if (r > target)
        line += QStringLiteral("   MISSED");
    say(line);
    m_lines << line;
}

void Report::limitBeside(const QString &what, double ms, double referenceMs, double targetMs,
                         const QString &reference)
{
    const double r = referenceMs > 0 && ms >= 0 ? ms / referenceMs : -1;
    QString line = QStringLiteral("%1: %2   %3: %4   ratio %5   (target <= %6 ms)")
                       .arg(what, fixed(ms), reference, fixed(referenceMs))
                       .arg(r < 0 ? QStringLiteral("n/a") : QString::number(r, 'f', 2))
                       .arg(targetMs);
    if (ms < 0 || ms > targetMs)
        line += QStringLiteral("   MISSED");
    say(line);
    m_lines << line;
}

void Report::percentiles(const QString &what, const std::vector<double> &ms, double p95Target)
{
    const double p95 = percentile(ms, 95);
    QString line = QStringLiteral("%1: p50 %2   p95 %3   max %4   over %5 keystrokes   (target p95 <= %6 ms)")
                       .arg(what, fixed(percentile(ms, 50)), fixed(p95), fixed(percentile(ms, 100)))
                       .arg(ms.size())
                       .arg(p95Target);
    if (p95 > p95Target)
        line += QStringLiteral("   MISSED");
    say(line);
    m_lines << line;
}

void Report::limit(const QString &what, double value, double target, const QString &unit)
{
    const QString measured = value < 0 ? QStringLiteral("n/a")
                                       : QStringLiteral("%1 %2").arg(value, 0, 'f', value < 10 ? 2 : value < 100 ? 1 : 0).arg(unit);
    QString line = QStringLiteral("%1: %2   (target <= %3 %4)").arg(what, measured).arg(target).arg(unit);
    if (value > target)
        line += QStringLiteral("   MISSED");
    say(line);
    m_lines << line;
}

void Report::print() const
{
    say(QStringLiteral("\nsummary"));
    for (const QString &line : m_lines)
        say(QStringLiteral("  ") + line);
}

AnswerModals::AnswerModals(const QString &button) : m_timer(new QTimer)
{
    QObject::connect(m_timer, &QTimer::timeout, [button] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
            if (b->text().remove(QLatin1Char('&')) == button) {
                // A message in the middle of a measurement spoils it: say so.
                if (auto *box = qobject_cast<QMessageBox *>(modal))
                    say(QStringLiteral("(answered \"%1\" to: %2)").arg(button, box->text()));
                b->click();
                return;
            }
    });
    m_timer->start(10);
}

AnswerModals::~AnswerModals()
{
    delete m_timer;
}

} // namespace bench
