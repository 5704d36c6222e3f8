// Ten offices on one server for some twenty seconds, editing, adding and deleting units and
// staff over a shared set of 1,000 rows, half at a user's pace and half as fast as they can:
// no save reported as done is lost, every refusal is one of the program's conflict messages,
// no staff row is left without its unit, and every office's lists end equal to the server.

#include "soak.h"
#include "testserver.h"

#include <QTest>

class TestSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tenOfficesLoseNothing()
    {
        if (!testserver::active())
            QSKIP("many offices work on a server only");
        soak::Options options;
        options.connection = testserver::freshRegister();
        options.clients = 10;
        options.seconds = qEnvironmentVariableIntValue("MELTORA_SOAK_SECONDS") > 0
                              ? qEnvironmentVariableIntValue("MELTORA_SOAK_SECONDS")
                              : 20;
        const soak::Figures figures = soak::run(options);
        for (const QString &line : figures.lines())
            qInfo("%s", qPrintable(line));
        for (const QString &problem : figures.problems.mid(0, 20))
            qWarning("%s", qPrintable(problem));
        QCOMPARE(figures.lostUpdates, 0);
        QCOMPARE(figures.otherErrors, 0);
        QCOMPARE(figures.orphanStaff, 0);
        QCOMPARE(figures.listsDiffering, 0);
        QVERIFY(figures.problems.isEmpty());
        QVERIFY2(figures.savesDone > 200, qPrintable(QString::number(figures.savesDone)));
        QVERIFY(figures.latencySamples > 100);
        QVERIFY2(figures.p95Ms < 1000, qPrintable(QString::number(figures.p95Ms)));
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
