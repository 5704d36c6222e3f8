// The password lock: the per-user profile store, the start-up gate, the entry dialog, the
// change dialog and the protection box of the settings dialog, through the real windows.

#include "app/application.h"
#include "app/tform1.h"
#include "app/windows.h"
#include "data/inifile.h"
#include "modalsteps.h"
#include "settings/passwordgate.h"
#include "settings/passwordhash.h"
#include "settings/profilestore.h"
#include "settings/tayarfrm.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

namespace {

const QString kMissing = QStringLiteral("<yok>");

// The entry dialog: types the entry over what the box holds and presses "TAMAM".
ModalSteps::Act enter(const QString &entry)
{
    return [entry](QWidget *dialog) {
        auto *edit = child<QLineEdit>(dialog, "EditPassword");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        typeText(edit, entry);
        ModalSteps::press(child<QPushButton>(dialog, "OKBtn"));
    };
}

ModalSteps::Act press(const char *button)
{
    return [button](QWidget *dialog) {
        ModalSteps::press(child<QPushButton>(dialog, QLatin1String(button)));
    };
}

// The change dialog: types the old password (when its box can be used) and the new one, then
// presses "Tamam".
ModalSteps::Act change(const QString &oldPassword, const QString &newPassword)
{
    return [oldPassword, newPassword](QWidget *dialog) {
        auto *oldBox = child<QLineEdit>(dialog, "EditOld");
        if (oldBox->isEnabled())
            typeText(oldBox, oldPassword);
        typeText(child<QLineEdit>(dialog, "EditNew"), newPassword);
        ModalSteps::press(child<QPushButton>(dialog, "OKBtn"));
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
        file.load(profilePath());
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
        ModalSteps steps({"AyarFrm"});
        steps.then("PassWdFrm", change(oldPassword, newPassword)).answer("Evet");
        clickIn("ChangePasswdBtn");
        QTRY_VERIFY(steps.done());
        QCOMPARE(steps.unexpected, QStringList());
        QCOMPARE(steps.texts, QStringList({"Şu anki şifreyi değiştirmek istiyor musunuz?"}));
        QCOMPARE(steps.titles, QStringList({"Doğrula"}));
        QCOMPARE(steps.icons.value(0), QMessageBox::Question);
    }
    // Clicks the protection box and plays the password question.
    void clickProtection(ModalSteps::Act onQuestion)
    {
        ModalSteps steps({"AyarFrm"});
        steps.then("GetPassWdFrm", onQuestion);
        QTest::mouseClick(sifreChk(), Qt::LeftButton, {}, QPoint(8, sifreChk()->height() / 2));
        QVERIFY(steps.done());
        QCOMPARE(steps.unexpected, QStringList());
    }
    // Runs the start-up gate, played by the steps, which it lets the program pass.
    void expectPass(const ModalSteps &steps)
    {
        QVERIFY(passwordgate::atStartUp(m_form));
        QVERIFY(steps.done());
        QCOMPARE(steps.unexpected, QStringList());
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
                    clickProtection(enter("Abc"));
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

        ModalSteps steps;
        if (entry != kMissing)
            steps.then("GetPassWdFrm", enter(entry));
        expectPass(steps);
    }

    // "Active" missing: no question, whatever password is stored.
    void noFlagNoQuestion()
    {
        writeProfile("[Meltora]\r\nSSifre=Abc\r\n");
        start();
        ModalSteps steps;
        expectPass(steps);
    }

    void entryDialogAsTheUserMeetsIt()
    {
        ProfileStore().writePassword(QStringLiteral("Abc"));
        ProfileStore().writeActive(true);
        start();
        ModalSteps steps;
        steps.then("GetPassWdFrm", [](QWidget *dialog) {
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
            ModalSteps::press(child<QPushButton>(dialog, "OKBtn"));
        });
        steps.answer("TAMAM");
        steps.then("GetPassWdFrm", [](QWidget *dialog) {
            // The wrong entry stays in the box, which has the focus again.
            auto *edit = child<QLineEdit>(dialog, "EditPassword");
            QCOMPARE(edit->text(), QStringLiteral("abc"));
            QCOMPARE(dialog->focusWidget(), edit);
            enter("Abc")(dialog);
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
        ModalSteps steps;
        for (const char *wrong : {"abc", "ABC", "Abc ", ""})
            steps.then("GetPassWdFrm", enter(wrong)).answer("TAMAM");
        steps.then("GetPassWdFrm", enter("Abc"));
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
        ModalSteps steps;
        steps.then("GetPassWdFrm", [how](QWidget *dialog) {
            typeText(child<QLineEdit>(dialog, "EditPassword"), "Ab");
            if (how == "İptal")
                ModalSteps::press(child<QPushButton>(dialog, "CancelBtn"));
            else if (how == "Esc")
                QTest::keyClick(child<QLineEdit>(dialog, "EditPassword"), Qt::Key_Escape);
            else
                ModalSteps::close(dialog);
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
            ModalSteps steps({"AyarFrm"});
            steps.then("PassWdFrm", [](QWidget *dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Şifre Değiştir"));
                QVERIFY(!child<QLineEdit>(dialog, "EditOld")->isEnabled());
                QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, "EditNew"));
                // Enter presses "Tamam"
                QTest::keyClick(child<QLineEdit>(dialog, "EditNew"), Qt::Key_Return);
            });
            steps.answer("Evet");
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
        ModalSteps steps;
        steps.then("GetPassWdFrm", press("OKBtn")); // nothing typed
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
            ModalSteps steps({"AyarFrm"});
            steps.then("PassWdFrm", change(oldTyped, newTyped));
            if (!message.isEmpty()) {
                steps.answer("TAMAM");
                steps.then("PassWdFrm", [&](QWidget *dialog) {
                    // The dialog stays open with what was typed; then the user gives up.
                    QCOMPARE(child<QLineEdit>(dialog, "EditOld")->text(), oldTyped);
                    QCOMPARE(child<QLineEdit>(dialog, "EditNew")->text(), newTyped);
                    QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, focus));
                    QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
                });
            } else {
                steps.answer("Evet");
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
            ModalSteps steps({"AyarFrm"});
            steps.then("PassWdFrm", change("Abc", "Yeni")).answer("Hayır");
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
            QCOMPARE(box->maxLength(), 15);
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
        ModalSteps steps;
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
            clickProtection(cancel ? press("CancelBtn") : enter(entry));
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
            clickProtection(enter("Abc"));
            QVERIFY(!sifreChk()->isChecked());
            settingsDialog()->close();
        });
        QCOMPARE(stored("Active"), QStringLiteral("1"));
        QVERIFY(!sifreChk()->isChecked());
        m_main->closeAnswering("Evet");
        start();
        QCOMPARE(stored("Active"), QStringLiteral("0"));
        ModalSteps steps;
        expectPass(steps); // no question
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
                ModalSteps steps({"AyarFrm"});
                steps.then("PassWdFrm", change("Abc", "Yeni")).answer("Evet").answer("TAMAM");
                clickIn("ChangePasswdBtn");
                QVERIFY(steps.done());
                QCOMPARE(steps.unexpected, QStringList());
                QCOMPARE(steps.texts.value(1), QStringLiteral("Şifre yazılamadı."));
                QCOMPARE(steps.titles.value(1), QStringLiteral("Meltora"));
                QCOMPARE(steps.icons.value(1), QMessageBox::Critical);
                QVERIFY(!sifreChk()->isChecked());
            }

            // The flag: a message naming the file, and "TAMAM" goes no further.
            clickProtection(enter("Abc"));
            QVERIFY(sifreChk()->isChecked());
            ModalSteps flag({"AyarFrm"});
            flag.answer("TAMAM");
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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestPassword test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_password.moc"
