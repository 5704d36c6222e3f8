#include "identitynumber.h"

#include "database.h"
#include "turkish.h"

#include <QHash>
#include <algorithm>

namespace identitynumber
{

namespace
{

constexpr int kLength = 11;

int digitAt(const QString &number, int position)
{
    return number.at(position).unicode() - u'0';
}

bool allAsciiDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; });
}


// The unit a member belongs to; a row whose unit is gone still names its typed workplace.
const char *const kHolderColumns =
    "SELECT u.KayitNo, u.Birlestir, coalesce(o.okul_adi, u.calistigi_kurum, ''), trim(u.tc_kimlik) "
    "FROM uyeler u LEFT JOIN okul o ON o.SiraNo = u.SiraNo ";

Holder holderOf(const Statement &row)
{
    Holder h;
    h.key = row.integer(0);
    h.name = row.string(1);
    h.unit = row.string(2);
    h.number = row.string(3);
    return h;
}

bool byName(const Holder &a, const Holder &b)
{
    const int order = turkish::compare(a.name, b.name);
    return order != 0 ? order < 0 : a.key < b.key;
}

} // namespace

QString checkDigits(const QString &nineDigits)
{
    int odd = 0;  // d1 + d3 + d5 + d7 + d9
    int even = 0; // d2 + d4 + d6 + d8
    for (int i = 0; i < 9; ++i)
        (i % 2 == 0 ? odd : even) += digitAt(nineDigits, i);
    // The remainder of a negative difference is taken the mathematical way: 0 to 9.
    const int tenth = ((odd * 7 - even) % 10 + 10) % 10;
    const int eleventh = (odd + even + tenth) % 10;
    return QString::number(tenth) + QString::number(eleventh);
}

Verdict check(const QString &number)
{
    const QString n = number.trimmed();
    if (n.isEmpty())
        return Verdict::Empty;
    if (n.size() != kLength)
        return Verdict::WrongLength;
    if (!allAsciiDigits(n))
        return Verdict::NotDigits;
    if (n.at(0) == u'0')
        return Verdict::LeadingZero;
    if (checkDigits(n.left(9)) != QStringView(n).right(2))
        return Verdict::WrongCheckDigits;
    return Verdict::Valid;
}

bool isValid(const QString &number)
{
    return check(number) == Verdict::Valid;
}

QString problemText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Empty:
    case Verdict::Valid:
        return QString();
    case Verdict::WrongLength:
        return QStringLiteral("TC kimlik numarası 11 haneli olmalı.");
    case Verdict::NotDigits:
        return QStringLiteral("TC kimlik numarası yalnızca rakamlardan oluşmalı.");
    case Verdict::LeadingZero:
        return QStringLiteral("TC kimlik numarası 0 ile başlayamaz.");
    case Verdict::WrongCheckDigits:
        return QStringLiteral("TC kimlik numarası geçersiz: son iki hanesi (denetim haneleri) tutmuyor.");
    }
    return QString();
}

QList<Holder> otherHolders(Database &db, const QString &number, const QVariant &exceptKey)
{
    QList<Holder> out;
    const QString n = number.trimmed();
    if (n.isEmpty())
        return out;
    Statement st(db, QString::fromLatin1(kHolderColumns) +
                                  QStringLiteral("WHERE trim(u.tc_kimlik) = ?1 "
                                                 "AND (?2 IS NULL OR u.KayitNo <> ?2)"));
    st.bind(1, n);
    st.bind(2, exceptKey.isNull() ? QVariant() : QVariant(exceptKey.toLongLong()));
    while (st.step())
        out << holderOf(st);
    std::sort(out.begin(), out.end(), byName);
    return out;
}

QString holdersText(const QList<Holder> &holders)
{
    QStringList parts;
    for (const Holder &h : holders)
        parts << (h.unit.isEmpty() ? h.name : QStringLiteral("%1 (%2)").arg(h.name, h.unit));
    return parts.join(QStringLiteral(", "));
}

QList<Finding> audit(Database &db)
{
    Statement st(db, QString::fromLatin1(kHolderColumns) +
                                  QStringLiteral("WHERE trim(coalesce(u.tc_kimlik, '')) <> ''"));
    std::vector<Holder> all;
    QHash<QString, int> holders;
    while (st.step()) {
        all.push_back(holderOf(st));
        ++holders[all.back().number];
    }
    QList<Finding> out;
    for (Holder &h : all) {
        Finding f;
        f.verdict = check(h.number);
        f.sharedBy = holders.value(h.number);
        if (f.verdict == Verdict::Valid && f.sharedBy == 1)
            continue;
        f.holder = std::move(h);
        out << f;
    }
    std::sort(out.begin(), out.end(), [](const Finding &a, const Finding &b) {
        if (a.holder.number != b.holder.number)
            return a.holder.number < b.holder.number;
        return byName(a.holder, b.holder);
    });
    return out;
}

QString findingText(const Finding &finding)
{
    QStringList parts;
    const QString problem = problemText(finding.verdict);
    if (!problem.isEmpty())
        parts << problem;
    if (finding.sharedBy > 1)
        parts << QStringLiteral("Bu numara %1 personelde kayıtlı.").arg(finding.sharedBy);
    return parts.join(QLatin1Char(' '));
}

} // namespace identitynumber
