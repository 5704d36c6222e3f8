#include "schema.h"

#include <algorithm>

namespace schema {

namespace {

using K = Column::Kind;
constexpr Mask kPhone = Mask::Phone;
constexpr Mask kDate = Mask::Date;

QList<Table> buildTables()
{
    return {
        {"okul",
         {{"SiraNo", K::Key, 0},
          {"okul_adi", K::Text, 50},
          {"okul_muduru", K::Text, 25},
          {"adresi", K::Text, 100},
          {"telefonu", K::Text, 15, kPhone},
          {"ili", K::Text, 25},
          {"ilcesi", K::Text, 10}}},
        {"uyeler",
         {{"KayitNo", K::Key, 0},
          {"SiraNo", K::Integer, 0},
          {"adi", K::Text, 15},
          {"soyadi", K::Text, 15},
          {"Birlestir", K::Text, 31},
          {"baba_adi", K::Text, 10},
          {"anne_adi", K::Text, 10},
          {"tc_kimlik", K::Text, 11},
          {"dogum_yeri", K::Text, 10},
          {"dogum_tarihi", K::Text, 10, kDate},
          {"cinsiyeti", K::Text, 5},
          {"ev_adresi", K::Text, 50},
          {"ev_tel", K::Text, 15, kPhone},
          {"cep_tel", K::Text, 15, kPhone},
          {"calistigi_kurum", K::Text, 100},
          {"kurum_adresi", K::Text, 100},
          {"isyeri_tel", K::Text, 15, kPhone},
          {"unvani", K::Text, 20},
          {"unvan_kodu", K::Text, 4},
          {"kurum_sicil", K::Text, 50},
          {"bransi", K::Text, 15},
          {"hizmet_yili", K::Text, 7},
          {"calistigi_il", K::Text, 25},
          {"ilcesi", K::Text, 10},
          {"sendikasi", K::Text, 25},
          {"sendika_kayit_tarihi", K::Text, 10, kDate},
          {"sendika_adresi", K::Text, 50},
          {"emaili", K::Text, 25},
          {"medeni_durumu", K::Text, 8},
          {"esinin_meslegi", K::Text, 25},
          {"esinin_kurumu", K::Text, 50},
          {"hakkinda", K::Memo, 0},
          {"ogrenim_durumu", K::Text, 15},
          {"emekli_sandigi", K::Text, 15},
          {"ssk", K::Text, 15},
          {"kan_grubu", K::Text, 10}}},
        {"sabit",
         {{"KayitNo", K::Key, 0},
          {"Kurum_Adi", K::Text, 26},
          {"program_adi", K::Text, 50},
          {"hizmet_kolu", K::Text, 2},
          {"kurum_kodu", K::Text, 2},
          {"il_kodu", K::Text, 2},
          {"ili", K::Text, 25},
          {"sendikasi", K::Text, 23},
          {"sendika_adresi", K::Text, 23},
          {"hizmet_kolu_sec", K::YesNo, 0},
          {"kurum_sec", K::YesNo, 0},
          {"kurum_kod_sec", K::YesNo, 0},
          {"il_sec", K::YesNo, 0},
          {"il_kod_sec", K::YesNo, 0},
          {"sendika_sec", K::YesNo, 0},
          {"sendika_adres_sec", K::YesNo, 0}}},
        {"yetkili",
         {{"KayitNo", K::Key, 0},
          {"yetkili_adi", K::Text, 50},
          {"sendikal_gorevi", K::Text, 50},
          {"logo", K::Text, 100},
          {"logo1sec", K::YesNo, 0},
          {"logo2sec", K::YesNo, 0},
          {"logo3sec", K::YesNo, 0},
          {"logo4sec", K::YesNo, 0}}},
        {"sendikalar",
         {{"KayitNo", K::Key, 0}, {"sendikalar", K::Text, 23}, {"adresi", K::Text, 23}}},
        {"veriler",
         {{"KayitNo", K::Key, 0},
          {"okul_adi", K::Text, 100},
          {"okul_muduru", K::Text, 25},
          {"adresi", K::Text, 100},
          {"telefonu", K::Text, 15},
          {"ili", K::Text, 10},
          {"ilcesi", K::Text, 10}}},
    };
}

QString columnDefinition(const Table &table, const Column &c)
{
    const QString name = QString::fromLatin1(c.name);
    switch (c.kind) {
    case K::Key:
        return name + (QLatin1String(table.name) == QLatin1String("okul")
                           ? QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT")
                           : QStringLiteral(" INTEGER PRIMARY KEY"));
    case K::Integer:
        return name + QStringLiteral(" INTEGER");
    case K::YesNo:
        return name + QStringLiteral(" BOOLEAN DEFAULT 0");
    case K::Memo:
        return name + QStringLiteral(" TEXT COLLATE TR");
    case K::Text:
        return QStringLiteral("%1 TEXT COLLATE TR CONSTRAINT \"%2.%1\" CHECK(length(%1) <= %3)")
            .arg(name, QLatin1String(table.name))
            .arg(c.size);
    }
    return name;
}

} // namespace

const QList<Table> &tables()
{
    static const QList<Table> all = buildTables();
    return all;
}

const Table *table(const QString &name)
{
    for (const Table &t : tables())
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

namespace {

const Column *findColumn(const QString &tableName, const QString &column)
{
    if (const Table *t = table(tableName))
        for (const Column &c : t->columns)
            if (column.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
                return &c;
    return nullptr;
}

} // namespace

int textSize(const QString &tableName, const QString &column)
{
    const Column *c = findColumn(tableName, column);
    return c && c->kind == K::Text ? c->size : 0;
}

Mask maskOf(const QString &tableName, const QString &column)
{
    const Column *c = findColumn(tableName, column);
    return c ? c->mask : Mask::None;
}

int requiredDigits(Mask mask)
{
    switch (mask) {
    case Mask::Phone:
        return 10;
    case Mask::Date:
        return 8;
    case Mask::None:
        break;
    }
    return 0;
}

bool isPartlyFilled(Mask mask, const QString &text)
{
    const auto digits = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    return digits > 0 && digits < requiredDigits(mask);
}

QStringList createStatements()
{
    QStringList out;
    for (const Table &t : tables()) {
        QStringList defs;
        for (const Column &c : t.columns)
            defs << columnDefinition(t, c);
        out << QStringLiteral("CREATE TABLE %1 (\n  %2\n)")
                   .arg(QLatin1String(t.name), defs.join(QStringLiteral(",\n  ")));
    }
    // The staff of one unit are fetched at every move in the unit list.
    out << QStringLiteral("CREATE INDEX uyeler_SiraNo ON uyeler(SiraNo)");
    return out;
}

} // namespace schema
