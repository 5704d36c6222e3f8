// Where the register lives (the program folder, the user's data folder, a folder named on
// the command line), its making at the first start, and the command line of the real
// program: --help and --version answer without a display, --data opens another folder.

#include "app/commandline.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "data/programdir.h"
#include "data/schema.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kProgram = QStringLiteral(MELTORA_PROGRAM_DIR "/meltora");

void makeFolder(const QString &path)
{
    QVERIFY(QDir().mkpath(path));
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// An environment without any display: a program that needed one would fail to start.
QProcessEnvironment withoutDisplay(const QString &home)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    return env;
}

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run runProgram(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool holdsEmptyRegister(const QString &path)
{
    Database db;
    QString error;
    if (!db.open(path, schema::kKey, &error))
        return false;
    try {
        db.checkTables();
        return db.scalar(QStringLiteral("SELECT count(*) FROM okul")).toInt() == 0;
    } catch (...) {
        return false;
    }
}

// Starts the real program under the offscreen platform and waits until `register_` exists;
// the program is then ended (it would wait for the user).
bool startsAndMakes(const QString &program, const QStringList &arguments, const QString &home,
                    const QString &register_)
{
    QProcessEnvironment env = withoutDisplay(home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    const bool made = QTest::qWaitFor(
        [&] {
            return QFileInfo::exists(register_) || process.state() == QProcess::NotRunning;
        },
        20000);
    // The register is renamed into place whole; the main window may still be on its way.
    const bool exists = made && QFileInfo::exists(register_);
    process.kill();
    process.waitForFinished();
    return exists;
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_formerDataHome;

    QString at(const QString &relative) const { return m_dir.filePath(relative); }

private Q_SLOTS:
    void initTestCase()
    {
        m_formerDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(at("xdg")));
    }
    void cleanupTestCase() { qputenv("XDG_DATA_HOME", m_formerDataHome); }
    void cleanup()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(at(name)).removeRecursively();
    }

    void choice_data();
    void choice();
    void folderWithoutRegisterThatCannotBeWritten();
    void firstStartMakesAnEmptyRegister_data();
    void firstStartMakesAnEmptyRegister();
    void existingRegisterIsLeftAsItIs();
    void namedFolderMustExist();
    void userFolderThatCannotBeMade();

    void programFilesFoundWhereInstalled_data();
    void programFilesFoundWhereInstalled();

    void commandLine_data();
    void commandLine();
    void helpAndVersionWithoutADisplay_data();
    void helpAndVersionWithoutADisplay();
    void unknownOptionIsRefused();
    void installedProgramKeepsTheRegisterInTheHome();
    void dataOptionOpensAnotherFolder();
};

void TestDataFolder::choice_data()
{
    QTest::addColumn<QString>("executable"); // the program's folder
    QTest::addColumn<QStringList>("present"); // files and folders made first
    QTest::addColumn<QString>("named");      // --data
    QTest::addColumn<QString>("folder");     // expected; "USER" for the user's data folder
    QTest::addColumn<int>("kind");
    const int named = int(datafolder::Kind::Named);
    const int program = int(datafolder::Kind::ProgramFolder);
    const int user = int(datafolder::Kind::UserFolder);
    QTest::newRow("portable folder with its register")
        << "portable" << QStringList{"portable/Data.dat"} << "" << "portable" << program;
    QTest::newRow("installed") << "usr/bin" << QStringList{"usr/share/meltora/"} << ""
                               << "USER" << user;
    QTest::newRow("installed, yet a register beside the program")
        << "usr/bin" << QStringList{"usr/share/meltora/", "usr/bin/Data.dat"} << ""
        << "usr/bin" << program;
    QTest::newRow("a bin folder that is no installation")
        << "build/bin" << QStringList{} << "" << "build/bin" << program;
    QTest::newRow("new writable folder") << "copy" << QStringList{} << "" << "copy" << program;
    QTest::newRow("named folder wins") << "portable" << QStringList{"portable/Data.dat", "ortak/"}
                                       << "ortak" << "ortak" << named;
    QTest::newRow("named folder of an installed program")
        << "usr/bin" << QStringList{"usr/share/meltora/", "ortak/"} << "ortak" << "ortak" << named;
}

void TestDataFolder::choice()
{
    QFETCH(QString, executable);
    QFETCH(QStringList, present);
    QFETCH(QString, named);
    QFETCH(QString, folder);
    QFETCH(int, kind);
    makeFolder(at(executable));
    for (const QString &path : present) {
        if (path.endsWith('/'))
            makeFolder(at(path));
        else
            touch(at(path));
    }
    const datafolder::Choice choice =
        datafolder::choose(at(executable), named.isEmpty() ? QString() : at(named));
    const QString expected = folder == "USER" ? at("xdg/Meltora") : at(folder);
    QCOMPARE(choice.folder, expected);
    QCOMPARE(int(choice.kind), kind);
}

