#include "benchsupport.h"

#include "data/schema.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

void say(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
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

double shellMedian(const QString &database, const QString &statements, int reps)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
    if (shell.isEmpty())
        return -1;
    const QByteArray input = QStringLiteral("PRAGMA key = 'kovanta47';\nPRAGMA cipher_page_size = 4096;\n"
                                            ".output /dev/null\n%1\n")
                                 .arg(statements)
                                 .toUtf8();
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        QProcess process;
        Timer t;
        process.start(shell, {database});
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(-1);
        times.push_back(t.ms());
    }
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
