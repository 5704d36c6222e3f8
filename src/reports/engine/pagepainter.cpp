#include "pagepainter.h"

#include "textmetrics.h"

#include <QPaintDevice>
#include <QPainter>

namespace report
{
namespace
{

constexpr double kMmPerInch = 25.4;
constexpr double kThinLine = 0.2; // frames, lines and rectangles, in mm
constexpr double kEpsilon = 1e-3;

// Where each line of a text starts, from the box's left edge, and how far it may run.
struct LineGeometry {
    double x;
    qsizetype length; // characters kept: those that start inside the box
    bool overflows;   // the last kept character runs past the box's edge
};

LineGeometry lineGeometry(QStringView line, const TextMetrics &metrics, const ReportObject &style,
                          double boxWidth, bool firstLine)
{
    const QMarginsF &pad = style.padding;
    const double spacing = style.spacing;
    const double width = metrics.width(line) + spacing * double(line.size());
    double inner = boxWidth - pad.left() - pad.right();
    double x = pad.left();
    if (style.hAlign != HAlign::Left && width > inner && width <= boxWidth) {
        // Fits only without the padding: still centred (or right-aligned), on the box itself.
        inner = boxWidth;
        x = 0;
    }
    if (width > inner + kEpsilon || style.hAlign == HAlign::Left)
        x += firstLine || !style.wordWrap ? style.indent : 0;
    else if (style.hAlign == HAlign::Center)
        x += (inner - width) / 2;
    else
        x += inner - width;
    if (x + width <= boxWidth + kEpsilon)
        return {x, line.size(), false};
    const qsizetype kept = metrics.fittingLength(line, boxWidth - x, spacing);
    return {x, kept, true};
}

} // namespace

PagePainter::PagePainter(QPainter *painter, PaintTarget target)
    : m_painter(painter), m_target(target)
{
}

QPointF PagePainter::toDevice(double xMm, double yMm) const
{
    return m_origin + QPointF(xMm * m_scale, yMm * m_scale);
}

QRectF PagePainter::toDevice(const QRectF &mm) const
{
    return QRectF(toDevice(mm.left(), mm.top()), mm.size() * m_scale);
}

void PagePainter::setScale(const PreparedReport &report, double pixelsPerMm)
{
    if (m_fontsOf == &report && qFuzzyCompare(m_scale, pixelsPerMm))
        return;
    m_scale = pixelsPerMm;
    m_fontsOf = &report;
    m_fonts.assign(report.styles.size(), std::nullopt);
    m_metrics.assign(report.styles.size(), nullptr);
    m_currentFont = -1;
    m_currentPen = -1;
}

void PagePainter::paint(const PreparedReport &report, int pageIndex, const QRectF &paper)
{
    const PreparedPage &page = report.pages[size_t(pageIndex)];
    setScale(report, paper.width() / page.size.width());
    m_origin = paper.topLeft();
    m_currentFont = -1;
    m_currentPen = -1;
    m_painter->save();
    m_painter->setBrush(Qt::NoBrush);
    m_painter->setRenderHint(QPainter::TextAntialiasing);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PlacedItem &item : page.items) {
        const ReportObject &style = report.styleOf(item);
        if (style.previewOnly && m_target == PaintTarget::Paper)
            continue;
        switch (item.kind) {
        case ObjectKind::Text:
            paintText(page, item, style);
            break;
        case ObjectKind::Line:
            paintLine(item, style);
            break;
        case ObjectKind::Rectangle:
            usePen(false);
            m_painter->drawRect(toDevice(item.rect()));
            break;
        case ObjectKind::Picture:
            paintPicture(toDevice(item.rect()), style);
            break;
        }
    }
    m_painter->restore();
}

void PagePainter::usePen(bool dotted)
{
    if (m_currentPen == int(dotted))
        return;
    m_currentPen = int(dotted);
    QPen pen(Qt::black, std::max(kThinLine * m_scale, 1.0), dotted ? Qt::DotLine : Qt::SolidLine,
             dotted ? Qt::FlatCap : Qt::SquareCap);
    m_painter->setPen(pen);
}

