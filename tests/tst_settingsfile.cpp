#include "data/codepage1254.h"
#include "data/inifile.h"
#include "data/programdir.h"
#include "data/settings.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every setting as "name=value", so one comparison covers all of them and a failure names
// the setting.
QStringList describe(const Settings &s)
{
    QStringList out;
    for (size_t i = 0; i < s.colours.size(); ++i)
        out << QStringLiteral("colours[%1]=%2").arg(i).arg(s.colours[i]);
    out << QStringLiteral("preview=%1").arg(s.preview) << QStringLiteral("logo=%1").arg(s.logo)
        << QStringLiteral("sound=%1").arg(s.sound)
        << QStringLiteral("programName=") + s.programName;
    for (size_t i = 0; i < s.fieldFlags.size(); ++i)
        out << QStringLiteral("fieldFlags[%1]=%2").arg(i).arg(s.fieldFlags[i]);
    for (size_t i = 0; i < s.columnWidths.size(); ++i)
        out << QStringLiteral("columnWidths[%1]=%2").arg(i).arg(s.columnWidths[i]);
    return out;
}

QStringList withChanges(QStringList settings, const QStringList &changes)
{
    for (const QString &change : changes) {
        const QString name = change.left(change.indexOf(u'=') + 1);
        const auto it = std::find_if(settings.begin(), settings.end(),
                                     [&](const QString &s) { return s.startsWith(name); });
        if (it == settings.end())
            qFatal("no setting %s", qPrintable(name));
        *it = change;
    }
    return settings;
}

// The defaults as the program wrote them into a new file: the first two colour keys
// swapped, no "01" under Alanlar, a blank line before each further section.
const QByteArray kDefaultFile = "[Gosterim]\r\n"
                                "Renk01=0\r\nRenk02=0\r\nRenk03=0\r\nRenk04=0\r\nRenk05=0\r\n"
                                "Renk06=0\r\nOnIzleme=1\r\nLogo=0\r\nSes=0\r\n"
                                "\r\n"
                                "[Program Adi]\r\n"
                                "Program=MELTORA\r\n"
                                "\r\n"
                                "[Alanlar]\r\n"
                                "02=1\r\n03=0\r\n04=1\r\n05=0\r\n06=1\r\n07=1\r\n08=0\r\n09=0\r\n"
                                "10=0\r\n11=0\r\n12=0\r\n13=0\r\n14=0\r\n15=0\r\n16=0\r\n17=0\r\n"
                                "18=0\r\n19=0\r\n20=0\r\n21=0\r\n22=0\r\n23=0\r\n"
                                "\r\n"
                                "[S\xFCtun Ayar]\r\n"
                                "S\xFCtun 01=200\r\nS\xFCtun 02=190\r\nS\xFCtun 03=110\r\n"
                                "S\xFCtun 04=128\r\nS\xFCtun 05=100\r\nS\xFCtun 06=110\r\n"
                                "S\xFCtun 07=110\r\nS\xFCtun 08=200\r\nS\xFCtun 09=110\r\n"
                                "S\xFCtun 10=64\r\nS\xFCtun 11=200\r\nS\xFCtun 12=100\r\n"
                                "S\xFCtun 13=80\r\nS\xFCtun 14=80\r\nS\xFCtun 15=80\r\n"
                                "S\xFCtun 16=100\r\nS\xFCtun 17=100\r\nS\xFCtun 18=70\r\n"
                                "S\xFCtun 19=180\r\nS\xFCtun 20=70\r\nS\xFCtun 21=100\r\n"
                                "S\xFCtun 22=200\r\nS\xFCtun 23=75\r\n";

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codepage_data();
    void codepage();
    void codepageUnmappable_data();
    void codepageUnmappable();
    void codepageEveryByteRoundTrips();

    void iniRead_data();
    void iniRead();
    void iniReadInteger_data();
    void iniReadInteger();
    void iniReadLimitsLength();
    void iniWrite_data();
    void iniWrite();

    void defaults();
    void defaultPath();
    void defaultFileBytes();
    void roundTrip();
    void load_data();
    void load();
    void colours_data();
    void colours();
    void saveFails_data();
    void saveFails();

