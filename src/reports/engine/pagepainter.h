#pragma once

#include "preparedreport.h"

#include <QFont>
#include <QRectF>
#include <optional>
#include <vector>

class QPainter;

namespace report
{
class TextMetrics;

// Where a page goes: the screen shows preview-only objects, paper and PDF never do.
enum class PaintTarget { Screen, Paper };

// Paints prepared pages on any painter (a widget, a printer, a PDF writer, an image), in
// millimetres mapped onto the rectangle that the paper takes on the device. Every device
// gets the same positions: character by character for spaced text, and a text that does not
// fit its box is cut at the box's edge rather than left to run on.
class PagePainter
{
public:
    PagePainter(QPainter *painter, PaintTarget target);

    void paint(const PreparedReport &report, int pageIndex, const QRectF &paper);

private:
    void setScale(const PreparedReport &report, double pixelsPerMm);
    void paintText(const PreparedPage &page, const PlacedItem &item, const ReportObject &style);
    void paintLines(QStringView text, const QRectF &box, const ReportObject &style,
                    const TextMetrics &metrics);
    void paintFrame(const QRectF &box, quint8 sides);
    void paintLine(const PlacedItem &item, const ReportObject &style);
    void paintPicture(const QRectF &box, const ReportObject &style);
    void useFont(quint16 style, const ReportObject &object);
    const TextMetrics &metricsOf(quint16 style, const ReportObject &object);
    void usePen(bool dotted);

    QPointF toDevice(double xMm, double yMm) const;
    QRectF toDevice(const QRectF &mm) const;

    QPainter *m_painter;
    PaintTarget m_target;
    QPointF m_origin;
    double m_scale = 0; // device pixels per millimetre
    const PreparedReport *m_fontsOf = nullptr;
    std::vector<std::optional<QFont>> m_fonts;  // per style, at the current scale
    std::vector<const TextMetrics *> m_metrics; // per style, once looked up
    int m_currentFont = -1;
    int m_currentPen = -1;
};

// Paints one page: a shorthand for one-off pictures of a page.
void paintPage(QPainter *painter, const PreparedReport &report, int pageIndex, const QRectF &paper,
               PaintTarget target);

} // namespace report