void PagePainter::useFont(quint16 style, const ReportObject &object)
{
    if (m_currentFont == style)
        return;
    std::optional<QFont> &font = m_fonts[style];
    if (!font) {
        // Points on this device: the font keeps its size in millimetres at any scale.
        const double dpi = m_painter->device()->logicalDpiY();
        font = TextMetrics::font(object.font, object.font.size * m_scale * kMmPerInch / dpi);
    }
    m_painter->setFont(*font);
    m_currentFont = style;
}

const TextMetrics &PagePainter::metricsOf(quint16 style, const ReportObject &object)
{
    const TextMetrics *&metrics = m_metrics[style];
    if (!metrics)
        metrics = &TextMetrics::of(object.font);
    return *metrics;
}

void PagePainter::paintText(const PreparedPage &page, const PlacedItem &item,
                            const ReportObject &style)
{
    const QRectF box = item.rect();
    if (style.fill.isValid())
        m_painter->fillRect(toDevice(box), style.fill);
    if (item.textLength > 0) {
        useFont(item.style, style);
        paintLines(page.textOf(item), box, style, metricsOf(item.style, style));
    }
    if (style.frame != NoSides)
        paintFrame(box, style.frame);
}

void PagePainter::paintLines(QStringView text, const QRectF &box, const ReportObject &style,
                             const TextMetrics &metrics)
{
    const QMarginsF &pad = style.padding;
    const double lineHeight = metrics.lineHeight();

    // Lines after the first are shown only while they fit in the box.
    QList<QStringView> lines = text.split(u'\n');
    qsizetype shown = 1;
    while (shown < lines.size() &&
           pad.top() + double(shown + 1) * lineHeight <= box.height() - pad.bottom() + kEpsilon)
        ++shown;
    lines.resize(shown);

    const double block = double(lines.size()) * lineHeight;
    double top = box.top() + pad.top();
    if (style.vAlign == VAlign::Center)
        top = box.top() + pad.top() + (box.height() - pad.top() - pad.bottom() - block) / 2;
    else if (style.vAlign == VAlign::Bottom)
        top = box.bottom() - pad.bottom() - block;

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (line.isEmpty())
            continue;
        const LineGeometry geometry = lineGeometry(line, metrics, style, box.width(), i == 0);
        const double baseline = top + double(i) * lineHeight + metrics.ascent();
        if (geometry.overflows) {
            m_painter->save();
            m_painter->setClipRect(toDevice(box), Qt::IntersectClip);
        }
        const QStringView kept = line.left(geometry.length);
        double x = box.left() + geometry.x;
        if (style.spacing > 0) {
            for (QChar ch : kept) {
                m_painter->drawText(toDevice(x, baseline), QString(ch));
                x += metrics.advance(ch) + style.spacing;
            }
        } else {
            m_painter->drawText(toDevice(x, baseline), kept.toString());
        }
        if (geometry.overflows)
            m_painter->restore();
    }
}

void PagePainter::paintFrame(const QRectF &box, quint8 sides)
{
    usePen(false);
    const QPointF topLeft = toDevice(box.left(), box.top());
    const QPointF topRight = toDevice(box.right(), box.top());
    const QPointF bottomLeft = toDevice(box.left(), box.bottom());
    const QPointF bottomRight = toDevice(box.right(), box.bottom());
    if (sides == AllSides) {
        m_painter->drawRect(QRectF(topLeft, bottomRight));
        return;
    }
    if (sides & LeftSide)
        m_painter->drawLine(topLeft, bottomLeft);
    if (sides & TopSide)
        m_painter->drawLine(topLeft, topRight);
    if (sides & RightSide)
        m_painter->drawLine(topRight, bottomRight);
    if (sides & BottomSide)
        m_painter->drawLine(bottomLeft, bottomRight);
}

void PagePainter::paintLine(const PlacedItem &item, const ReportObject &style)
{
    usePen(style.dotted);
    const QRectF r = item.rect();
    m_painter->drawLine(toDevice(r.left(), r.top()), toDevice(r.right(), r.bottom()));
}

void PagePainter::paintPicture(const QRectF &box, const ReportObject &style)
{
    const QSizeF size = QSizeF(style.image.size()).scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(box.center() - QPointF(size.width() / 2, size.height() / 2), size);
    m_painter->drawImage(target, style.image);
}

void paintPage(QPainter *painter, const PreparedReport &report, int pageIndex, const QRectF &paper,
               PaintTarget target)
{
    PagePainter(painter, target).paint(report, pageIndex, paper);
}

} // namespace report