private:
    QTemporaryDir m_dir;
};

void TestSettingsFile::codepage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("Renk01=0 [x];") << QByteArray("Renk01=0 [x];");
    QTest::newRow("Turkish capitals")
        << QStringLiteral("ÇĞİÖŞÜ") << QByteArray("\xC7\xD0\xDD\xD6\xDE\xDC");
    QTest::newRow("Turkish small")
        << QStringLiteral("çğıöşü") << QByteArray("\xE7\xF0\xFD\xF6\xFE\xFC");
    QTest::newRow("0x80 block") << QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹Œ")
                                << QByteArray("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C");
    QTest::newRow("0x90 block") << QStringLiteral("‘’“”•–—˜™š›œŸ")
                                << QByteArray(
                                       "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9F");
    QTest::newRow("unassigned bytes")
        << QStringLiteral("\u0081\u008D\u008E\u008F\u0090\u009D\u009E")
        << QByteArray("\x81\x8D\x8E\x8F\x90\x9D\x9E");
    QTest::newRow("latin-1 part") << QStringLiteral("\u00A0£§©°½ßÿ")
                                  << QByteArray("\xA0\xA3\xA7\xA9\xB0\xBD\xDF\xFF");
}

void TestSettingsFile::codepage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1254(text), bytes);
    QCOMPARE(fromCp1254(bytes), text);
}

void TestSettingsFile::codepageUnmappable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    // The Latin-1 letters whose places the Turkish ones took.
    QTest::newRow("Icelandic") << QStringLiteral("ÐÝÞðýþ") << QByteArray("??????");
    QTest::newRow("Greek and CJK") << QStringLiteral("aΩ中b") << QByteArray("a??b");
    QTest::newRow("surrogate pair") << QStringLiteral("a😀b") << QByteArray("a?b");
    QTest::newRow("above the table") << QStringLiteral("\u2123\uFFFD") << QByteArray("??");
}

void TestSettingsFile::codepageUnmappable()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1254(text), bytes);
}

void TestSettingsFile::codepageEveryByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = fromCp1254(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(toCp1254(text), all);
}

void TestSettingsFile::iniRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString A = QStringLiteral("A");
    const QString k = QStringLiteral("k");
    QTest::newRow("plain") << QByteArray("[A]\r\nk=v\r\n") << A << k << "v";
    QTest::newRow("ASCII case ignored") << QByteArray("[gOSTERIM]\r\nrENK01=5\r\n") << "Gosterim"
                                        << "Renk01"
                                        << "5";
    QTest::newRow("blanks around everything")
        << QByteArray("  [ A ]  \r\n \t k  =   v  w \t \r\n") << A << k << "v  w";
    QTest::newRow("double quotes stripped")
        << QByteArray("[A]\r\nk=\" x \"\r\n") << A << k << " x ";
    QTest::newRow("single quotes stripped") << QByteArray("[A]\r\nk='y'\r\n") << A << k << "y";
    QTest::newRow("unpaired quote kept") << QByteArray("[A]\r\nk=\"y\r\n") << A << k << "\"y";
    QTest::newRow("empty value is a value") << QByteArray("[A]\r\nk=\r\n") << A << k << "";
    QTest::newRow("equals sign in value") << QByteArray("[A]\r\nk=a=b\r\n") << A << k << "a=b";
    QTest::newRow("missing key") << QByteArray("[A]\r\nx=v\r\n") << A << k << "<yok>";
    QTest::newRow("missing section") << QByteArray("[B]\r\nk=v\r\n") << A << k << "<yok>";
    QTest::newRow("key of the next section")
        << QByteArray("[A]\r\nx=1\r\n[B]\r\nk=2\r\n") << A << k << "<yok>";
    QTest::newRow("first of two keys") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << A << k << "1";
    QTest::newRow("comment is no key") << QByteArray("[A]\r\n;k=1\r\n") << A << k << "<yok>";
    QTest::newRow("line without equals") << QByteArray("[A]\r\nk\r\n") << A << k << "<yok>";
    QTest::newRow("LF line ends") << QByteArray("[A]\nx=0\nk=v\n") << A << k << "v";
    QTest::newRow("no final line end") << QByteArray("[A]\r\nk=v") << A << k << "v";
    QTest::newRow("value in 1254")
        << QByteArray("[A]\r\nk=\xDD\xD0\xDE\xFD\r\n") << A << k << QStringLiteral("İĞŞı");
    QTest::newRow("name in 1254") << QByteArray("[S\xFCtun Ayar]\r\nS\xFCtun 01=7\r\n")
                                  << QStringLiteral("sütun ayar") << QStringLiteral("SüTUN 01")
                                  << "7";
    QTest::newRow("Turkish letters keep their case")
        << QByteArray("[S\xFCtun Ayar]\r\nk=7\r\n") << QStringLiteral("SÜTUN AYAR") << k << "<yok>";
    QTest::newRow("dotless i is not i")
        << QByteArray("[Gosterim]\r\nk=7\r\n") << QStringLiteral("Gosterım") << k << "<yok>";
}