void TestDataFolder::folderWithoutRegisterThatCannotBeWritten()
{
    TestProgramDir dir;
    QVERIFY(QFile::remove(dir.databasePath()));
    datafolder::Choice choice;
    {
        WriteProtectedProgramDir readOnly(dir);
        choice = datafolder::choose(dir.path(), QString());
    }
    QCOMPARE(choice.folder, at("xdg/Meltora"));
    QCOMPARE(int(choice.kind), int(datafolder::Kind::UserFolder));
}

void TestDataFolder::firstStartMakesAnEmptyRegister_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("user folder, parents missing") << "xdg/Meltora";
    QTest::newRow("program folder without a register") << "copy";
}

void TestDataFolder::firstStartMakesAnEmptyRegister()
{
    QFETCH(QString, folder);
    if (folder == "copy")
        makeFolder(at(folder));
    const datafolder::Choice choice{at(folder), folder == "copy" ? datafolder::Kind::ProgramFolder
                                                                 : datafolder::Kind::UserFolder};
    QString error;
    QVERIFY2(datafolder::prepare(choice, &error), qPrintable(error));
    QVERIFY(holdsEmptyRegister(QDir(at(folder)).filePath("Data.dat")));
    // Nothing of the making is left beside it.
    QCOMPARE(QDir(at(folder)).entryList(QDir::Files | QDir::Hidden), QStringList{"Data.dat"});
}

void TestDataFolder::existingRegisterIsLeftAsItIs()
{
    TestProgramDir dir;
    dir.exec(QStringLiteral("INSERT INTO okul (okul_adi) VALUES ('A OKULU')"));
    const QByteArray before = fileBytes(dir.databasePath());
    QString error;
    QVERIFY(datafolder::prepare({dir.path(), datafolder::Kind::Named}, &error));
    QCOMPARE(fileBytes(dir.databasePath()), before);
}

void TestDataFolder::namedFolderMustExist()
{
    QString error;
    QVERIFY(!datafolder::prepare({at("yok/ortak"), datafolder::Kind::Named}, &error));
    QCOMPARE(error, QStringLiteral("Veri klasörü bulunamadı: %1\nNeden: dosya ya da klasör "
                                   "bulunamadı.")
                        .arg(at("yok/ortak")));
    QVERIFY(!QFileInfo::exists(at("yok")));
}

void TestDataFolder::userFolderThatCannotBeMade()
{
    touch(at("dosya")); // a file where a folder would have to be
    QString error;
    QVERIFY(!datafolder::prepare({at("dosya/Meltora"), datafolder::Kind::UserFolder}, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Veri klasörü oluşturulamadı: ") + at("dosya/Meltora")),
             qPrintable(error));
}

void TestDataFolder::programFilesFoundWhereInstalled_data()
{
    QTest::addColumn<QString>("installedIn"); // beside the executable's folder
    QTest::addColumn<bool>("helper");
    QTest::newRow("help topics in share/meltora") << "../share/meltora" << false;
    QTest::newRow("workbook reader in libexec/meltora") << "../libexec/meltora" << true;
}

void TestDataFolder::programFilesFoundWhereInstalled()
{
    QFETCH(QString, installedIn);
    QFETCH(bool, helper);
    const auto find = [helper](const QString &name) {
        return helper ? ProgramDir::helperProgram(name) : ProgramDir::sharedFile(name);
    };
    // The installed layout around this test program: <prefix>/tests and <prefix>/share/...
    const QDir installed(QDir::cleanPath(
        QDir(QCoreApplication::applicationDirPath()).filePath(installedIn)));
    const QString name = QStringLiteral("kurulu-%1").arg(QCoreApplication::applicationPid());
    const bool madeFolder = !installed.exists();
    QVERIFY(QDir().mkpath(installed.path()));
    touch(installed.filePath(name));
    makeFolder(at("calisma"));
    ProgramDir::setPath(at("calisma"));
    const QString found = find(name);
    // A copy in the folder the program works in comes first (a portable folder).
    touch(at("calisma/") + name);
    const QString foundInFolder = find(name);
    ProgramDir::setPath(QString());
    QFile::remove(installed.filePath(name));
    if (madeFolder)
        QDir().rmpath(installed.path());
    QCOMPARE(found, installed.filePath(name));
    QCOMPARE(foundInFolder, at("calisma/") + name);
}

void TestDataFolder::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("version");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QStringList>("unknown");
    QTest::addColumn<QString>("server");
    QTest::newRow("none") << QStringList{} << false << false << "" << false << QStringList{} << QString();
    QTest::newRow("--help") << QStringList{"--help"} << true << false << "" << false
                            << QStringList{} << QString();
    QTest::newRow("-h") << QStringList{"-h"} << true << false << "" << false << QStringList{} << QString();
    QTest::newRow("--version") << QStringList{"--version"} << false << true << "" << false
                               << QStringList{} << QString();
    QTest::newRow("--data DIR") << QStringList{"--data", "/srv/ortak"} << false << false
                                << "/srv/ortak" << false << QStringList{} << QString();
    QTest::newRow("--data=DIR") << QStringList{"--data=/srv/Şube"} << false << false
                                << "/srv/Şube" << false << QStringList{} << QString();
    QTest::newRow("--data without a folder") << QStringList{"--data"} << false << false << ""
                                             << true << QStringList{} << QString();
    QTest::newRow("unknown kept") << QStringList{"-platform", "offscreen", "--data", "x"} << false
                                  << false << "x" << false
                                  << QStringList{"-platform", "offscreen"} << QString();
    QTest::newRow("--server CONNINFO")
        << QStringList{"--server", "host=sunucu dbname=meltora"} << false << false << "" << false
        << QStringList{} << "host=sunucu dbname=meltora";
    QTest::newRow("--server=URI") << QStringList{"--server=postgresql://sunucu/meltora?sslmode=verify-full"}
                                  << false << false << "" << false << QStringList{}
                                  << "postgresql://sunucu/meltora?sslmode=verify-full";
    QTest::newRow("--server without a string") << QStringList{"--server"} << false << false << ""
                                               << true << QStringList{} << QString();
}

