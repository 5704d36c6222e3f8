// Makes the program's database: an empty Data.dat, or one filled with demo records for
// trying the program and for the benchmarks. It never writes over an existing database.
//
//   meltora-db create DIR
//   meltora-db demo DIR [--units N] [--staff M] [--seed S] [--big-unit K]
//   meltora-db create --server CONNINFO     the six tables in an empty server database
//   meltora-db push DIR/Data.dat CONNINFO   a file register into an empty server database
//   meltora-db pull CONNINFO DIR            the server's register into a new DIR/Data.dat
//
// CONNINFO is libpq's connection string ("service=meltora",
// "postgresql://host/meltora?sslmode=verify-full"); the password comes from libpq's own
// sources (~/.pgpass, a service file, PGPASSWORD), never from the command line.
//
// --big-unit K puts the first K staff into the first unit, so that one unit is large.

#include "data/database.h"
#include "data/identitynumber.h"
#include "data/memberlists.h"
#include "data/registercopy.h"
#include "data/schema.h"
#include "data/sharedqueries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>
#include <sqlite3.h>

namespace {

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

const QStringList kFirstNames = {
    "AHMET", "MEHMET", "MUSTAFA", "ALİ", "HÜSEYİN", "HASAN", "İBRAHİM", "İSMAİL", "OSMAN", "YUSUF",
    "MURAT", "ÖMER", "RAMAZAN", "HALİL", "SÜLEYMAN", "ABDULLAH", "MAHMUT", "SALİH", "KEMAL", "ÖZGÜR",
    "FATMA", "AYŞE", "EMİNE", "HATİCE", "ZEYNEP", "ELİF", "MERYEM", "ŞERİFE", "ZEHRA", "SULTAN",
    "HANİFE", "MERVE", "HAVVA", "ZELİHA", "ESRA", "FADİME", "ÖZLEM", "HÜLYA", "ÇİĞDEM", "GÜLŞEN",
    "IŞIL", "İPEK", "ÇAĞRI", "ŞÜKRÜ", "ĞÖKHAN", "ILGAZ", "İNCİ", "UĞUR", "TUĞBA", "DİLEK"};
const QStringList kSurnames = {
    "YILMAZ", "KAYA", "DEMİR", "ŞAHİN", "ÇELİK", "YILDIZ", "YILDIRIM", "ÖZTÜRK", "AYDIN", "ÖZDEMİR",
    "ARSLAN", "DOĞAN", "KILIÇ", "ASLAN", "ÇETİN", "KARA", "KOÇ", "KURT", "ÖZKAN", "ŞİMŞEK",
    "POLAT", "ÖZCAN", "KORKMAZ", "ÇAKIR", "ERDOĞAN", "YAVUZ", "CAN", "ACAR", "ŞEN", "AKTAŞ",
    "GÜLER", "YALÇIN", "GÜNEŞ", "BOZKURT", "BULUT", "KESKİN", "ÜNAL", "TURAN", "GÜL", "ÖZER"};
const QStringList kProvinces = {"ANKARA", "İSTANBUL", "İZMİR", "BURSA", "KONYA", "ESKİŞEHİR",
                                "TRABZON", "ŞANLIURFA", "ÇANAKKALE", "MUĞLA", "AĞRI", "IĞDIR"};
const QStringList kDistricts = {"MERKEZ", "ÇANKAYA", "KEÇİÖREN", "ÜSKÜDAR", "KADIKÖY", "BORNOVA",
                                "NİLÜFER", "SELÇUKLU", "ODUNPAZARI", "ORTAHİSAR", "BODRUM"};
const QStringList kUnitKinds = {"İLKOKULU", "ORTAOKULU", "ANADOLU LİSESİ", "MESLEKİ VE TEKNİK AND. L.",
                                "HALK EĞİTİM MERKEZİ", "İLÇE MİLLİ EĞİTİM MÜDÜRLÜĞÜ",
                                "REHBERLİK VE ARAŞTIRMA MERKEZİ", "BİLİM VE SANAT MERKEZİ"};
const QStringList kUnitNames = {"ATATÜRK", "CUMHURİYET", "GAZİ", "İNÖNÜ", "FATİH", "YUNUS EMRE",
                                "MEHMET AKİF ERSOY", "NAMIK KEMAL", "ZİYA GÖKALP", "ŞEHİT ÖMER",
                                "HALİDE EDİP", "ÇAMLICA", "GÖKKUŞAĞI", "IŞIKLAR", "ÖĞRETMENLER",
                                "KIZILAY", "BARBAROS", "ÜLKÜ", "ŞİRİNEVLER", "KOCATEPE"};
const QStringList kTitles = {"ÖĞRETMEN", "MÜDÜR", "MÜDÜR YRD.", "MEMUR", "HİZMETLİ", "ŞEF",
                             "TEKNİKER", "V.H.K.İ.", "AŞÇI", "BEKÇİ"};
const QStringList kTitleCodes = {"1001", "1002", "1003", "2001", "3001", "2002", "2005", "2003",
                                 "3005", "3006"};
const QStringList kBranches = {"MATEMATİK", "TÜRKÇE", "FİZİK", "KİMYA", "BİYOLOJİ", "TARİH",
                               "COĞRAFYA", "İNGİLİZCE", "SINIF ÖĞR.", "BEDEN EĞİTİMİ", "MÜZİK",
                               "GÖRSEL SANAT", "DİN KÜLTÜRÜ", "REHBERLİK", "BİLİŞİM"};
const QList<QPair<QString, QString>> kUnions = {
    {"EĞİTİM BİR SEN", "ANKARA"}, {"TÜRK EĞİTİM SEN", "ANKARA"}, {"EĞİTİM SEN", "ANKARA"},
    {"EĞİTİM İŞ", "ANKARA"},      {"AKTİF EĞİTİM SEN", "ANKARA"}};
const QStringList kProfessions = {"ÖĞRETMEN", "MÜHENDİS", "DOKTOR", "HEMŞİRE", "SERBEST",
                                  "EV HANIMI", "AVUKAT", "MEMUR"};

class Demo
{
public:
    Demo(sqlite3 *db, quint32 seed) : m_db(db), m_random(seed) {}

