#pragma once

#include <QStringList>

// The fixed lists of a staff member's record: the only values the member form offers for
// these columns, stored as their text. Everything that writes these columns takes its
// values from here, so that the form finds every stored value among its items.
namespace memberlists {

const QStringList &bloodGroups();     // kan_grubu
const QStringList &educationLevels(); // ogrenim_durumu
const QStringList &sexes();           // cinsiyeti
const QStringList &maritalStatuses(); // medeni_durumu, in mixed case

} // namespace memberlists
