#pragma once

#include "preparedreport.h"

#include "data/progress.h"

#include <QString>

namespace report
{

struct PdfResult {
    bool written = false;
    bool cancelled = false;
    QString error; // a message for the user when neither written nor cancelled
};

// Writes every page of the report into a PDF file, fonts embedded, preview-only objects left
// out. The file appears only when it is complete: a failed or cancelled run leaves whatever
// was there before. `progress` hears of each page and may cancel.
PdfResult writePdf(const PreparedReport &report, const QString &path,
                   Progress *progress = nullptr);

// The page layout of a prepared page, without margins: the paper as the report lays it out.
QPageLayout pageLayoutOf(const PreparedPage &page);

} // namespace report