    template <typename T>
    const T &pick(const QList<T> &list) { return list[int(m_random.bounded(quint32(list.size())))]; }
    QString pick(const QStringList &list) { return list[int(m_random.bounded(quint32(list.size())))]; }
    int number(int low, int high) { return int(m_random.bounded(low, high + 1)); }
    QString digits(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(u'0' + (i == 0 ? number(1, 9) : number(0, 9)));
        return s;
    }
    // Identity numbers as registers hold them: most pass their check, one in fifty was
    // mistyped, and one in five hundred repeats the number of the staff member before.
    // Drawn as eleven digits always, so that the rest of the demo stays what it was.
    QString identityNumber(int i)
    {
        QString n = digits(11);
        if (i % 500 == 499 && !m_lastIdentity.isEmpty())
            n = m_lastIdentity;
        else if (i % 50 != 49)
            n = n.left(9) + identitynumber::checkDigits(n.left(9));
        m_lastIdentity = n;
        return n;
    }
    QString phone() { return QStringLiteral("(%1) %2 %3 %4").arg(digits(3), digits(3), digits(2), digits(2)); }
    QString date(int fromYear, int toYear)
    {
        return QStringLiteral("%1.%2.%3")
            .arg(number(1, 28), 2, 10, QLatin1Char('0'))
            .arg(number(1, 12), 2, 10, QLatin1Char('0'))
            .arg(number(fromYear, toYear));
    }

    void exec(const char *sql)
    {
        char *msg = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
            QString text = QString::fromUtf8(msg);
            sqlite3_free(msg);
            throw std::runtime_error(text.toStdString());
        }
    }

