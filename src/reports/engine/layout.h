#pragma once

#include "datasource.h"
#include "preparedreport.h"

#include <QDate>
#include <functional>
#include <optional>

namespace report {

struct PrepareOptions {
    QDate today = QDate::currentDate(); // what [DATE] prints, in the short date format
    // Told now and then how many master rows are laid out of how many; false cancels.
    std::function<bool(int done, int total)> progress;
};

// Lays a report out afresh: the bands stacked down each page from the top margin (report
// title, its child, one master band per row, footer, summary), the page footer at the foot of
// every page, the free objects on every page. Bands never grow: a text that does not fit its
// box is cut off. Afterwards a walked source is left on its last row. Returns nothing when
// the progress callback cancelled.
std::optional<PreparedReport> prepare(const ReportTemplate &report, const DataSources &sources,
                                      const PrepareOptions &options = {});

// The rows the report's master bands walk, for deciding whether progress is worth showing.
int masterRowCount(const ReportTemplate &report, const DataSources &sources);

} // namespace report