void TestSettingsFile::iniRead()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const QString path = m_dir.filePath(QStringLiteral("read.ini"));
    writeBytes(path, file);
    IniFile ini;
    QVERIFY(ini.load(path));
    QCOMPARE(ini.readString(section, key, QStringLiteral("<yok>")), expected);
}

void TestSettingsFile::iniReadInteger_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "10" << 10;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("minus") << "-5" << -5;
    QTest::newRow("blanks") << "  12 " << 12;
    QTest::newRow("quoted") << "\"13\"" << 13;
    QTest::newRow("dollar") << "$FF" << 255;
    QTest::newRow("0x") << "0x1F" << 31;
    QTest::newRow("0X") << "0X1f" << 31;
    QTest::newRow("hex fills 32 bits") << "$FFFFFFFF" << -1;
    QTest::newRow("negative hex") << "-$10" << -16;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(0x80000000);
    QTest::newRow("too large") << "2147483648" << 42;
    QTest::newRow("hex too large") << "$100000000" << 42;
    QTest::newRow("empty") << "" << 42;
    QTest::newRow("letters") << "abc" << 42;
    QTest::newRow("trailing letter") << "12x" << 42;
    QTest::newRow("inner blank") << "1 2" << 42;
    QTest::newRow("prefix alone") << "0x" << 42;
    QTest::newRow("dollar alone") << "$" << 42;
    QTest::newRow("sign alone") << "-" << 42;
    QTest::newRow("not hex") << "$FG" << 42;
    QTest::newRow("fraction") << "1.5" << 42;
}

void TestSettingsFile::iniReadInteger()
{
    QFETCH(QString, value);
    QFETCH(int, expected);

    const QString path = m_dir.filePath(QStringLiteral("integer.ini"));
    writeBytes(path, toCp1254(QStringLiteral("[A]\r\nk=") + value + QStringLiteral("\r\n")));
    IniFile ini;
    QVERIFY(ini.load(path));
    QCOMPARE(ini.readInteger(QStringLiteral("A"), QStringLiteral("k"), 42), expected);
    QCOMPARE(ini.readInteger(QStringLiteral("A"), QStringLiteral("missing"), 42), 42);
}

void TestSettingsFile::iniReadLimitsLength()
{
    const QString path = m_dir.filePath(QStringLiteral("long.ini"));
    writeBytes(path, "[A]\r\nk=" + QByteArray(3000, 'x') + "\r\n");
    IniFile ini;
    QVERIFY(ini.load(path));
    QCOMPARE(ini.readString(QStringLiteral("A"), QStringLiteral("k")), QString(2047, u'x'));
}