    void insert(const char *sql, const QStringList &values)
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        QList<QByteArray> keep;
        for (int i = 0; i < values.size(); ++i) {
            if (values[i].isNull()) {
                sqlite3_bind_null(st, i + 1);
                continue;
            }
            keep << values[i].toUtf8();
            sqlite3_bind_text(st, i + 1, keep.last().constData(), int(keep.last().size()),
                              SQLITE_STATIC);
        }
        int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }

    void fill(int units, int staff, int bigUnit)
    {
        exec("BEGIN");
        insert("INSERT INTO sabit (Kurum_Adi, hizmet_kolu, kurum_kodu, il_kodu, ili, sendikasi, "
               "sendika_adresi, hizmet_kolu_sec, kurum_sec, kurum_kod_sec, il_sec, il_kod_sec, "
               "sendika_sec, sendika_adres_sec) VALUES (?, ?, ?, ?, ?, ?, ?, 1, 1, 1, 1, 1, 1, 1)",
               {"MİLLİ EĞİTİM BAKANLIĞI", "03", "01", "06", "ANKARA", "EĞİTİM BİR SEN",
                "ANKARA"});
        insert("INSERT INTO yetkili (yetkili_adi, sendikal_gorevi, logo) VALUES (?, ?, ?)",
               {"AHMET YILMAZ", "İŞYERİ TEMSİLCİSİ", ""});
        for (const auto &u : kUnions)
            insert("INSERT INTO sendikalar (sendikalar, adresi) VALUES (?, ?)", {u.first, u.second});

        struct Unit {
            QString name, address, phone, province, district;
        };
        QList<Unit> made;
        for (int i = 0; i < units; ++i) {
            Unit u;
            u.name = QStringLiteral("%1 %2").arg(pick(kUnitNames), pick(kUnitKinds));
            if (units > 40)
                u.name = QStringLiteral("%1 %2 %3").arg(pick(kUnitNames)).arg(i + 1).arg(pick(kUnitKinds)).left(50);
            u.province = pick(kProvinces);
            u.district = pick(kDistricts);
            u.address = QStringLiteral("%1 MAH. %2 CAD. NO:%3 %4/%5")
                            .arg(pick(kUnitNames), pick(kSurnames))
                            .arg(number(1, 200))
                            .arg(u.district, u.province);
            u.phone = phone();
            insert("INSERT INTO okul (okul_adi, okul_muduru, adresi, telefonu, ili, ilcesi) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   {u.name, (pick(kFirstNames) + " " + pick(kSurnames)).left(25), u.address,
                    u.phone, u.province, u.district});
            made << u;
        }
        for (int i = 0; i < staff && units > 0; ++i) {
            int unitIndex = i < bigUnit ? 0 : number(0, units - 1);
            const Unit &u = made[unitIndex];
            QString first = pick(kFirstNames), last = pick(kSurnames);
            int unionPick = number(0, 6);
            QString unionName, unionAddress;
            if (unionPick < kUnions.size()) {
                unionName = kUnions[unionPick].first;
                unionAddress = kUnions[unionPick].second;
            } else {
                unionName = QStringLiteral("<<< KAYITSIZ >>>");
            }
            int title = number(0, int(kTitles.size()) - 1);
            bool woman = kFirstNames.indexOf(first) >= 20 && kFirstNames.indexOf(first) < 40;
            // Only what the member form's fixed lists offer, or its lists would show nothing.
            const QString married = pick(memberlists::maritalStatuses());
            const bool hasSpouse = married == memberlists::maritalStatuses().constFirst();
            insert("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, baba_adi, anne_adi, tc_kimlik, "
                   "dogum_yeri, dogum_tarihi, cinsiyeti, ev_adresi, ev_tel, cep_tel, calistigi_kurum, "
                   "kurum_adresi, isyeri_tel, unvani, unvan_kodu, kurum_sicil, bransi, hizmet_yili, "
                   "calistigi_il, ilcesi, sendikasi, sendika_kayit_tarihi, sendika_adresi, emaili, "
                   "medeni_durumu, esinin_meslegi, esinin_kurumu, hakkinda, ogrenim_durumu, "
                   "emekli_sandigi, ssk, kan_grubu) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                   "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   {QString::number(unitIndex + 1), first, last,
                    SharedQueries::fullName(first, last), pick(kFirstNames).left(10),
                    pick(kFirstNames).left(10), identityNumber(i), pick(kProvinces).left(10),
                    date(1960, 2000), memberlists::sexes().at(woman ? 1 : 0),
                    QStringLiteral("%1 SOK. NO:%2 %3").arg(pick(kSurnames)).arg(number(1, 99)).arg(u.district).left(50),
                    phone(), phone(), u.name, u.address, u.phone, kTitles[title], kTitleCodes[title],
                    digits(6), pick(kBranches), QString::number(number(1, 35)), u.province,
                    u.district, unionName,
                    unionName.startsWith('<') ? QString() : date(2005, 2025), unionAddress,
                    QStringLiteral("personel%1@meb.gov.tr").arg(i + 1).left(25), married,
                    hasSpouse ? pick(kProfessions) : QString(),
                    hasSpouse ? pick(kUnitNames) + " A.Ş." : QString(),
                    number(0, 9) == 0 ? QStringLiteral("Nöbet çizelgesinde görevli.") : QString(),
                    pick(memberlists::educationLevels()), digits(9), digits(9),
                    pick(memberlists::bloodGroups())});
        }
        exec("COMMIT");
    }

