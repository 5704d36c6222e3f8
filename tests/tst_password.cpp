// The password lock: the per-user profile store, the start-up gate, the entry dialog, the
// change dialog and the protection box of the settings dialog, through the real windows.

#include "app/application.h"
#include "app/tform1.h"
#include "app/windows.h"
#include "data/inifile.h"
#include "data/safefile.h"
#include "settings/passwordgate.h"
#include "settings/passwordhash.h"
#include "settings/profilestore.h"
#include "settings/tayarfrm.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QStringDecoder>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <memory>

namespace {

const QString kMissing = QStringLiteral("<yok>");

// The change dialog: types the old password (when its box can be used) and the new one, then
// presses "Tamam".
Answers::Act change(const QString &oldPassword, const QString &newPassword)
{
    return [oldPassword, newPassword](QWidget *dialog) {
        auto *oldBox = child<QLineEdit>(dialog, "EditOld");
        if (oldBox->isEnabled())
            typeText(oldBox, oldPassword);
        typeText(child<QLineEdit>(dialog, "EditNew"), newPassword);
        Answers::press(child<QPushButton>(dialog, "OKBtn"));
    };
}

// Makes a folder refuse new files and stay readable, the way the system allows: its mode for
// an ordinary user, the immutable attribute for root. Undone when it goes.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup);
        if (canWrite())
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path});
        m_readOnly = !canWrite();
    }
    ~ReadOnlyFolder()
    {
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool readOnly() const { return m_readOnly; }

private:
    bool canWrite() const
    {
        QFile probe(QDir(m_path).filePath(QStringLiteral("probe")));
        const bool written = probe.open(QIODevice::WriteOnly);
        probe.remove();
        return written;
    }
    QString m_path;
    bool m_readOnly = false;
};

} // namespace

