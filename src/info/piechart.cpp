#include "piechart.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace
{

// The eye looks down on the pie at 45 degrees: a circle of radius r shows as an ellipse of
// r by r·sin 45°, and the wall, a quarter of the radius high, shows at cos 45° of its height.
constexpr qreal kTilt = 0.70710678;
constexpr qreal kThickness = 0.25;

constexpr qreal kMargin = 4;
constexpr qreal kTitleGap = 6;
constexpr qreal kColumnGap = 20; // from the pie's edge to a column of marks; more than the arrow
constexpr qreal kMarkSpacing = 2;
constexpr qreal kMarkPadding = 4;
constexpr qreal kMinMarkWidth = 12;
// A column of marks narrower than this shows too little of a name to help; the legend names
// the slices then.
constexpr qreal kUsefulMarkWidth = 44;
constexpr qreal kMinRadius = 40;
constexpr qreal kRadiusShare = 0.17; // of the width left of the legend, kept for the pie
constexpr qreal kMarkPoints = 8;
constexpr qreal kLegendPoints = 8;
constexpr qreal kSmallestPoints = 6.5;
constexpr qreal kLegendPadding = 6;
constexpr qreal kLegendColumnGap = 10;
constexpr qreal kSwatch = 10;
constexpr qreal kSwatchGap = 5;
constexpr qreal kShadow = 2;
constexpr qreal kLegendGap = 10; // between the marks' area and the legend
// Of the chart's width, at most, for a legend of one column beside the marks.
constexpr qreal kLegendShareOneColumn = 0.42;
// The pie's radius, at least, beside a legend of several columns.
constexpr qreal kCrowdedRadius = 75;
// How far a leader keeps from the pie, and from another leader's elbow.
constexpr qreal kClearance = 1.5;
constexpr qreal kLeaderGap = 1;

const QColor kPalette[] = {
    QColor(0x33, 0x66, 0xcc), QColor(0xdc, 0x39, 0x12), QColor(0xff, 0x99, 0x00),
    QColor(0x10, 0x96, 0x18), QColor(0x99, 0x00, 0x99), QColor(0x00, 0x99, 0xc6),
    QColor(0xdd, 0x44, 0x77), QColor(0x66, 0xaa, 0x00), QColor(0x8b, 0x07, 0x07),
    QColor(0x31, 0x63, 0x95), QColor(0xe6, 0xc2, 0x00), QColor(0x22, 0xaa, 0x99),
    QColor(0x6a, 0x3d, 0x9a), QColor(0x99, 0x66, 0x33), QColor(0x70, 0x70, 0x70),
    QColor(0xff, 0x66, 0xcc),
};
constexpr int kFixedColours = int(std::size(kPalette));

// How unlike two colours look: the distance of their red, green and blue, weighted as the
// eye weighs them ("redmean").
qreal colourDistance(const QColor &a, const QColor &b)
{
    const qreal mean = (a.red() + b.red()) / 2.0;
    const qreal dr = a.red() - b.red();
    const qreal dg = a.green() - b.green();
    const qreal db = a.blue() - b.blue();
    return std::sqrt((2 + mean / 256) * dr * dr + 4 * dg * dg + (2 + (255 - mean) / 256) * db * db);
}

// The fixed palette followed by colours chosen one at a time from a wheel of hues in four
// shades, each the one farthest from all chosen before it. None is pale, so that a swatch
// stands out on the white legend.
QList<QColor> chosenColours()
{
    QList<QColor> candidates;
    const qreal shades[][2] = {{0.85, 0.90}, {0.60, 0.95}, {0.95, 0.60}, {0.45, 0.75}};
    for (const auto &shade : shades)
        for (int hue = 0; hue < 360; hue += 8)
            candidates << QColor(QColor::fromHsvF(hue / 360.0, shade[0], shade[1]).rgb());
    QList<QColor> chosen(std::begin(kPalette), std::end(kPalette));
    QList<qreal> nearest(candidates.size(), std::numeric_limits<qreal>::max());
    auto note = [&](const QColor &colour) {
        for (int i = 0; i < candidates.size(); ++i)
            nearest[i] = std::min(nearest[i], colourDistance(candidates[i], colour));
    };
    for (const QColor &colour : chosen)
        note(colour);
    for (int round = 0; round < candidates.size(); ++round) {
        const auto farthest = std::max_element(nearest.begin(), nearest.end());
        if (*farthest <= 0)
            break;
        const QColor colour = candidates[int(farthest - nearest.begin())];
        chosen << colour;
        note(colour);
    }
    return chosen;
}

QFont chartFont(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFontMetricsF metricsOf(const QFont &font, const QPaintDevice *device)
{
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

QPointF onRim(const PieChart::Layout &l, qreal degrees, qreal drop = 0)
{
    const qreal r = qDegreesToRadians(degrees);
    return {l.centre.x() + l.rx * std::cos(r), l.centre.y() - l.ry * std::sin(r) + drop};
}

// Angles from `from` to `to` in steps of at most two degrees, both ends included.
QList<qreal> arcSteps(qreal from, qreal to)
{
    const int steps = std::max(2, int(std::ceil(std::abs(to - from) / 2)));
    QList<qreal> out;
    out.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i)
        out << from + (to - from) * i / steps;
    return out;
}

// Whether the segment from a to b comes inside the ellipse around (cx, cy): the smallest
// value of (x-cx)²/ax² + (y-cy)²/ay² along it is below 1.
bool segmentEntersEllipse(QPointF a, QPointF b, qreal cx, qreal cy, qreal ax, qreal ay)
{
    const qreal ux = (a.x() - cx) / ax, uy = (a.y() - cy) / ay;
    const qreal dx = (b.x() - a.x()) / ax, dy = (b.y() - a.y()) / ay;
    const qreal qa = dx * dx + dy * dy;
    const qreal qb = 2 * (ux * dx + uy * dy);
    const qreal qc = ux * ux + uy * uy - 1;
    const qreal s = qa > 0 ? std::clamp(-qb / (2 * qa), 0.0, 1.0) : 0.0;
    return qa * s * s + qb * s + qc < 0;
}

// Whether the segment from a to b comes inside the open rectangle.
bool segmentEntersRect(QPointF a, QPointF b, const QRectF &rect)
{
    qreal t0 = 0;
    qreal t1 = 1;
    const qreal d[2] = {b.x() - a.x(), b.y() - a.y()};
    const qreal lo[2] = {rect.left() - a.x(), rect.top() - a.y()};
    const qreal hi[2] = {rect.right() - a.x(), rect.bottom() - a.y()};
    for (int axis = 0; axis < 2; ++axis) {
        if (std::abs(d[axis]) < 1e-12) {
            if (lo[axis] >= 0 || hi[axis] <= 0)
                return false;
            continue;
        }
        qreal enter = lo[axis] / d[axis];
        qreal leave = hi[axis] / d[axis];
        if (enter > leave)
            std::swap(enter, leave);
        t0 = std::max(t0, enter);
        t1 = std::min(t1, leave);
        if (t0 >= t1)
            return false;
    }
    return true;
}

// A slice's mark before it has its place.
struct Candidate {
    int slice;
    qreal angle; // middle of the slice, degrees
    qint64 value;
    bool left;
    qreal width = 0;
    QPointF anchor;
    QPointF elbow;
    // The box centres, top to bottom, from which a straight line to the elbow keeps clear of
    // the pie.
    qreal clearTop = 0;
    qreal clearBottom = 0;
};

// The arrow of a slice at the back points at the rim; of one at the front, at the wall:
// at its middle, or lower where that leaves the arrow's tail still on the pie.
void placeArrow(const PieChart::Layout &l, Candidate &c)
{
    const qreal r = qDegreesToRadians(c.angle);
    QPointF out(l.rx * std::cos(r), -l.ry * std::sin(r));
    const qreal length = std::hypot(out.x(), out.y());
    out = length > 0 ? out / length : QPointF(0, 1);
    auto elbowAt = [&](qreal drop) { return onRim(l, c.angle, drop) + out * PieChart::kArrowLength; };
    qreal drop = 0;
    if (std::sin(r) < 0) {
        drop = l.depth / 2 * std::clamp(-std::sin(r) * 4, 0.0, 1.0);
        if (l.onPie(elbowAt(drop), kClearance)) {
            qreal low = drop;
            qreal high = l.depth;
            for (int i = 0; i < 24; ++i) {
                const qreal mid = (low + high) / 2;
                (l.onPie(elbowAt(mid), kClearance) ? low : high) = mid;
            }
            drop = high;
        }
    }
    c.anchor = onRim(l, c.angle, drop);
    c.elbow = elbowAt(drop);
}

// The box centres between top and bottom whose line to the elbow, ending on the column's
// edge at x, stays clear of the pie: an interval around the elbow's own height, since a
// level line outwards never meets the pie. Empty (clearTop > clearBottom) when not even that
// is clear.
void findClearRange(const PieChart::Layout &l, Candidate &c, qreal x, qreal top, qreal bottom)
{
    auto clear = [&](qreal y) { return !l.crossesPie(QLineF(QPointF(x, y), c.elbow), kClearance); };
    const qreal level = std::clamp(c.elbow.y(), top, bottom);
    if (!clear(level)) {
        c.clearTop = 1;
        c.clearBottom = 0;
        return;
    }
    auto reach = [&](qreal far) {
        if (clear(far))
            return far;
        qreal good = level;
        qreal bad = far;
        for (int i = 0; i < 24; ++i) {
            const qreal mid = (good + bad) / 2;
            (clear(mid) ? good : bad) = mid;
        }
        return good;
    };
    c.clearTop = reach(top);
    c.clearBottom = reach(bottom);
}

// The centres of the boxes of one column, top to bottom, in the order of their elbows, so
// that no two leaders cross: a box above another stays above that one's elbow where the
// other's elbow lies farther out, and the lower box below the upper's elbow otherwise. Each
// box stays within its clear range and as near its elbow's height as the others let it.
// Marks that cannot be placed so are dropped, those of the smallest slices first.
QList<qreal> placeColumn(QList<Candidate> &marks, qreal pieCentreX, qreal boxHeight, qreal top,
                         qreal bottom, int *dropped)
{
    const qreal step = boxHeight + kMarkSpacing;
    for (;;) {
        const int n = int(marks.size());
        QList<qreal> lo(n);
        QList<qreal> hi(n);
        for (int i = 0; i < n; ++i) {
            lo[i] = std::max(top + boxHeight / 2, marks[i].clearTop);
            hi[i] = std::min(bottom - boxHeight / 2, marks[i].clearBottom);
        }
        for (int a = 0; a < n; ++a) {
            for (int b = a + 1; b < n; ++b) {
                const qreal outA = std::abs(marks[a].elbow.x() - pieCentreX);
                const qreal outB = std::abs(marks[b].elbow.x() - pieCentreX);
                if (outB >= outA)
                    hi[a] = std::min(hi[a], marks[b].elbow.y() - kLeaderGap);
                else
                    lo[b] = std::max(lo[b], marks[a].elbow.y() + kLeaderGap);
            }
        }
        // The highest centres the bounds allow; the first that cannot keep under its upper
        // bound shows which marks do not fit.
        QList<qreal> highest(n);
        int stuck = -1;
        for (int i = 0; i < n && stuck < 0; ++i) {
            highest[i] = i == 0 ? lo[i] : std::max(lo[i], highest[i - 1] + step);
            if (highest[i] > hi[i])
                stuck = i;
        }
        if (stuck < 0) {
            QList<qreal> centres(n);
            for (int i = n - 1; i >= 0; --i) {
                const qreal lowest = i == n - 1 ? hi[i] : std::min(hi[i], centres[i + 1] - step);
                centres[i] = std::clamp(marks[i].elbow.y(), highest[i], lowest);
            }
            return centres;
        }
        int drop = stuck;
        if (lo[stuck] <= hi[stuck]) {
            for (int i = 0; i <= stuck; ++i)
                if (marks[i].value <= marks[drop].value)
                    drop = i;
        }
        marks.removeAt(drop);
        ++*dropped;
    }
}

// The legend's line for a slice within `width`: the count and the share stay whole, a long
// union name gives way at its end.
QString legendLine(const PieChart &chart, int slice, const QFontMetricsF &fm, qreal width)
{
    const QString full = chart.legendText(slice);
    if (fm.horizontalAdvance(full) <= width)
        return full;
    const QString label = chart.slices()[slice].label;
    const QString before = QString::number(chart.slices()[slice].value) + QStringLiteral(" ");
    const QString after = QStringLiteral(" ") + chart.shareText(slice);
    const qreal room = width - fm.horizontalAdvance(before) - fm.horizontalAdvance(after);
    if (label.isEmpty() || room < fm.horizontalAdvance(QStringLiteral("W…")))
        return fm.elidedText(full, Qt::ElideRight, width);
    return before + fm.elidedText(label, Qt::ElideRight, room) + after;
}

// The widest any column may be so that all of them together take at most `budget`: the
// narrow ones keep their width, the wide ones share what is left.
qreal widthCap(QList<qreal> widths, qreal budget)
{
    std::sort(widths.begin(), widths.end());
    qreal used = 0;
    for (int i = 0; i < widths.size(); ++i) {
        const int rest = int(widths.size()) - i;
        if (used + widths[i] * rest > budget)
            return std::max<qreal>(0, (budget - used) / rest);
        used += widths[i];
    }
    return widths.isEmpty() ? 0 : widths.last();
}

// The legend's font and its number of columns: as few columns as the height allows, in the
// font that shows the most lines whole (the largest of those).
struct LegendShape {
    qreal points = kLegendPoints;
    int columns = 1;
    int rows = 1;
};

LegendShape legendShape(const PieChart &chart, const QRectF &plot, qreal maxWidth,
                        const QPaintDevice *device)
{
    const int n = int(chart.slices().size());
    const qreal usable = plot.height() - 2 * kLegendPadding - kShadow;
    LegendShape best;
    best.columns = std::numeric_limits<int>::max();
    int bestWhole = -1;
    for (qreal p = kLegendPoints; p >= kSmallestPoints - 1e-9; p -= 0.5) {
        const QFontMetricsF fm = metricsOf(chartFont(p), device);
        const qreal height = std::max(fm.height(), kSwatch) + 2;
        const int rows = std::max(1, int(usable / height));
        const int columns = (n + rows - 1) / rows;
        if (columns > best.columns)
            continue;
        const qreal perColumn = (maxWidth - 2 * kLegendPadding - kShadow) / columns -
                                kSwatch - kSwatchGap - kLegendColumnGap;
        int whole = 0;
        for (int i = 0; i < n; ++i)
            whole += fm.horizontalAdvance(chart.legendText(i)) + 1 <= perColumn;
        if (columns < best.columns || whole > bestWhole) {
            best = {p, columns, (n + columns - 1) / columns};
            bestWhole = whole;
        }
    }
    return best;
}

void layoutLegend(const PieChart &chart, PieChart::Layout &l, const QRectF &plot,
                  const LegendShape &shape, qreal maxWidth, const QPaintDevice *device)
{
    const int n = int(chart.slices().size());
    l.legendFont = chartFont(shape.points);
    const QFontMetricsF fm = metricsOf(l.legendFont, device);
    const qreal entryHeight = std::max(fm.height(), kSwatch) + 2;
    const int rows = shape.rows;
    const int columns = (n + rows - 1) / rows;
    l.legendColumns = columns;

    QList<qreal> natural(columns, 0);
    for (int i = 0; i < n; ++i)
        natural[i / rows] =
            std::max(natural[i / rows], std::ceil(fm.horizontalAdvance(chart.legendText(i))) + 1);
    const qreal fixed = 2 * kLegendPadding + columns * (kSwatch + kSwatchGap) +
                        (columns - 1) * kLegendColumnGap;
    const qreal cap = widthCap(natural, maxWidth - kShadow - fixed);
    QList<qreal> textWidth(columns);
    for (int c = 0; c < columns; ++c)
        textWidth[c] = std::min(natural[c], std::floor(cap));

    const qreal width = fixed + std::accumulate(textWidth.begin(), textWidth.end(), qreal(0));
    const qreal height = rows * entryHeight + 2 * kLegendPadding;
    l.legendFrame = QRectF(plot.right() - kShadow - width,
                           plot.top() + (plot.height() - kShadow - height) / 2, width, height);
    qreal x = l.legendFrame.left() + kLegendPadding;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows && c * rows + r < n; ++r) {
            const qreal y = l.legendFrame.top() + kLegendPadding + r * entryHeight;
            PieChart::LegendEntry e;
            e.slice = c * rows + r;
            e.swatch = QRectF(x, y + (entryHeight - kSwatch) / 2, kSwatch, kSwatch);
            e.textRect = QRectF(x + kSwatch + kSwatchGap, y, textWidth[c], entryHeight);
            e.text = legendLine(chart, e.slice, fm, textWidth[c]);
            l.legend << e;
        }
        x += kSwatch + kSwatchGap + textWidth[c] + kLegendColumnGap;
    }
}