void TestSettingsFile::iniWrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray file = "; ba\xFEl\xFDk\r\n[A]\r\nx = 1\r\n; not\r\ny=2\r\n\r\n[B]\r\nz=3\r\n";
    QTest::newRow("in place, other lines kept")
        << file << "a"
        << "X"
        << "9" << QByteArray("; ba\xFEl\xFDk\r\n[A]\r\nx=9\r\n; not\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    QTest::newRow("new key ends its section")
        << file << "A"
        << "w"
        << "7"
        << QByteArray(
               "; ba\xFEl\xFDk\r\n[A]\r\nx = 1\r\n; not\r\ny=2\r\nw=7\r\n\r\n[B]\r\nz=3\r\n");
    QTest::newRow("new key in the last section")
        << file << "B"
        << "q"
        << "1"
        << QByteArray(
               "; ba\xFEl\xFDk\r\n[A]\r\nx = 1\r\n; not\r\ny=2\r\n\r\n[B]\r\nz=3\r\nq=1\r\n");
    QTest::newRow("new section at the end")
        << file << "C"
        << "k"
        << "v"
        << QByteArray("; ba\xFEl\xFDk\r\n[A]\r\nx = 1\r\n; "
                      "not\r\ny=2\r\n\r\n[B]\r\nz=3\r\n\r\n[C]\r\nk=v\r\n");
    QTest::newRow("empty file") << QByteArray() << "A"
                                << "k"
                                << "v" << QByteArray("[A]\r\nk=v\r\n");
    QTest::newRow("file's spelling kept") << QByteArray("[gosterim]\r\nrenk01=1\r\n") << "Gosterim"
                                          << "Renk01"
                                          << "255" << QByteArray("[gosterim]\r\nrenk01=255\r\n");
    QTest::newRow("LF file saved with CRLF") << QByteArray("[A]\nk=1\nj=2") << "A"
                                             << "k"
                                             << "2" << QByteArray("[A]\r\nk=2\r\nj=2\r\n");
    QTest::newRow("unknown lines kept")
        << QByteArray("garbage\r\n[A]\r\nnot a key\r\n[broken\r\n") << "A"
        << "k"
        << "1" << QByteArray("garbage\r\n[A]\r\nnot a key\r\n[broken\r\nk=1\r\n");
    QTest::newRow("Turkish in 1254")
        << QByteArray() << QStringLiteral("Sütun Ayar") << QStringLiteral("Sütun 01")
        << QStringLiteral("İĞŞı")
        << QByteArray("[S\xFCtun Ayar]\r\nS\xFCtun 01=\xDD\xD0\xDE\xFD\r\n");
}

void TestSettingsFile::iniWrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    const QString path = m_dir.filePath(QStringLiteral("write.ini"));
    QFile::remove(path);
    if (!before.isEmpty())
        writeBytes(path, before);
    IniFile ini;
    QVERIFY(ini.load(path));
    ini.writeString(section, key, value);
    QCOMPARE(ini.readString(section, key), value);
    QString error;
    QVERIFY2(ini.save(path, &error), qPrintable(error));
    QCOMPARE(readBytes(path), after);
}

void TestSettingsFile::defaults()
{
    const Settings s;
    QCOMPARE(QList<qint32>(s.colours.begin(), s.colours.end()), QList<qint32>(6, 0));
    QVERIFY(s.preview);
    QVERIFY(!s.logo);
    QVERIFY(!s.sound);
    QCOMPARE(s.programName, QStringLiteral("MELTORA"));
    QList<bool> flags(23, false);
    for (int shown : {1, 2, 4, 6, 7})
        flags[shown - 1] = true;
    QCOMPARE(QList<bool>(s.fieldFlags.begin(), s.fieldFlags.end()), flags);
    QCOMPARE(QList<int>(s.columnWidths.begin(), s.columnWidths.end()),
             QList<int>({200, 190, 110, 128, 100, 110, 110, 200, 110, 64,  200, 100,
                         80,  80,  80,  100, 100, 70,  180, 70,  100, 200, 75}));

    Settings loaded;
    SettingsFile::load(m_dir.filePath(QStringLiteral("none/PersonelKayit.ini")), loaded);
    QCOMPARE(describe(loaded), describe(s));
}

void TestSettingsFile::defaultPath()
{
    ProgramDir::setPath(m_dir.path());
    QCOMPARE(SettingsFile::defaultPath(), QDir(m_dir.path()).filePath("PersonelKayit.ini"));
}

void TestSettingsFile::defaultFileBytes()
{
    const QString path = m_dir.filePath(QStringLiteral("new.ini"));
    QFile::remove(path);
    QString failed;
    QVERIFY(SettingsFile::save(path, Settings(), &failed));
    QCOMPARE(readBytes(path), kDefaultFile);
}