private:
    sqlite3 *m_db;
    QRandomGenerator m_random;
    QString m_lastIdentity;
};

int usage()
{
    err() << "usage: meltora-db create DIR\n"
             "       meltora-db demo DIR [--units N] [--staff M] [--seed S] [--big-unit K]\n"
             "       meltora-db create --server CONNINFO\n"
             "       meltora-db push DIR/Data.dat CONNINFO\n"
             "       meltora-db pull CONNINFO DIR\n";
    return 2;
}

// What a push or a pull did, or why it did nothing.
int report(const registercopy::Outcome &outcome, const QString &what)
{
    if (!outcome.ok) {
        err() << "meltora-db: " << outcome.error << "\n";
        return 1;
    }
    QTextStream out(stdout);
    for (const registercopy::TableCheck &table : outcome.tables)
        out << QStringLiteral("  %1: %2 kayıt, özet %3\n")
                   .arg(table.table, -10)
                   .arg(table.rows)
                   .arg(QString::fromLatin1(table.digest.left(16)));
    const double seconds = std::max<qint64>(outcome.milliseconds, 1) / 1000.0;
    out << what << ": " << outcome.rows << " kayıt, " << QString::number(seconds, 'f', 2)
        << " sn (" << qlonglong(outcome.rows / seconds) << " kayıt/sn); sayılar ve özetler "
        << "iki tarafta aynı\n";
    return 0;
}

int serverCommand(const QString &command, const QStringList &args)
{
    if (command == QLatin1String("create") && args.size() == 3 && args[1] == QLatin1String("--server")) {
        QString error;
        if (!registercopy::createOnServer(args[2], &error)) {
            err() << "meltora-db: " << error << "\n";
            return 1;
        }
        QTextStream(stdout) << "Meltora tabloları sunucuda oluşturuldu\n";
        return 0;
    }
    if (command == QLatin1String("push") && args.size() == 3)
        return report(registercopy::push(args[1], schema::kKey, args[2]), QStringLiteral("sunucuya gönderildi"));
    if (command == QLatin1String("pull") && args.size() == 3)
        return report(registercopy::pull(args[1], args[2], schema::kKey), QStringLiteral("sunucudan alındı"));
    return usage();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString command = args[0];
    if (command == QLatin1String("push") || command == QLatin1String("pull") ||
        args[1] == QLatin1String("--server"))
        return serverCommand(command, args);
    const QString path = QDir(args[1]).filePath(QString::fromLatin1(schema::kDatabaseFile));
    QDir().mkpath(args[1]);

    if (command == QLatin1String("create")) {
        if (QFileInfo::exists(path))
            return 0; // an existing database is never touched
        QString error;
        if (!Database::create(path, schema::kKey, &error)) {
            err() << "meltora-db: " << error << "\n";
            return 1;
        }
        QTextStream(stdout) << "created " << path << "\n";
        return 0;
    }
    if (command != QLatin1String("demo"))
        return usage();

    int units = 40, staff = 600, bigUnit = 0;
    quint32 seed = 1923;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--units"))
            units = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--staff"))
            staff = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--big-unit"))
            bigUnit = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toUInt();
        else
            return usage();
    }
    QString error;
    if (!QFileInfo::exists(path) && !Database::create(path, schema::kKey, &error)) {
        err() << "meltora-db: " << error << "\n";
        return 1;
    }
    Database db;
    if (!db.open(path, schema::kKey, &error)) {
        err() << "meltora-db: " << error << "\n";
        return 1;
    }
    try {
        if (db.scalar(QStringLiteral("SELECT (SELECT count(*) FROM okul) + (SELECT count(*) FROM uyeler)"))
                .toLongLong() > 0) {
            err() << "meltora-db: " << path << " already holds records; demo data goes only into an empty database\n";
            return 1;
        }
        Demo(db.handle(), seed).fill(units, staff, bigUnit);
    } catch (const std::exception &e) {
        err() << "meltora-db: " << e.what() << "\n";
        return 1;
    }
    QTextStream(stdout) << "filled " << path << " with " << units << " units and " << staff
                        << " staff\n";
    return 0;
}