// How many boxes of this height a column of the given height holds.
int columnCapacity(qreal columnHeight, qreal boxHeight)
{
    return std::max(0, int(std::floor((columnHeight + kMarkSpacing) / (boxHeight + kMarkSpacing))));
}

// The segments of a mark's leader: from the box to the elbow, and the arrow.
std::array<QLineF, 2> leaderOf(const PieChart::Mark &m)
{
    return {QLineF(m.attach, m.elbow), QLineF(m.elbow, m.anchor)};
}

bool leadersCross(const PieChart::Mark &a, const PieChart::Mark &b)
{
    for (const QLineF &s : leaderOf(a))
        for (const QLineF &t : leaderOf(b))
            if (s.intersects(t) == QLineF::BoundedIntersection)
                return true;
    return false;
}

} // namespace

bool PieChart::Layout::onPie(const QPointF &point, qreal clearance) const
{
    if (rx <= 0)
        return false;
    const qreal ax = rx + clearance;
    const qreal ay = ry + clearance;
    const qreal dx = (point.x() - centre.x()) / ax;
    auto within = [&](qreal cy) {
        const qreal dy = (point.y() - cy) / ay;
        return dx * dx + dy * dy < 1;
    };
    const bool onWall = std::abs(dx) < 1 && point.y() >= centre.y() && point.y() <= centre.y() + depth;
    return onWall || within(centre.y()) || within(centre.y() + depth);
}