void TestSettingsFile::roundTrip()
{
    Settings s;
    s.colours = {0x0000FF, 0x00FF00, 0xFF0000, -1, 0x123456, int(0x80000008)};
    s.preview = false;
    s.logo = true;
    s.sound = true;
    s.programName = QStringLiteral("ÇAĞRI ŞUBE İŞLERİ");
    for (size_t i = 1; i < s.fieldFlags.size(); ++i)
        s.fieldFlags[i] = !s.fieldFlags[i];
    for (size_t i = 0; i < s.columnWidths.size(); ++i)
        s.columnWidths[i] = int(i) * 7 + 1;

    const QString path = m_dir.filePath(QStringLiteral("roundtrip.ini"));
    QFile::remove(path);
    QString failed;
    QVERIFY(SettingsFile::save(path, Settings(), &failed));
    QVERIFY(SettingsFile::save(path, s, &failed));

    Settings loaded;
    SettingsFile::load(path, loaded);
    QCOMPARE(describe(loaded), describe(s));

    // Saved over an older file the keys change in place: the same bytes as a fresh file.
    const QString fresh = m_dir.filePath(QStringLiteral("fresh.ini"));
    QFile::remove(fresh);
    QVERIFY(SettingsFile::save(fresh, s, &failed));
    QCOMPARE(readBytes(path), readBytes(fresh));
    const QByteArray bytes = readBytes(path);
    QVERIFY(bytes.contains("\r\nProgram=\xC7"
                           "A\xD0RI \xDEUBE \xDD\xDELER\xDD\r\n"));
    QVERIFY(bytes.contains("\r\nRenk04=-1\r\n"));
}

void TestSettingsFile::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("changes");

    QTest::newRow("Renk01 is slot 1, Renk02 slot 0")
        << QByteArray("[Gosterim]\r\nRenk01=255\r\nRenk02=65280\r\nRenk06=$FF0000\r\n")
        << QStringList{"colours[1]=255", "colours[0]=65280", "colours[5]=16711680"};
    QTest::newRow("negative colour")
        << QByteArray("[Gosterim]\r\nRenk03=-1\r\n") << QStringList{"colours[2]=-1"};
    QTest::newRow("switches") << QByteArray("[Gosterim]\r\nOnIzleme=0\r\nLogo=1\r\nSes=-3\r\n")
                              << QStringList{"preview=0", "logo=1", "sound=1"};
    QTest::newRow("switch not a number")
        << QByteArray("[Gosterim]\r\nOnIzleme=hayir\r\n") << QStringList{};
    QTest::newRow("names in any ASCII case")
        << QByteArray("[gosterim]\nrenk01=255\nONIZLEME=0\n[s\xFCtun ayar]\nS\xFCTUN 02=5\n")
        << QStringList{"colours[1]=255", "preview=0", "columnWidths[1]=5"};
    QTest::newRow("field 02 hidden")
        << QByteArray("[Alanlar]\r\n02=0\r\n") << QStringList{"fieldFlags[1]=0"};
    QTest::newRow("field 01 has no key")
        << QByteArray("[Alanlar]\r\n01=0\r\n1=0\r\n") << QStringList{};
    QTest::newRow("fields, any non-zero shows")
        << QByteArray("[Alanlar]\r\n03=2\r\n05=-1\r\n23=$1\r\n07=0\r\n")
        << QStringList{"fieldFlags[2]=1", "fieldFlags[4]=1", "fieldFlags[22]=1", "fieldFlags[6]=0"};
    QTest::newRow("widths, one absent")
        << QByteArray("[S\xFCtun Ayar]\r\nS\xFCtun 09=77\r\n") << QStringList{"columnWidths[8]=77"};
    QTest::newRow("widths in hex")
        << QByteArray(
               "[S\xFCtun Ayar]\r\nS\xFCtun 01=$FF\r\nS\xFCtun 02=0x1F\r\nS\xFCtun 23=0X1f\r\n")
        << QStringList{"columnWidths[0]=255", "columnWidths[1]=31", "columnWidths[22]=31"};
    QTest::newRow("widths not numbers")
        << QByteArray("[S\xFCtun Ayar]\r\nS\xFCtun 01=abc\r\nS\xFCtun 02=\r\nS\xFCtun 03=12x\r\n")
        << QStringList{};
    QTest::newRow("width key without the u-umlaut")
        << QByteArray("[Sutun Ayar]\r\nSutun 01=5\r\n") << QStringList{};
    QTest::newRow("program name trimmed")
        << QByteArray("[Program Adi]\r\nProgram=  \xDD\xD0\xDE\xFD  Ltd \r\n")
        << QStringList{QStringLiteral("programName=İĞŞı  Ltd")};
    QTest::newRow("program name limited")
        << QByteArray("[Program Adi]\r\nProgram=" + QByteArray(3000, 'A') + "\r\n")
        << QStringList{"programName=" + QString(2047, u'A')};
    QTest::newRow("keys under another section")
        << QByteArray("[Program]\r\nProgram=X\r\n[Gosterim]\r\n[Alanlar]\r\nRenk01=5\r\n")
        << QStringList{};
}

