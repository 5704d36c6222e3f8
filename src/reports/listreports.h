#pragma once

#include "reports/engine/reporttemplate.h"

// The lists and record cards: what the browsers show, as they show it.
namespace templates
{

report::ReportTemplate unitList();       // RKurum
report::ReportTemplate unitStaffList();  // RKurumPersonel
report::ReportTemplate staffList();      // RPersonelListe
report::ReportTemplate bloodGroupList(); // RKan
// RKisisel over the member browser's current row, RKisiselUye over the unit's staff list.
report::ReportTemplate recordCard(bool ofUnitStaff);

} // namespace templates
