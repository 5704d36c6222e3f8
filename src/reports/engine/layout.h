#pragma once

#include "datasource.h"
#include "preparedreport.h"

#include "data/progress.h"

#include <QDate>
#include <memory>
#include <optional>

namespace report
{

// Lays a report out afresh: the bands stacked down each page from the top margin (report
// title, its child, one master band per row, footer, summary), the page footer at the foot of
// every page, the free objects on every page. Bands never grow (a text that does not fit its
// box is cut off), so where the pages break is known before any row is read: the pages, with
// their number, exist from the start, and their contents can be laid out a few rows at a time
// while the first pages are already on screen. Once a master band has walked its source, the
// source is left on its last row.
//
// The template and the sources must outlive the preparation and stay unchanged meanwhile.
class Preparation
{
public:
    Preparation(const ReportTemplate &report, const DataSources &sources,
                QDate today = QDate::currentDate());
    ~Preparation();

    // Every page is there from the start with its paper; items arrive as they are laid out.
    const PreparedReport &report() const;
    int pageCount() const;
    // Pages laid out completely, from the first.
    int readyPages() const;
    bool isFinished() const;

    // Lays out at most about `rows` more master rows and the bands between them.
    void advance(int rows);
    // Lays out until the page of that index is complete.
    void prepareUntil(int pageIndex);
    // Lays out the rest, telling progress in master rows; false when that was cancelled.
    bool finish(Progress *progress = nullptr);
    // Leaves the sources as a finished walk would: each on its last row.
    void leaveSourcesOnLastRow();

    // The whole report, once finished.
    PreparedReport take();

private:
    class Layout;
    std::unique_ptr<Layout> m_layout;
};

struct PrepareOptions {
    QDate today = QDate::currentDate(); // what [DATE] prints, in the short date format
    // Told now and then how many master rows are laid out of how many; may cancel.
    Progress *progress = nullptr;
};

// The whole report at once; nothing when the progress cancelled it.
std::optional<PreparedReport> prepare(const ReportTemplate &report, const DataSources &sources,
                                      const PrepareOptions &options = {});

// The rows the report's master bands walk, for deciding whether progress is worth showing.
int masterRowCount(const ReportTemplate &report, const DataSources &sources);

} // namespace report