void TestSettingsFile::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, changes);

    const QString path = m_dir.filePath(QStringLiteral("load.ini"));
    writeBytes(path, file);
    Settings s;
    SettingsFile::load(path, s);
    QCOMPARE(describe(s), withChanges(describe(Settings()), changes));
}

void TestSettingsFile::colours_data()
{
    QTest::addColumn<qint32>("win");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("twoWay");
    QTest::newRow("black") << 0 << QColor(0, 0, 0) << true;
    QTest::newRow("red") << 255 << QColor(255, 0, 0) << true;
    QTest::newRow("green") << 65280 << QColor(0, 255, 0) << true;
    QTest::newRow("blue") << 0xFF0000 << QColor(0, 0, 255) << true;
    QTest::newRow("mixed") << 0x123456 << QColor(0x56, 0x34, 0x12) << true;
    QTest::newRow("window text") << int(0x80000008) << QColor(0, 0, 0) << false;
    QTest::newRow("highlight") << int(0x8000000D) << QColor(0, 0x78, 0xD7) << false;
    QTest::newRow("unknown system colour") << -1 << QColor(0, 0, 0) << false;
}

void TestSettingsFile::colours()
{
    QFETCH(qint32, win);
    QFETCH(QColor, colour);
    QFETCH(bool, twoWay);
    QCOMPARE(colourFromWin(win), colour);
    if (twoWay)
        QCOMPARE(colourToWin(colour), win);
}

void TestSettingsFile::saveFails_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("directory by the file's name") << "directory";
    QTest::newRow("read-only directory") << "read-only directory";
    QTest::newRow("read-only file") << "read-only file";
}

void TestSettingsFile::saveFails()
{
    QFETCH(QString, obstacle);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("PersonelKayit.ini"));
    QString locked; // given back its permissions before the folder goes
    const QByteArray before = "[Gosterim]\r\nLogo=1\r\n";
    if (obstacle == u"directory") {
        QVERIFY(QDir().mkdir(path));
    } else if (obstacle == u"read-only directory") {
        locked = dir.filePath(QStringLiteral("kilitli"));
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        path = QDir(locked).filePath(QStringLiteral("PersonelKayit.ini"));
    } else {
        writeBytes(path, before);
        locked = path;
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    }
    const auto unlock = qScopeGuard([&] {
        if (!locked.isEmpty())
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (!locked.isEmpty()) {
        QFile probe(path);
        if (probe.open(QIODevice::Append)) {
            probe.close();
            QSKIP("permissions do not hold for this user (root)");
        }
    }

    IniFile ini;
    ini.writeInteger(QStringLiteral("Gosterim"), QStringLiteral("Logo"), 0);
    QString error;
    QVERIFY(!ini.save(path, &error));
    QVERIFY(!error.isEmpty());

    QString failed;
    QVERIFY(!SettingsFile::save(path, Settings(), &failed));
    QCOMPARE(failed, path);
    if (obstacle == u"read-only file")
        QCOMPARE(readBytes(path), before);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
