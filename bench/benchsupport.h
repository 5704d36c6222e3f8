#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <vector>

class QTimer;

// Small pieces the benchmarks share: timing, order statistics, the sqlcipher shell as the
// reference measured in the same run, and a report that marks figures beyond their target.
namespace bench {

void say(const QString &line);

// The value given after `name` on the command line ("--reps 7"), or `fallback` when the
// option is missing or has no value after it.
QString option(const QStringList &args, const QString &name, const QString &fallback = QString());
int option(const QStringList &args, const QString &name, int fallback);

class Timer
{
public:
    Timer() { m_timer.start(); }
    double ms() const { return double(m_timer.nsecsElapsed()) / 1e6; }

private:
    QElapsedTimer m_timer;
};

double median(std::vector<double> values);
double percentile(std::vector<double> values, double p);

// A child process with its standard input from `input` and its output into `output`
// (/dev/null when empty); -1 when it could not start. Started with posix_spawn: after a
// QProcess start this process was measurably slower in our runs.
pid_t spawn(const QStringList &argv, const QStringList &environment, const QString &input = QString(),
            const QString &output = QString());
// The exit status, or -1 when the child did not end normally.
int waitExit(pid_t pid);
QStringList environment();

// Wall time of the sqlcipher shell opening the database with our key and page size and
// running the statements with its output sent to /dev/null, from its start to its end; -1
// when the shell is not there or failed.
double shellRun(const QString &database, const QString &statements);
// psql running the statements, output to /dev/null, from its start to its end; -1 without psql.
double psqlRun(const QString &conninfo, const QString &statements);
// The statements every list of the main window reads at the start, as psql is given them.
extern const QString kServerStartUp;
// The median of reps such runs.
double shellMedian(const QString &database, const QString &statements, int reps);

// The shell form of one of our statements: the parameter of the unit link spelt out, and an
// order on a text column given the collation the shell knows (NOCASE, the nearest to ours).
QString shellForm(QString sql, qlonglong unitKey);

class Report
{
public:
    // `reference` names what the figure is set against: the shell unless told otherwise.
    void ratio(const QString &what, double ms, double referenceMs, double target,
               const QString &reference = QStringLiteral("shell"));
    void percentiles(const QString &what, const std::vector<double> &ms, double p95Target);
    void limit(const QString &what, double value, double target, const QString &unit = QStringLiteral("ms"));
    // A time beside its reference, with a target in milliseconds rather than a ratio.
    void limitBeside(const QString &what, double ms, double referenceMs, double targetMs,
                     const QString &reference = QStringLiteral("shell"));
    void print() const;

private:
    QStringList m_lines;
};

// While it lives, answers every modal dialog by clicking the button with the given text.
class AnswerModals
{
public:
    explicit AnswerModals(const QString &button);
    ~AnswerModals();

private:
    QTimer *m_timer;
};

} // namespace bench
