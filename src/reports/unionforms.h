#pragma once

#include "reports/engine/reporttemplate.h"

// The statutory union forms, two A4 pages each: the form and its filling-in instructions.
// Each form has one layout in two templates, blank and filled in for the current member.
namespace templates
{

// EK 1: RSendikaKayit (blank) or RUye (filled).
report::ReportTemplate membershipForm(bool filled);
// EK 3: RIstifa (blank) or RUyeIstifa (filled).
report::ReportTemplate resignationForm(bool filled);

} // namespace templates