class TestPassword : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<MainWindowFixture> m_main;
    TForm1 *m_form = nullptr;

    QString profilePath() const { return m_config->filePath(QStringLiteral("meltora.ini")); }
    QByteArray profileBytes() const { return fileBytes(profilePath()); }
    void writeProfile(const QByteArray &text)
    {
        QFile file(profilePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QString stored(const char *key) const
    {
        IniFile file;
        file.setText(ProfileStore::decode(profileBytes()));
        return file.readString(QStringLiteral("Meltora"), QLatin1String(key), kMissing);
    }

    void start() { m_form = m_main->start(MainWindowFixture::Windows::All); }
    TAyarFrm *settingsDialog() const { return m_form->findChild<TAyarFrm *>(); }
    QCheckBox *sifreChk() const { return child<QCheckBox>(settingsDialog(), "SifreChk"); }
    std::function<void()> openSettings()
    {
        return [this] {
            auto *bar = m_form->findChild<QToolBar *>("ToolBar1", Qt::FindDirectChildrenOnly);
            QTest::mouseClick(child<QToolButton>(bar, "ToolButton2"), Qt::LeftButton);
        };
    }
    void clickIn(const char *button)
    {
        QTest::mouseClick(child<QPushButton>(settingsDialog(), QLatin1String(button)),
                          Qt::LeftButton);
    }
    // "Şifre Ata / Değiştir" with the question answered "Evet", inside the open settings dialog.
    void setPassword(const QString &oldPassword, const QString &newPassword)
    {
        Answers steps;
        steps.on("PassWdFrm", change(oldPassword, newPassword)).click("Evet");
        clickIn("ChangePasswdBtn");
        QTRY_VERIFY(steps.done());
        QCOMPARE(steps.unexpected, QStringList());
        QCOMPARE(steps.texts, QStringList({"Şu anki şifreyi değiştirmek istiyor musunuz?"}));
        QCOMPARE(steps.titles, QStringList({"Doğrula"}));
        QCOMPARE(steps.icons.value(0), QMessageBox::Question);
    }
    // Clicks the protection box and answers the password question with `entry` and "TAMAM",
    // or with "İptal" when cancelled.
    void clickProtection(const QString &entry, bool cancel = false)
    {
        Answers steps;
        if (cancel)
            steps.click("İptal", "GetPassWdFrm");
        else
            steps.type(entry, "TAMAM", "GetPassWdFrm");
        QTest::mouseClick(sifreChk(), Qt::LeftButton, {}, QPoint(8, sifreChk()->height() / 2));
        QVERIFY(steps.done());
        QCOMPARE(steps.unexpected, QStringList());
    }
    // Runs the start-up gate, played by the steps, which it lets the program pass.
    void expectPass(const Answers &steps)
    {
        QVERIFY(passwordgate::atStartUp(m_form));
        QVERIFY(steps.done());
        QCOMPARE(steps.unexpected, QStringList());
    }

    // Starts another run of the program (this test program in the role of the other copy)
    // on the same profile.
    static void startOtherCopy(QProcess &process, const QString &role, const QString &stop = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MELTORA_OTHER_COPY"), role);
        environment.insert(QStringLiteral("MELTORA_OTHER_COPY_STOP"), stop);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    }
    // Another run that does its user's part in its own windows and is closed again.
    static void runOtherCopy(const QString &role)
    {
        QProcess process;
        startOtherCopy(process, role);
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 process.readAllStandardOutput().constData());
    }

private Q_SLOTS:
    void initTestCase() { quietOffscreenWarnings(); }
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        m_main = std::make_unique<MainWindowFixture>();
    }
    void cleanup()
    {
        m_main.reset();
        m_config.reset();
    }

    // ------------------------------------------------------------ the store on its own

    void storeKeepsAHashAndChecksExactly()
    {
        const ProfileStore store;
        QCOMPARE(QDir::cleanPath(store.path()), QDir::cleanPath(profilePath()));
        QVERIFY(!store.hasPassword());
        QVERIFY(store.check(QString())); // no password: the empty entry is it

        QVERIFY(store.writePassword(QStringLiteral("Gizli Şifre 1")));
        const QByteArray bytes = profileBytes();
        QVERIFY(!bytes.contains("Gizli"));
        QVERIFY(!bytes.contains("Şifre 1"));
        QVERIFY2(bytes.contains("SSifre=$argon2id$"), bytes.constData());
        QVERIFY(store.check(QStringLiteral("Gizli Şifre 1")));
        QVERIFY(!store.check(QStringLiteral("gizli şifre 1")));
        QVERIFY(!store.check(QStringLiteral("Gizli Şifre 1 ")));
        QVERIFY(!store.check(QString()));

        // The empty password stays the empty text, apart from "no password".
        QVERIFY(store.writePassword(QString()));
        QCOMPARE(stored("SSifre"), QString());
        QVERIFY(store.check(QString()));
        QVERIFY(!store.check(QStringLiteral(" ")));
        // Each hash has its own salt.
        QCOMPARE(passwordhash::make("a") == passwordhash::make("a"), false);
    }

    void activeFlagAsStored_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("on");
        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("no key") << QByteArray("[Meltora]\r\nSSifre=\r\n") << false;
        QTest::newRow("0") << QByteArray("[Meltora]\r\nActive=0\r\n") << false;
        QTest::newRow("1") << QByteArray("[Meltora]\r\nActive=1\r\n") << true;
        QTest::newRow("any other number") << QByteArray("[meltora]\r\nactive=-2\r\n") << true;
        QTest::newRow("no number") << QByteArray("[Meltora]\r\nActive=evet\r\n") << false;
        QTest::newRow("other section") << QByteArray("[Diger]\r\nActive=1\r\n") << false;
    }
    void activeFlagAsStored()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, on);
        if (!file.isEmpty())
            writeProfile(file);
        QCOMPARE(ProfileStore().readActive(), on);
    }

    void flagWritesKeepThePasswordAndTheRest()
    {
        writeProfile("; kullanıcının notu\r\n[Meltora]\r\nSSifre=elle\r\n");
        const ProfileStore store;
        QVERIFY(store.writeActive(true));
        QCOMPARE(stored("Active"), QStringLiteral("1"));
        QVERIFY(store.writeActive(false));
        QCOMPARE(stored("Active"), QStringLiteral("0"));
        QCOMPARE(stored("SSifre"), QStringLiteral("elle"));
        QVERIFY(profileBytes().startsWith("; kullan"));
    }

    // A password written into the file by hand counts once as it stands; the next right
    // entry replaces it by its hash. A wrong entry leaves it alone.
    void handWrittenPasswordIsHashedAtTheNextEntry()
    {
        writeProfile("[Meltora]\r\nActive=1\r\nSSifre=Abc\r\n");
        const ProfileStore store;
        QVERIFY(!store.check(QStringLiteral("abc")));
        QCOMPARE(stored("SSifre"), QStringLiteral("Abc"));
        QVERIFY(store.check(QStringLiteral("Abc")));
        QVERIFY(stored("SSifre").startsWith(QStringLiteral("$argon2id$")));
        QVERIFY(!profileBytes().contains("Abc"));
        QVERIFY(store.check(QStringLiteral("Abc")));
        QCOMPARE(stored("Active"), QStringLiteral("1"));
    }

    // ------------------------------------------------------------ the start-up gate

    // The four states, reached through the settings dialog, then a restart of the main window.
    void statesAcrossARestart_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("storedActive");
        QTest::addColumn<QString>("storedPassword"); // "hash" for a hash of "Abc"
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("entry"); // the right entry at start-up; kMissing: no question
        QTest::newRow("never set") << "" << kMissing << kMissing << false << false << kMissing;
        // The flag is written only when it changes: it was never on here.
        QTest::newRow("set, protection off") << "set, untick" << kMissing << "hash" << false << true << kMissing;
        QTest::newRow("protected") << "set" << "1" << "hash" << true << true << "Abc";
        QTest::newRow("protected, empty password") << "set empty" << "1" << "" << true << false << "";
    }
    void statesAcrossARestart()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, storedActive);
        QFETCH(QString, storedPassword);
        QFETCH(bool, ticked);
        QFETCH(bool, available);
        QFETCH(QString, entry);
        start();
        if (!setUp.isEmpty()) {
            whileOpen(settingsDialog(), openSettings(), [&] {
                setPassword(QString(), setUp == "set empty" ? QString() : QStringLiteral("Abc"));
                QVERIFY(sifreChk()->isChecked());
                QVERIFY(sifreChk()->isEnabled());
                if (setUp.contains("untick"))
                    clickProtection("Abc");
                clickIn("OKBtn");
            });
        }
        m_main->closeAnswering("Evet");
        start();

        QCOMPARE(stored("Active"), storedActive);
        if (storedPassword == "hash")
            QVERIFY(passwordhash::matches(stored("SSifre"), QStringLiteral("Abc")));
        else
            QCOMPARE(stored("SSifre"), storedPassword);
        QCOMPARE(sifreChk()->isChecked(), ticked);
        QCOMPARE(sifreChk()->isEnabled(), available);

        Answers steps;
        if (entry != kMissing)
            steps.type(entry, "TAMAM", "GetPassWdFrm");
        expectPass(steps);
    }

    // "Active" missing: no question, whatever password is stored.
    void noFlagNoQuestion()
    {
        writeProfile("[Meltora]\r\nSSifre=Abc\r\n");
        start();
        Answers steps;
        expectPass(steps);
    }

    void entryDialogAsTheUserMeetsIt()
    {
        ProfileStore().writePassword(QStringLiteral("Abc"));
        ProfileStore().writeActive(true);
        start();
        Answers steps;
        steps.on("GetPassWdFrm", [](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Şifre Gir"));
            auto *edit = child<QLineEdit>(dialog, "EditPassword");
            QCOMPARE(dialog->focusWidget(), edit);
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            typeText(edit, "abc");
            // Enter confirms nothing: no default button.
            QTest::keyClick(edit, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), dialog);
            // The toggle shows what was typed, and masks it again.
            auto *show = child<QCheckBox>(dialog, "ShowChk");
            show->click();
            QCOMPARE(edit->echoMode(), QLineEdit::Normal);
            show->click();
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            Answers::press(child<QPushButton>(dialog, "OKBtn"));
        });
        steps.click("TAMAM");
        steps.on("GetPassWdFrm", [](QWidget *dialog) {
            // The wrong entry stays in the box, which has the focus again.
            auto *edit = child<QLineEdit>(dialog, "EditPassword");
            QCOMPARE(edit->text(), QStringLiteral("abc"));
            QCOMPARE(dialog->focusWidget(), edit);
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            typeText(edit, "Abc");
            Answers::press(child<QPushButton>(dialog, "OKBtn"));
        });
        expectPass(steps);
        QCOMPARE(steps.texts, QStringList({"Geçersiz şifre."}));
        QCOMPARE(steps.titles, QStringList({"Hata"}));
        QCOMPARE(steps.icons.value(0), QMessageBox::Critical);
    }

    void wrongEntriesRetriedWithoutLimit()
    {
        ProfileStore().writePassword(QStringLiteral("Abc"));
        ProfileStore().writeActive(true);
        start();
        Answers steps;
        for (const char *wrong : {"abc", "ABC", "Abc ", ""})
            steps.type(wrong, "TAMAM", "GetPassWdFrm").click("TAMAM");
        steps.type("Abc", "TAMAM", "GetPassWdFrm");
        expectPass(steps);
        QCOMPARE(steps.texts.size(), 4);
    }

    // The program ends the way main() ends it when the gate says no: the window is destroyed
    // without being closed.
    void cancellingTheGateEndsWithoutTheExitQuestion_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("İptal") << "İptal";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("close box") << "close box";
    }
    void cancellingTheGateEndsWithoutTheExitQuestion()
    {
        QFETCH(QString, how);
        ProfileStore().writePassword(QStringLiteral("Abc"));
        ProfileStore().writeActive(true);
        const QByteArray profile = profileBytes();
        m_main.reset();
        TestProgramDir dir;
        QString error;
        std::unique_ptr<TForm1> form(TForm1::create(&error));
        QVERIFY2(form, qPrintable(error));
        createWindows(form.get());
        form->showMaximized();
        Answers steps;
        steps.on("GetPassWdFrm", [how](QWidget *dialog) {
            typeText(child<QLineEdit>(dialog, "EditPassword"), "Ab");
            if (how == "İptal")
                Answers::press(child<QPushButton>(dialog, "CancelBtn"));
            else if (how == "Esc")
                QTest::keyClick(child<QLineEdit>(dialog, "EditPassword"), Qt::Key_Escape);
            else // its close box, once the step has returned
                QMetaObject::invokeMethod(dialog, &QWidget::close, Qt::QueuedConnection);
        });
        QVERIFY(!passwordgate::atStartUp(form.get()));
        QVERIFY(steps.done());
        form.reset();
        waitIdle();
        // No exit question, no settings file, the protection as it was.
        QCOMPARE(steps.unexpected, QStringList());
        QVERIFY(!QFile::exists(dir.settingsPath()));
        QCOMPARE(profileBytes(), profile);
    }

    // ------------------------------------------------------------ setting the password

    void firstPasswordWithAnEmptyBox()
    {
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            QVERIFY(!sifreChk()->isEnabled());
            Answers steps;
            steps.on("PassWdFrm", [](QWidget *dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Şifre Değiştir"));
                QVERIFY(!child<QLineEdit>(dialog, "EditOld")->isEnabled());
                QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, "EditNew"));
                // Enter presses "Tamam"
                QTest::keyClick(child<QLineEdit>(dialog, "EditNew"), Qt::Key_Return);
            });
            steps.click("Evet");
            clickIn("ChangePasswdBtn");
            QVERIFY(steps.done());
            QCOMPARE(steps.unexpected, QStringList());
            // Stored at once; the flag waits for "TAMAM".
            QCOMPARE(stored("SSifre"), QString());
            QCOMPARE(stored("Active"), kMissing);
            QVERIFY(sifreChk()->isChecked());
            QVERIFY(sifreChk()->isEnabled());
            clickIn("OKBtn");
        });
        QCOMPARE(stored("Active"), QStringLiteral("1"));
        m_main->closeAnswering("Evet");
        start();
        Answers steps;
        steps.click("TAMAM", "GetPassWdFrm"); // nothing typed
        expectPass(steps);
    }

    void changingThePassword_data()
    {
        QTest::addColumn<QString>("oldTyped");
        QTest::addColumn<QString>("newTyped");
        QTest::addColumn<QString>("message"); // empty: accepted at once
        QTest::addColumn<QString>("focus");
        QTest::newRow("right") << "Abc" << "Yeni1" << "" << "";
        QTest::newRow("wrong old, other case") << "abc" << "Yeni1" << "Geçersiz şifre." << "EditOld";
        QTest::newRow("wrong old, empty") << "" << "Yeni1" << "Geçersiz şifre." << "EditOld";
        QTest::newRow("empty new") << "Abc" << "" << "Şifre olarak boşluk giremezsiniz" << "EditNew";
        QTest::newRow("blanks are a password") << "Abc" << "   " << "" << "";
    }
    void changingThePassword()
    {
        QFETCH(QString, oldTyped);
        QFETCH(QString, newTyped);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        ProfileStore().writePassword(QStringLiteral("Abc"));
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            Answers steps;
            steps.on("PassWdFrm", change(oldTyped, newTyped));
            if (!message.isEmpty()) {
                steps.click("TAMAM");
                steps.on("PassWdFrm", [&](QWidget *dialog) {
                    // The dialog stays open with what was typed; then the user gives up.
                    QCOMPARE(child<QLineEdit>(dialog, "EditOld")->text(), oldTyped);
                    QCOMPARE(child<QLineEdit>(dialog, "EditNew")->text(), newTyped);
                    QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, focus));
                    QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
                });
            } else {
                steps.click("Evet");
            }
            clickIn("ChangePasswdBtn");
            QVERIFY(steps.done());
            QCOMPARE(steps.unexpected, QStringList());
            if (!message.isEmpty()) {
                QCOMPARE(steps.texts, QStringList({message}));
                QCOMPARE(steps.titles, QStringList({"Hata"}));
                QVERIFY(!sifreChk()->isChecked());
            } else {
                QVERIFY(sifreChk()->isChecked());
            }
            clickIn("CancelBtn");
        });
        const QString password = message.isEmpty() ? newTyped : QStringLiteral("Abc");
        QVERIFY(ProfileStore().check(password));
    }

    void answeringHayirStoresNothing()
    {
        ProfileStore().writePassword(QStringLiteral("Abc"));
        const QByteArray profile = profileBytes();
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            Answers steps;
            steps.on("PassWdFrm", change("Abc", "Yeni")).click("Hayır");
            clickIn("ChangePasswdBtn");
            QVERIFY(steps.done());
            QVERIFY(!sifreChk()->isChecked());
            clickIn("OKBtn");
        });
        QCOMPARE(profileBytes(), profile);
    }

    void changeDialogBoxes()
    {
        start();
        auto *dialog = m_form->findChild<QDialog *>("PassWdFrm");
        QVERIFY(dialog);
        for (const char *name : {"EditOld", "EditNew"}) {
            auto *box = child<QLineEdit>(dialog, name);
            typeText(box, QStringLiteral("123456789012345678"));
            QCOMPARE(box->text(), QStringLiteral("123456789012345"));
            QCOMPARE(box->echoMode(), QLineEdit::Password);
            QVERIFY(box->styleSheet().contains("lineedit-password-character: 42"));
        }
    }

    // ------------------------------------------------------------ the protection box

    // "İptal" reloads the old flag; the new password stays.
    void cancelKeepsTheNewPasswordButTheOldFlag()
    {
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            setPassword(QString(), QStringLiteral("Abc"));
            clickIn("CancelBtn");
        });
        QVERIFY(!sifreChk()->isChecked());
        QVERIFY(sifreChk()->isEnabled());
        QCOMPARE(stored("Active"), kMissing);
        QVERIFY(ProfileStore().check(QStringLiteral("Abc")));
        m_main->closeAnswering("Evet");
        start();
        Answers steps;
        expectPass(steps); // no question
    }

    void clickingTheBoxAsksForThePassword_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("right password") << "Abc" << false << false;
        QTest::newRow("question cancelled") << "" << true << true;
    }
    void clickingTheBoxAsksForThePassword()
    {
        QFETCH(QString, entry);
        QFETCH(bool, cancel);
        QFETCH(bool, ticked);
        ProfileStore().writePassword(QStringLiteral("Abc"));
        ProfileStore().writeActive(true);
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            QVERIFY(sifreChk()->isChecked());
            clickProtection(entry, cancel);
            QCOMPARE(sifreChk()->isChecked(), ticked);
            clickIn("OKBtn");
        });
        QCOMPARE(stored("Active"), ticked ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // The close box leaves the tick as it is; it reaches the store when the program ends.
    void closeBoxTickStoredAtTheEnd()
    {
        ProfileStore().writePassword(QStringLiteral("Abc"));
        ProfileStore().writeActive(true);
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            clickProtection("Abc");
            QVERIFY(!sifreChk()->isChecked());
            settingsDialog()->close();
        });
        QCOMPARE(stored("Active"), QStringLiteral("1"));
        QVERIFY(!sifreChk()->isChecked());
        m_main->closeAnswering("Evet");
        start();
        QCOMPARE(stored("Active"), QStringLiteral("0"));
        Answers steps;
        expectPass(steps); // no question
    }

    // ------------------------------------------------------------ characters beyond 16 bits

    // The 15-character limit counts characters: an emoji in the last place is kept whole, one
    // beyond it is left out whole, and the password stored is the one the boxes show.
    void newPasswordKeepsWholeCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("password");
        const QString fourteen = QStringLiteral("abcçdefgğhıijk");
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("emoji fifteenth") << fourteen + emoji << false << fourteen + emoji;
        QTest::newRow("emoji sixteenth") << fourteen + "l" + emoji << false << fourteen + "l";
        QTest::newRow("pasted, emoji fifteenth") << fourteen + emoji + "z" << true << fourteen + emoji;
        QTest::newRow("only emoji") << emoji.repeated(16) << false << emoji.repeated(15);
    }
    void newPasswordKeepsWholeCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(bool, pasted);
        QFETCH(QString, password);
        start();
        auto enterNew = [&](QLineEdit *box) {
            if (pasted) {
                QGuiApplication::clipboard()->setText(typed);
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            } else {
                typeText(box, typed);
            }
            QCOMPARE(box->text(), password);
        };
        whileOpen(settingsDialog(), openSettings(), [&] {
            Answers steps;
            steps.on("PassWdFrm", [&](QWidget *dialog) {
                enterNew(child<QLineEdit>(dialog, "EditNew"));
                Answers::press(child<QPushButton>(dialog, "OKBtn"));
            });
            steps.click("Evet");
            clickIn("ChangePasswdBtn");
            QVERIFY(steps.done());
            QCOMPARE(steps.unexpected, QStringList());
            clickIn("OKBtn");
        });
        QVERIFY(passwordhash::matches(stored("SSifre"), password));

        // What the boxes show opens the gate, and the old-password box takes it whole.
        m_main->closeAnswering("Evet");
        start();
        {
            Answers gate;
            gate.type(password, "TAMAM", "GetPassWdFrm");
            expectPass(gate);
        }
        whileOpen(settingsDialog(), openSettings(), [&] {
            setPassword(password, QStringLiteral("Yeni"));
            clickIn("OKBtn");
        });
        QVERIFY(passwordhash::matches(stored("SSifre"), QStringLiteral("Yeni")));
    }

    // ------------------------------------------------------------ the profile's encoding

    // The profile is the program's own file, kept in UTF-8; a line typed in with an editor
    // of the Turkish code page still reads right. Through the gate as the user meets it.
    void handTypedTurkishPasswordOpensTheGate_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray utf8 = QStringLiteral("Şifre").toUtf8();
        const QByteArray cp1254 = QByteArray("\xDE" "ifre");
        const QByteArray note = QStringLiteral("; Şifreyi elle yazdım\r\n").toUtf8();
        QTest::newRow("UTF-8") << "[Meltora]\r\nActive=1\r\nSSifre=" + utf8 + "\r\n";
        QTest::newRow("UTF-8 with a byte order mark")
            << "\xEF\xBB\xBF[Meltora]\r\nActive=1\r\nSSifre=" + utf8 + "\r\n";
        QTest::newRow("UTF-8, LF only") << "[Meltora]\nActive=1\nSSifre=" + utf8 + "\n";
        QTest::newRow("code page 1254") << "[Meltora]\r\nActive=1\r\nSSifre=" + cp1254 + "\r\n";
        QTest::newRow("1254 line beside a UTF-8 note")
            << note + "[Meltora]\r\nActive=1\r\nSSifre=" + cp1254 + "\r\n";
    }
    void handTypedTurkishPasswordOpensTheGate()
    {
        QFETCH(QByteArray, file);
        writeProfile(file);
        QCOMPARE(ProfileStore().readPassword(), QStringLiteral("Şifre"));
        start();
        Answers steps;
        steps.type(QStringLiteral("Şifre"), "TAMAM", "GetPassWdFrm");
        expectPass(steps);
        QCOMPARE(steps.texts, QStringList()); // no "Geçersiz şifre."

        // Replaced by its hash; the rest is written back in UTF-8, for its user only.
        QVERIFY(passwordhash::matches(stored("SSifre"), QStringLiteral("Şifre")));
        QVERIFY(stored("SSifre").startsWith(QStringLiteral("$argon2id$")));
        const QByteArray bytes = profileBytes();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        QVERIFY(!utf8.hasError());
        QVERIFY(text.contains(QStringLiteral("[Meltora]")));
        if (file.startsWith(';'))
            QVERIFY(bytes.startsWith(QStringLiteral("; Şifreyi elle yazdım\r\n").toUtf8()));
        QCOMPARE(stored("Active"), QStringLiteral("1"));
        QCOMPARE(QFileInfo(profilePath()).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    // Text with Turkish letters reaches the file in UTF-8, and reads back the same.
    void profileWrittenInUtf8()
    {
        writeProfile(QByteArray("; ") + "\xDE" "ifre notu\r\n[Meltora]\r\nSSifre=" + "\xE7" "ok\r\n");
        QVERIFY(ProfileStore().writeActive(true));
        QCOMPARE(profileBytes(),
                 QStringLiteral("; Şifre notu\r\n[Meltora]\r\nSSifre=çok\r\nActive=1\r\n").toUtf8());
        QCOMPARE(ProfileStore().readPassword(), QStringLiteral("çok"));
    }

    // A new profile, and one that an earlier run left open to others, are its user's only.
    void profileKeptForItsUserOnly()
    {
        QVERIFY(ProfileStore().writePassword(QStringLiteral("Abc")));
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QCOMPARE(QFileInfo(profilePath()).permissions() & (ownerOnly | others), ownerOnly);
        QFile::setPermissions(profilePath(), ownerOnly | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(ProfileStore().writeActive(true));
        QCOMPARE(QFileInfo(profilePath()).permissions() & (ownerOnly | others), ownerOnly);
        // No file is left behind beside it: neither the lock nor a file in the making.
        QCOMPARE(QDir(m_config->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"meltora.ini"}));
    }

    // ------------------------------------------------------------ two runs on one profile

    // Another run of the program changes the protection while this one is open; this one's
    // user never touches it (or opens the dialog and leaves it as shown), and closing this
    // run leaves the other run's choice in place.
    void anotherRunsProtectionSurvivesThisRunsClose_data()
    {
        QTest::addColumn<bool>("protectedBefore");
        QTest::addColumn<QString>("meanwhile"); // what this run's user does after the other run
        QTest::newRow("switched on, nothing") << false << "";
        QTest::newRow("switched on, TAMAM") << false << "TAMAM";
        QTest::newRow("switched on, İptal") << false << "İptal";
        QTest::newRow("switched on, close box") << false << "close box";
        QTest::newRow("switched off, nothing") << true << "";
    }
    void anotherRunsProtectionSurvivesThisRunsClose()
    {
        QFETCH(bool, protectedBefore);
        QFETCH(QString, meanwhile);
        if (protectedBefore) {
            ProfileStore().writePassword(QStringLiteral("Abc"));
            ProfileStore().writeActive(true);
        }
        start();
        if (protectedBefore) {
            Answers gate;
            gate.type("Abc", "TAMAM", "GetPassWdFrm");
            expectPass(gate);
        }
        // This run's user has had the dialog open before, leaving it as it was.
        whileOpen(settingsDialog(), openSettings(), [&] {
            QCOMPARE(sifreChk()->isChecked(), protectedBefore);
            clickIn("OKBtn");
        });

        runOtherCopy(protectedBefore ? "switch off" : "switch on");
        const QString expected = protectedBefore ? QStringLiteral("0") : QStringLiteral("1");
        QCOMPARE(stored("Active"), expected);

        if (!meanwhile.isEmpty()) {
            whileOpen(settingsDialog(), openSettings(), [&] {
                // The dialog shows the store as it is now.
                QCOMPARE(sifreChk()->isChecked(), !protectedBefore);
                if (meanwhile == "close box")
                    settingsDialog()->close();
                else
                    clickIn(meanwhile == "TAMAM" ? "OKBtn" : "CancelBtn");
            });
        }
        QCOMPARE(stored("Active"), expected);
        m_main->closeAnswering("Evet");
        m_main->close();
        QCOMPARE(stored("Active"), expected);
        QVERIFY(passwordhash::matches(stored("SSifre"), QStringLiteral("Abc")));
    }

    // Two runs change the profile over and over, each its own key, each change confirmed:
    // none is undone by the other run's write.
    void twoRunsChangingTheProfileLoseNothing()
    {
        const QString stop = m_config->filePath(QStringLiteral("stop"));
        QProcess flag;
        startOtherCopy(flag, "toggle the flag", stop);
        QProcess password;
        startOtherCopy(password, "change the password", stop);
        QVERIFY(password.waitForFinished(120000));
        QFile(stop).open(QIODevice::WriteOnly);
        QVERIFY(flag.waitForFinished(60000));
        const QString passwordReport = QString::fromUtf8(password.readAllStandardOutput()).trimmed();
        const QString flagReport = QString::fromUtf8(flag.readAllStandardOutput()).trimmed();
        qInfo("%s; %s", qPrintable(passwordReport), qPrintable(flagReport));
        QVERIFY2(password.exitCode() == 0, password.readAllStandardError().constData());
        QVERIFY2(flag.exitCode() == 0, flag.readAllStandardError().constData());
        QVERIFY2(passwordReport.startsWith(QStringLiteral("0 of ")), qPrintable(passwordReport));
        QVERIFY2(flagReport.startsWith(QStringLiteral("0 of ")), qPrintable(flagReport));
        QVERIFY(!flagReport.startsWith(QStringLiteral("0 of 0 ")));
        QVERIFY(!QFile::exists(ProfileStore().lockPath()));
    }

    // A change waits while another run holds the profile's lock, and then reads the file as
    // the other run left it.
    void aChangeWaitsForTheOtherRunsLock()
    {
        const QString stop = m_config->filePath(QStringLiteral("stop"));
        QProcess holder;
        startOtherCopy(holder, "hold the lock", stop);
        QVERIFY(holder.waitForReadyRead(30000)); // "held": the lock is taken, nothing written yet
        QElapsedTimer waited;
        waited.start();
        QVERIFY(ProfileStore().writeActive(true));
        QVERIFY2(waited.elapsed() >= 400, qPrintable(QString::number(waited.elapsed())));
        QVERIFY(holder.waitForFinished(30000));
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(stored("SSifre"), QStringLiteral("Abc"));
        QCOMPARE(stored("Active"), QStringLiteral("1"));
    }

    // ------------------------------------------------------------ a store that refuses writes

    void unwritableStore()
    {
        writeProfile("[Meltora]\r\nActive=0\r\n");
        ProfileStore().writePassword(QStringLiteral("Abc"));
        const QByteArray profile = profileBytes();
        start();
        ReadOnlyFolder folder(m_config->path());
        if (!folder.readOnly())
            QSKIP("this system lets every write through");
        whileOpen(settingsDialog(), openSettings(), [&] {
            { // The password: "Şifre yazılamadı", nothing changes.
                Answers steps;
                steps.on("PassWdFrm", change("Abc", "Yeni")).click("Evet").click("TAMAM");
                clickIn("ChangePasswdBtn");
                QVERIFY(steps.done());
                QCOMPARE(steps.unexpected, QStringList());
                QCOMPARE(steps.texts.value(1), QStringLiteral("Şifre yazılamadı."));
                QCOMPARE(steps.titles.value(1), QStringLiteral("Meltora"));
                QCOMPARE(steps.icons.value(1), QMessageBox::Critical);
                QVERIFY(!sifreChk()->isChecked());
            }

            // The flag: a message naming the file, and "TAMAM" goes no further.
            clickProtection("Abc");
            QVERIFY(sifreChk()->isChecked());
            Answers flag({"TAMAM"});
            clickIn("OKBtn");
            QVERIFY(flag.done());
            QVERIFY(flag.texts.value(0).contains(profilePath()));
            QVERIFY(flag.texts.value(0).contains(QStringLiteral("yazılamadı")));
            QVERIFY(settingsDialog()->isVisible());
            clickIn("CancelBtn");
        });
        QCOMPARE(profileBytes(), profile);
        QVERIFY(!sifreChk()->isChecked());
    }
};

// The other run of the program, on the profile of the test that started it: its user sets
// the password and switches protection on, or switches it off, in its own windows.
class OtherCopy : public TestPassword
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_main = std::make_unique<MainWindowFixture>(); }
    void cleanup() { m_main.reset(); }

    void switchOn()
    {
        start();
        whileOpen(settingsDialog(), openSettings(), [&] {
            setPassword(QString(), QStringLiteral("Abc"));
            clickIn("OKBtn");
        });
        QVERIFY(ProfileStore().readActive());
        m_main->closeAnswering("Evet");
        m_main->close();
        QVERIFY(ProfileStore().readActive());
    }

    void switchOff()
    {
        start();
        {
            Answers gate;
            gate.type("Abc", "TAMAM", "GetPassWdFrm");
            expectPass(gate);
        }
        whileOpen(settingsDialog(), openSettings(), [&] {
            QVERIFY(sifreChk()->isChecked());
            clickProtection("Abc");
            QVERIFY(!sifreChk()->isChecked());
            clickIn("OKBtn");
        });
        QVERIFY(!ProfileStore().readActive());
        m_main->closeAnswering("Evet");
        m_main->close();
        QVERIFY(!ProfileStore().readActive());
    }
};