void TestDataFolder::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, help);
    QFETCH(bool, version);
    QFETCH(QString, dataFolder);
    QFETCH(bool, error);
    QFETCH(QStringList, unknown);
    QFETCH(QString, server);
    const commandline::Options options = commandline::parse(arguments);
    QCOMPARE(options.server, server);
    QCOMPARE(options.help, help);
    QCOMPARE(options.version, version);
    QCOMPARE(options.dataFolder, dataFolder);
    QCOMPARE(!options.error.isEmpty(), error);
    QCOMPARE(options.unknown, unknown);
}

void TestDataFolder::helpAndVersionWithoutADisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--help") << "--help" << commandline::helpText();
    QTest::newRow("--version") << "--version" << QStringLiteral("Meltora " MELTORA_VERSION "\n");
}

void TestDataFolder::helpAndVersionWithoutADisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);
    // In a folder of its own without a register: answering must not make one either.
    makeFolder(at("bos"));
    QVERIFY(QFile::copy(kProgram, at("bos/meltora")));
    const Run run = runProgram(at("bos/meltora"), {option}, withoutDisplay(at("home")));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out, expected);
    QVERIFY(run.out.contains(QStringLiteral("Kullanım: meltora")) || option == "--version");
    QCOMPARE(QDir(at("bos")).entryList(QDir::Files), QStringList{"meltora"});
    QVERIFY(!QFileInfo::exists(at("home/.local/share/Meltora")));
}

void TestDataFolder::unknownOptionIsRefused()
{
    QProcessEnvironment env = withoutDisplay(at("home"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const Run run = runProgram(kProgram, {QStringLiteral("--bilinmeyen")}, env);
    QCOMPARE(run.code, 2);
    // After whatever the toolkit says of the environment.
    QVERIFY2(run.err.endsWith(
                 QStringLiteral("Bilinmeyen seçenek: --bilinmeyen\nKullanım için: meltora --help\n")),
             qPrintable(run.err));
}

void TestDataFolder::installedProgramKeepsTheRegisterInTheHome()
{
    // The installed layout, in a folder of its own: bin/, share/meltora/, a fresh home.
    makeFolder(at("root/usr/bin"));
    makeFolder(at("root/usr/share/meltora/Yardim"));
    makeFolder(at("home"));
    QVERIFY(QFile::copy(kProgram, at("root/usr/bin/meltora")));
    QVERIFY(startsAndMakes(at("root/usr/bin/meltora"), {}, at("home"),
                           at("home/.local/share/Meltora/Data.dat")));
    QVERIFY(holdsEmptyRegister(at("home/.local/share/Meltora/Data.dat")));
    QVERIFY(!QFileInfo::exists(at("root/usr/bin/Data.dat")));
}

void TestDataFolder::dataOptionOpensAnotherFolder()
{
    makeFolder(at("ortak"));
    makeFolder(at("home"));
    QVERIFY(startsAndMakes(kProgram, {QStringLiteral("--data"), at("ortak")}, at("home"),
                           at("ortak/Data.dat")));
    QVERIFY(holdsEmptyRegister(at("ortak/Data.dat")));
    QVERIFY(!QFileInfo::exists(at("home/.local/share/Meltora")));
}

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
