#pragma once

#include "reporttemplate.h"

#include <QStringView>
#include <vector>

namespace report
{

// One object as it stands on a prepared page: its rectangle in millimetres from the paper's
// top-left corner, its final text and the object it came from (for font, frame, fill ...).
// Kept small, since a long list holds hundreds of thousands of them.
struct PlacedItem {
    float x = 0, y = 0, width = 0, height = 0;
    quint32 textStart = 0; // in the page's text
    quint32 textLength = 0;
    quint16 style = 0; // index into PreparedReport::styles
    ObjectKind kind = ObjectKind::Text;

    QRectF rect() const { return QRectF(x, y, width, height); }
};

struct PreparedPage {
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QSizeF size; // millimetres, as the paper lies
    std::vector<PlacedItem> items;
    QString text; // the texts of all items, one after the other

    QStringView textOf(const PlacedItem &item) const
    {
        return QStringView(text).mid(qsizetype(item.textStart), qsizetype(item.textLength));
    }
};

// A report laid out for printing: what the preview, the printer and the PDF writer paint.
struct PreparedReport {
    QString name;
    QString title;
    // The template objects the items came from, without their texts. A text box with a fill
    // for odd rows has a second entry carrying that fill.
    std::vector<ReportObject> styles;
    std::vector<PreparedPage> pages;

    const ReportObject &styleOf(const PlacedItem &item) const { return styles[item.style]; }
    int pageCount() const { return int(pages.size()); }
};

} // namespace report