bool PieChart::Layout::crossesPie(const QLineF &line, qreal clearance) const
{
    if (rx <= 0)
        return false;
    const qreal ax = rx + clearance;
    const qreal ay = ry + clearance;
    const QRectF wall(centre.x() - ax, centre.y(), 2 * ax, depth);
    return segmentEntersEllipse(line.p1(), line.p2(), centre.x(), centre.y(), ax, ay) ||
           segmentEntersEllipse(line.p1(), line.p2(), centre.x(), centre.y() + depth, ax, ay) ||
           segmentEntersRect(line.p1(), line.p2(), wall);
}

void PieChart::clear()
{
    m_slices.clear();
    m_total = 0;
    m_nextColour = 0;
    m_coloursTaken.clear();
}

void PieChart::add(const QString &label, qint64 value)
{
    QColor colour;
    do
        colour = paletteColour(m_nextColour++);
    while (m_coloursTaken.contains(colour.rgb()));
    m_coloursTaken.insert(colour.rgb());
    m_slices.append({label, value, colour});
    m_total += std::max<qint64>(0, value);
}

double PieChart::share(int slice) const
{
    const qint64 all = total();
    return all > 0 ? 100.0 * std::max<qint64>(0, m_slices[slice].value) / all : 0.0;
}

QString PieChart::shareText(int slice) const
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    return QStringLiteral("(%") + turkish.toString(share(slice), 'f', 1) + QStringLiteral(")");
}