namespace {

bool stopAsked()
{
    return QFile::exists(qEnvironmentVariable("MELTORA_OTHER_COPY_STOP"));
}

// Confirmed password changes, each looked at again a moment later while the other run
// keeps writing: a change is lost when the stored hash is the one before it, or another one
// a moment later. Prints "<lost> of <changes>".
int changeThePassword()
{
    const ProfileStore store;
    int lost = 0;
    const int changes = 6;
    QString before = store.readPassword();
    for (int k = 0; k < changes; ++k) {
        QString error;
        if (!store.writePassword(QStringLiteral("Şifre %1").arg(k), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        const QString written = store.readPassword();
        QThread::msleep(40);
        const QString later = store.readPassword();
        if (written == before || later != written)
            ++lost;
        before = later;
    }
    std::printf("%d of %d password changes lost\n", lost, changes);
    return 0;
}

// Switches the flag on and off until told to stop, looking at each confirmed value again a
// moment later. Prints "<lost> of <changes>".
int toggleTheFlag()
{
    const ProfileStore store;
    int lost = 0, changes = 0;
    bool on = false;
    while (!stopAsked()) {
        on = !on;
        QString error;
        if (!store.writeActive(on, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        ++changes;
        QThread::msleep(2);
        if (store.readActive() != on)
            ++lost;
    }
    std::printf("%d of %d flag changes lost\n", lost, changes);
    return 0;
}

// Takes the profile's lock as a run does for its change, says "held", and writes its change
// under it a while later.
int holdTheLock()
{
    const ProfileStore store;
    QLockFile lock(store.lockPath());
    if (!lock.tryLock(10000))
        return 2;
    const QByteArray before = fileBytes(store.path());
    std::printf("held\n");
    std::fflush(stdout);
    QThread::msleep(800);
    IniFile file;
    file.setText(ProfileStore::decode(before));
    file.writeString(QStringLiteral("Meltora"), QStringLiteral("SSifre"), QStringLiteral("Abc"));
    QString error;
    return safefile::write(store.path(), file.text().toUtf8(), &error, 0600) ? 0 : 3;
}

int runAsOtherCopy(const QString &role)
{
    if (role == QStringLiteral("change the password"))
        return changeThePassword();
    if (role == QStringLiteral("toggle the flag"))
        return toggleTheFlag();
    if (role == QStringLiteral("hold the lock"))
        return holdTheLock();
    OtherCopy copy;
    const QString slot = role == QStringLiteral("switch on") ? QStringLiteral("switchOn")
                                                             : QStringLiteral("switchOff");
    return QTest::qExec(&copy, {QCoreApplication::applicationFilePath(), slot});
}

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    const QString role = qEnvironmentVariable("MELTORA_OTHER_COPY");
    if (!role.isEmpty())
        return runAsOtherCopy(role);
    TestPassword test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_password.moc"
