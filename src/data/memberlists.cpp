#include "memberlists.h"

namespace memberlists {

const QStringList &bloodGroups()
{
    static const QStringList groups = {QStringLiteral("A Rh +"),  QStringLiteral("A Rh -"),
                                       QStringLiteral("B Rh +"),  QStringLiteral("B Rh -"),
                                       QStringLiteral("0 Rh +"),  QStringLiteral("0 Rh -"),
                                       QStringLiteral("AB Rh +"), QStringLiteral("AB Rh -")};
    return groups;
}

const QStringList &educationLevels()
{
    static const QStringList levels = {QStringLiteral("İLKÖĞRETİM"), QStringLiteral("LİSE"),
                                       QStringLiteral("YÜKSEK OKUL")};
    return levels;
}

const QStringList &sexes()
{
    static const QStringList sexes = {QStringLiteral("ERKEK"), QStringLiteral("KADIN")};
    return sexes;
}

const QStringList &maritalStatuses()
{
    static const QStringList statuses = {QStringLiteral("Evli"), QStringLiteral("Bekar"),
                                         QStringLiteral("Boşanmış")};
    return statuses;
}

} // namespace memberlists