QString PieChart::legendText(int slice) const
{
    QStringList parts{QString::number(m_slices[slice].value)};
    if (!m_slices[slice].label.isEmpty())
        parts << m_slices[slice].label;
    parts << shareText(slice);
    return parts.join(QStringLiteral(" "));
}

qreal PieChart::startAngle(int slice) const
{
    qreal before = 0;
    for (int i = 0; i < slice; ++i)
        before += share(i);
    return 90 - 3.6 * before;
}

qreal PieChart::sweepAngle(int slice) const
{
    return -3.6 * share(slice);
}

QColor PieChart::paletteColour(int index)
{
    static const QList<QColor> chosen = chosenColours();
    if (index < chosen.size())
        return chosen[index];
    // Beyond the chosen ones: hues a golden angle apart in turning shades; add() passes over
    // any that a chart has taken already.
    const int k = index - int(chosen.size());
    const qreal shades[][2] = {{0.75, 0.85}, {0.50, 0.90}, {0.90, 0.55}};
    const auto &shade = shades[k % 3];
    return QColor(QColor::fromHsvF(std::fmod(k * 0.618033988749895, 1.0), shade[0], shade[1]).rgb());
}

PieChart::Layout PieChart::layout(const QRectF &bounds, const QPaintDevice *device) const
{
    Layout l;
    l.bounds = bounds;
    l.titleFont = chartFont(12, true);
    l.markFont = chartFont(kMarkPoints);
    l.titleRect = QRectF(bounds.left() + kMargin, bounds.top() + kMargin,
                         bounds.width() - 2 * kMargin, metricsOf(l.titleFont, device).height());
    const qreal plotTop = l.titleRect.bottom() + kTitleGap;
    const QRectF plot(bounds.left() + kMargin, plotTop, bounds.width() - 2 * kMargin,
                      bounds.bottom() - kMargin - plotTop);
    if (total() <= 0 || plot.width() <= 0 || plot.height() <= 0)
        return l;

    // A legend of one column leaves room for the marks; one of several columns (many slices)
    // takes all the width that a pie without marks leaves, and names the slices alone.
    const qreal crowdedWidth = plot.width() - kLegendGap - 2 * (kCrowdedRadius + kArrowLength + kMargin);
    LegendShape shape = legendShape(*this, plot, crowdedWidth, device);
    const bool crowded = shape.columns > 1;
    if (!crowded)
        shape = legendShape(*this, plot, plot.width() * kLegendShareOneColumn, device);
    layoutLegend(*this, l, plot, shape,
                 crowded ? crowdedWidth : plot.width() * kLegendShareOneColumn, device);

    QList<Candidate> pending;
    for (int i = 0; i < m_slices.size(); ++i) {
        if (m_slices[i].value <= 0)
            continue;
        const qreal mid = startAngle(i) + sweepAngle(i) / 2;
        pending << Candidate{i, mid, m_slices[i].value, std::cos(qDegreesToRadians(mid)) < -1e-9};
    }
    if (crowded) {
        l.marksLeftOut = int(pending.size());
        pending.clear();
    }

    // The largest font at which the marks could find a place in their columns.
    qreal boxHeight = 0;
    for (qreal points = kMarkPoints;; points -= 0.5) {
        l.markFont = chartFont(points);
        boxHeight = metricsOf(l.markFont, device).height() + 4;
        if (pending.size() <= 2 * columnCapacity(plot.height(), boxHeight) ||
            points <= kSmallestPoints)
            break;
    }
    const QFontMetricsF fm = metricsOf(l.markFont, device);
    qreal columnWidth[2] = {0, 0}; // right, left
    for (Candidate &m : pending) {
        m.width = std::max(kMinMarkWidth, std::ceil(fm.horizontalAdvance(m_slices[m.slice].label)) +
                                              2 * kMarkPadding);
        columnWidth[m.left] = std::max(columnWidth[m.left], m.width);
    }

    // The pie takes what the columns of marks and the legend leave, within the height.
    const qreal areaRight = l.legend.isEmpty() ? plot.right() : l.legendFrame.left() - kLegendGap;
    const qreal areaWidth = areaRight - plot.left();
    const qreal verticalRoom = 2 * (kArrowLength + kMargin);
    const qreal radiusByHeight =
        std::max<qreal>(0, (plot.height() - verticalRoom) / (2 * kTilt + kThickness * kTilt));
    auto side = [&](int left) {
        return columnWidth[left] > 0 ? columnWidth[left] + kColumnGap : kArrowLength + kMargin;
    };
    qreal rx = (areaWidth - side(0) - side(1)) / 2;
    const qreal wantedRadius =
        std::min(std::max(kMinRadius, areaWidth * kRadiusShare), radiusByHeight);
    if (rx < wantedRadius) {
        // Long labels: shorten them so that the pie keeps a readable size; when that leaves
        // too little of a name to help, the legend alone names the slices.
        const qreal forColumns = std::max<qreal>(0, areaWidth - 2 * wantedRadius - 2 * kColumnGap);
        QList<qreal> used;
        for (qreal w : columnWidth)
            if (w > 0)
                used << w;
        const qreal limit = widthCap(used, forColumns);
        if (limit < kUsefulMarkWidth) {
            l.marksLeftOut = int(pending.size());
            pending.clear();
            columnWidth[0] = columnWidth[1] = 0;
        } else {
            for (qreal &w : columnWidth)
                w = std::min(w, limit);
            for (Candidate &m : pending)
                m.width = std::min(m.width, limit);
        }
        rx = (areaWidth - side(0) - side(1)) / 2;
    }
    l.rx = std::max<qreal>(0, std::min(rx, radiusByHeight));
    l.ry = l.rx * kTilt;
    l.depth = l.rx * kThickness * kTilt;
    const qreal blockWidth = side(1) + 2 * l.rx + side(0);
    const qreal cx = plot.left() + (areaWidth - blockWidth) / 2 + side(1) + l.rx;
    const qreal cy = plot.top() + (plot.height() - (2 * l.ry + l.depth)) / 2 + l.ry;
    l.centre = QPointF(cx, cy);

    // Each column in turn; a column whose leaders still meet after placing loses the mark of
    // the smaller slice of the two and is placed again.
    QList<Candidate> columns[2];
    for (Candidate &m : pending) {
        placeArrow(l, m);
        const qreal edge = m.left ? cx - l.rx - kColumnGap : cx + l.rx + kColumnGap;
        findClearRange(l, m, edge, plot.top(), plot.bottom());
        columns[m.left] << m;
    }
    QList<Mark> placed[2];
    for (int column : {1, 0}) {
        QList<Candidate> &marks = columns[column];
        std::stable_sort(marks.begin(), marks.end(), [](const Candidate &a, const Candidate &b) {
            return a.elbow.y() < b.elbow.y();
        });
        for (;;) {
            const QList<qreal> centres =
                placeColumn(marks, cx, boxHeight, plot.top(), plot.bottom(), &l.marksLeftOut);
            placed[column].clear();
            for (int i = 0; i < marks.size(); ++i) {
                const Candidate &c = marks[i];
                Mark mark;
                mark.slice = c.slice;
                mark.left = c.left;
                mark.anchor = c.anchor;
                mark.elbow = c.elbow;
                mark.text = fm.elidedText(m_slices[c.slice].label, Qt::ElideRight,
                                          c.width - 2 * kMarkPadding);
                const qreal x = c.left ? cx - l.rx - kColumnGap - c.width : cx + l.rx + kColumnGap;
                mark.box = QRectF(x, centres[i] - boxHeight / 2, c.width, boxHeight);
                mark.attach = QPointF(c.left ? mark.box.right() : mark.box.left(), centres[i]);
                placed[column] << mark;
            }
            int loser = -1;
            for (int a = 0; a < marks.size() && loser < 0; ++a) {
                for (int b = a + 1; b < marks.size() && loser < 0; ++b) {
                    if (leadersCross(placed[column][a], placed[column][b]))
                        loser = marks[a].value < marks[b].value ? a : b;
                }
                if (loser < 0 && l.crossesPie(leaderOf(placed[column][a])[0], 0))
                    loser = a;
            }
            if (loser < 0)
                break;
            marks.removeAt(loser);
            ++l.marksLeftOut;
        }
    }
    l.marks = placed[1] + placed[0];
    return l;
}

void PieChart::paint(QPainter *painter, const QRectF &bounds) const
{
    const Layout l = layout(bounds, painter->device());
    painter->save();
    painter->setClipRect(bounds);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillRect(bounds, Qt::white);

    painter->setFont(l.titleFont);
    painter->setPen(Qt::blue);
    painter->drawText(l.titleRect, Qt::AlignHCenter | Qt::AlignVCenter, m_title);

    if (l.rx > 0) {
        const QPen edge(QColor(0, 0, 0, 110), 0.8);
        // The wall: only its front half shows, which on the slices' angles (90 down to -270)
        // is the part between -180 and 0 degrees. The pieces do not overlap one another.
        for (int i = 0; i < m_slices.size(); ++i) {
            const qreal hi = std::min<qreal>(startAngle(i), 0);
            const qreal lo = std::max<qreal>(startAngle(i) + sweepAngle(i), -180);
            if (hi - lo <= 0)
                continue;
            QPolygonF wall;
            const QList<qreal> steps = arcSteps(hi, lo);
            for (qreal a : steps)
                wall << onRim(l, a);
            for (auto it = steps.rbegin(); it != steps.rend(); ++it)
                wall << onRim(l, *it, l.depth);
            const QColor c = m_slices[i].colour;
            QLinearGradient light(l.centre.x() - l.rx, 0, l.centre.x() + l.rx, 0);
            light.setColorAt(0, c.darker(150));
            light.setColorAt(0.35, c.darker(110));
            light.setColorAt(1, c.darker(190));
            painter->setPen(edge);
            painter->setBrush(light);
            painter->drawPolygon(wall);
        }
        for (int i = 0; i < m_slices.size(); ++i) {
            const qreal sweep = sweepAngle(i);
            if (sweep >= 0)
                continue;
            QPainterPath top;
            if (sweep <= -359.999) {
                top.addEllipse(l.centre, l.rx, l.ry);
            } else {
                top.moveTo(l.centre);
                for (qreal a : arcSteps(startAngle(i), startAngle(i) + sweep))
                    top.lineTo(onRim(l, a));
                top.closeSubpath();
            }
            painter->setPen(edge);
            painter->setBrush(m_slices[i].colour);
            painter->drawPath(top);
        }
    }

    painter->setFont(l.markFont);
    const QColor ink(64, 64, 64);
    for (const Mark &m : l.marks) {
        painter->setPen(QPen(ink, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawPolyline(QPolygonF{m.attach, m.elbow, m.anchor});
        QPointF along = m.anchor - m.elbow;
        along /= std::max<qreal>(1e-6, std::hypot(along.x(), along.y()));
        const QPointF across(-along.y(), along.x());
        painter->setBrush(ink);
        painter->drawPolygon(QPolygonF{m.anchor, m.anchor - along * 4 + across * 2.5,
                                       m.anchor - along * 4 - across * 2.5});
        painter->setPen(QPen(QColor(128, 128, 128), 1));
        painter->setBrush(QColor(255, 255, 225));
        painter->drawRect(m.box.adjusted(0.5, 0.5, -0.5, -0.5));
        painter->setPen(Qt::black);
        painter->drawText(m.box, Qt::AlignCenter, m.text);
    }

    if (!l.legend.isEmpty()) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0, 0, 0, 70));
        painter->drawRect(l.legendFrame.translated(kShadow, kShadow));
        painter->setPen(QPen(QColor(128, 128, 128), 1));
        painter->setBrush(Qt::white);
        painter->drawRect(l.legendFrame.adjusted(0.5, 0.5, -0.5, -0.5));
        painter->setFont(l.legendFont);
        for (const LegendEntry &e : l.legend) {
            painter->setPen(QPen(m_slices[e.slice].colour.darker(160), 1));
            painter->setBrush(m_slices[e.slice].colour);
            painter->drawRect(e.swatch.adjusted(0.5, 0.5, -0.5, -0.5));
            painter->setPen(Qt::black);
            painter->drawText(e.textRect, Qt::AlignLeft | Qt::AlignVCenter, e.text);
        }
    }
    painter->restore();
}
