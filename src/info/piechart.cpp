#include "piechart.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <algorithm>
#include <cmath>

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
constexpr qreal kMinRadius = 40;
constexpr qreal kRadiusShare = 0.17; // of the width left of the legend, kept for the pie
constexpr qreal kLegendShare = 0.28; // of the chart's width, at most, for the legend's texts
constexpr qreal kMarkPoints = 8;
constexpr qreal kLegendPoints = 8;
constexpr qreal kSmallestPoints = 6;
constexpr qreal kLegendPadding = 6;
constexpr qreal kSwatch = 10;
constexpr qreal kShadow = 2;
constexpr qreal kLegendGap = 10; // between the marks' area and the legend

const QColor kPalette[] = {
    QColor(0x33, 0x66, 0xcc), QColor(0xdc, 0x39, 0x12), QColor(0xff, 0x99, 0x00),
    QColor(0x10, 0x96, 0x18), QColor(0x99, 0x00, 0x99), QColor(0x00, 0x99, 0xc6),
    QColor(0xdd, 0x44, 0x77), QColor(0x66, 0xaa, 0x00), QColor(0x8b, 0x07, 0x07),
    QColor(0x31, 0x63, 0x95), QColor(0xe6, 0xc2, 0x00), QColor(0x22, 0xaa, 0x99),
    QColor(0x6a, 0x3d, 0x9a), QColor(0x99, 0x66, 0x33), QColor(0x70, 0x70, 0x70),
    QColor(0xff, 0x66, 0xcc),
};

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

// Places boxes, in the order given, as near their wanted centres as they can be without
// overlapping and within [top, bottom]: crowded boxes gather into a block centred on their
// wishes. Returns each box's top.
QList<qreal> spread(const QList<qreal> &wantedCentres, const QList<qreal> &heights, qreal top,
                    qreal bottom, qreal gap)
{
    struct Block {
        int first;
        int count;
        qreal top;
        qreal height;
        qreal wishSum; // sum over the members of the block top that each would like
    };
    auto settle = [&](Block &b) {
        b.top = std::clamp(b.wishSum / b.count, top, std::max(top, bottom - b.height));
    };
    QList<Block> blocks;
    for (int i = 0; i < wantedCentres.size(); ++i) {
        const qreal wish = wantedCentres[i] - heights[i] / 2;
        Block b{i, 1, wish, heights[i], wish};
        settle(b);
        blocks << b;
        while (blocks.size() > 1) {
            Block &prev = blocks[blocks.size() - 2];
            const Block last = blocks.last();
            if (prev.top + prev.height + gap <= last.top)
                break;
            const qreal shift = prev.height + gap;
            prev.wishSum += last.wishSum - last.count * shift;
            prev.count += last.count;
            prev.height += gap + last.height;
            settle(prev);
            blocks.removeLast();
        }
    }
    QList<qreal> tops(wantedCentres.size());
    for (const Block &b : blocks) {
        qreal y = b.top;
        for (int i = b.first; i < b.first + b.count; ++i) {
            tops[i] = y;
            y += heights[i] + gap;
        }
    }
    return tops;
}

struct PendingMark {
    int slice;
    qreal angle; // middle of the slice, degrees
    qint64 value;
    bool left;
    qreal width = 0;
};

// How many boxes of this height a column of the given height holds.
int columnCapacity(qreal columnHeight, qreal boxHeight)
{
    return std::max(0, int(std::floor((columnHeight + kMarkSpacing) / (boxHeight + kMarkSpacing))));
}

// The marks go to the side of the pie their slice faces. A side that holds too many sends
// the marks nearest the top or bottom of the pie (whose leaders are shortest across) to the
// other; when both sides are full, the marks of the smallest slices are left out.
QList<PendingMark> chooseSides(QList<PendingMark> marks, int capacity, int *leftOut)
{
    *leftOut = 0;
    if (marks.size() > 2 * capacity) {
        std::stable_sort(
            marks.begin(), marks.end(),
            [](const PendingMark &a, const PendingMark &b) { return a.value > b.value; });
        *leftOut = int(marks.size()) - 2 * capacity;
        marks.resize(2 * capacity);
        std::stable_sort(
            marks.begin(), marks.end(),
            [](const PendingMark &a, const PendingMark &b) { return a.slice < b.slice; });
    }
    auto countSide = [&](bool left) {
        return int(std::count_if(marks.begin(), marks.end(),
                                 [left](const PendingMark &m) { return m.left == left; }));
    };
    for (bool crowded : {true, false}) {
        while (countSide(crowded) > capacity) {
            auto nearestMiddle = marks.end();
            for (auto it = marks.begin(); it != marks.end(); ++it) {
                if (it->left != crowded)
                    continue;
                const qreal c = std::abs(std::cos(qDegreesToRadians(it->angle)));
                if (nearestMiddle == marks.end() ||
                    c < std::abs(std::cos(qDegreesToRadians(nearestMiddle->angle))))
                    nearestMiddle = it;
            }
            nearestMiddle->left = !crowded;
        }
    }
    return marks;
}

void layoutLegend(const PieChart &chart, PieChart::Layout &l, const QRectF &plot,
                  const QPaintDevice *device)
{
    const int n = int(chart.slices().size());
    qreal points = kLegendPoints;
    qreal entryHeight = 0;
    for (;; points -= 0.5) {
        l.legendFont = chartFont(points);
        entryHeight = std::max(metricsOf(l.legendFont, device).height(), kSwatch) + 2;
        if (n * entryHeight + 2 * kLegendPadding + kShadow <= plot.height() ||
            points <= kSmallestPoints)
            break;
    }
    const QFontMetricsF fm = metricsOf(l.legendFont, device);
    const int room = std::max(1, int((plot.height() - 2 * kLegendPadding - kShadow) / entryHeight));
    const int shown = n <= room ? n : room - 1;
    qreal textWidth = 0;
    for (int i = 0; i < shown; ++i)
        textWidth = std::max(textWidth, fm.horizontalAdvance(chart.legendText(i)));
    textWidth = std::min(std::ceil(textWidth) + 1, plot.width() * kLegendShare);

    QStringList texts;
    QList<int> slices;
    for (int i = 0; i < shown; ++i) {
        QString text = chart.legendText(i);
        if (fm.horizontalAdvance(text) > textWidth) {
            // A long union name gives way; the count and the share stay whole.
            const QString label = chart.slices()[i].label;
            const QString before = QString::number(chart.slices()[i].value) + QLatin1Char(' ');
            const QString after = text.mid(before.size() + label.size());
            const qreal room =
                textWidth - fm.horizontalAdvance(before) - fm.horizontalAdvance(after);
            text = before + fm.elidedText(label, Qt::ElideMiddle, std::max<qreal>(0, room)) + after;
        }
        texts << text;
        slices << i;
    }
    if (shown < n) {
        texts << QStringLiteral("ve %1 dilim daha").arg(n - shown);
        slices << -1;
    }

    const qreal width = kLegendPadding + kSwatch + 5 + textWidth + kLegendPadding;
    const qreal height = texts.size() * entryHeight + 2 * kLegendPadding;
    l.legendFrame = QRectF(plot.right() - kShadow - width,
                           plot.top() + (plot.height() - kShadow - height) / 2, width, height);
    qreal y = l.legendFrame.top() + kLegendPadding;
    for (int i = 0; i < texts.size(); ++i) {
        PieChart::LegendEntry e;
        e.slice = slices[i];
        e.swatch = QRectF(l.legendFrame.left() + kLegendPadding, y + (entryHeight - kSwatch) / 2,
                          kSwatch, kSwatch);
        e.textRect = QRectF(e.swatch.right() + 5, y, textWidth, entryHeight);
        e.text = fm.elidedText(texts[i], Qt::ElideRight, textWidth);
        l.legend << e;
        y += entryHeight;
    }
}

} // namespace

void PieChart::add(const QString &label, qint64 value)
{
    m_slices.append({label, value, paletteColour(int(m_slices.size()))});
    m_total += std::max<qint64>(0, value);
}

double PieChart::share(int slice) const
{
    const qint64 all = total();
    return all > 0 ? 100.0 * std::max<qint64>(0, m_slices[slice].value) / all : 0.0;
}

QString PieChart::legendText(int slice) const
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QStringList parts{QString::number(m_slices[slice].value)};
    if (!m_slices[slice].label.isEmpty())
        parts << m_slices[slice].label;
    parts << QStringLiteral("(%") + turkish.toString(share(slice), 'f', 1) + QLatin1Char(')');
    return parts.join(QLatin1Char(' '));
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
    return kPalette[index % int(std::size(kPalette))];
}

PieChart::Layout PieChart::layout(const QRectF &bounds, const QPaintDevice *device) const
{
    Layout l;
    l.bounds = bounds;
    l.titleFont = chartFont(12, true);
    l.titleRect = QRectF(bounds.left() + kMargin, bounds.top() + kMargin,
                         bounds.width() - 2 * kMargin, metricsOf(l.titleFont, device).height());
    const qreal plotTop = l.titleRect.bottom() + kTitleGap;
    const QRectF plot(bounds.left() + kMargin, plotTop, bounds.width() - 2 * kMargin,
                      bounds.bottom() - kMargin - plotTop);
    if (total() <= 0 || plot.width() <= 0 || plot.height() <= 0)
        return l;

    layoutLegend(*this, l, plot, device);

    QList<PendingMark> pending;
    for (int i = 0; i < m_slices.size(); ++i) {
        if (m_slices[i].value <= 0)
            continue;
        const qreal mid = startAngle(i) + sweepAngle(i) / 2;
        pending << PendingMark{i, mid, m_slices[i].value, std::cos(qDegreesToRadians(mid)) < -1e-9};
    }

    // The largest font at which every mark finds a place in its column.
    qreal points = kMarkPoints;
    qreal boxHeight = 0;
    for (;; points -= 0.5) {
        l.markFont = chartFont(points);
        boxHeight = metricsOf(l.markFont, device).height() + 4;
        if (pending.size() <= 2 * columnCapacity(plot.height(), boxHeight) ||
            points <= kSmallestPoints)
            break;
    }
    pending = chooseSides(pending, columnCapacity(plot.height(), boxHeight), &l.marksLeftOut);

    const QFontMetricsF fm = metricsOf(l.markFont, device);
    qreal columnWidth[2] = {0, 0}; // right, left
    for (PendingMark &m : pending) {
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
        // Long labels: shorten them so that the pie keeps a readable size.
        const qreal forColumns = std::max<qreal>(0, areaWidth - 2 * wantedRadius - 2 * kColumnGap);
        const int columns = (columnWidth[0] > 0) + (columnWidth[1] > 0);
        const qreal limit = std::max(kMinMarkWidth, forColumns / std::max(1, columns));
        for (qreal &w : columnWidth)
            w = std::min(w, limit);
        for (PendingMark &m : pending)
            m.width = std::min(m.width, limit);
        rx = (areaWidth - side(0) - side(1)) / 2;
    }
    l.rx = std::max<qreal>(0, std::min(rx, radiusByHeight));
    l.ry = l.rx * kTilt;
    l.depth = l.rx * kThickness * kTilt;
    const qreal blockWidth = side(1) + 2 * l.rx + side(0);
    const qreal cx = plot.left() + (areaWidth - blockWidth) / 2 + side(1) + l.rx;
    const qreal cy = plot.top() + (plot.height() - (2 * l.ry + l.depth)) / 2 + l.ry;
    l.centre = QPointF(cx, cy);

    for (int column : {1, 0}) {
        QList<Mark> marks;
        QList<qreal> wanted;
        QList<qreal> heights;
        for (const PendingMark &m : pending) {
            if (m.left != bool(column))
                continue;
            const qreal r = qDegreesToRadians(m.angle);
            // On the front half the arrow points at the middle of the wall.
            const qreal drop = l.depth / 2 * std::clamp(-std::sin(r) * 4, 0.0, 1.0);
            Mark mark;
            mark.slice = m.slice;
            mark.left = m.left;
            mark.anchor = onRim(l, m.angle, drop);
            QPointF out(l.rx * std::cos(r), -l.ry * std::sin(r));
            const qreal length = std::hypot(out.x(), out.y());
            out = length > 0 ? out / length : QPointF(0, 1);
            mark.elbow = mark.anchor + out * kArrowLength;
            mark.text =
                fm.elidedText(m_slices[m.slice].label, Qt::ElideMiddle, m.width - 2 * kMarkPadding);
            const qreal x = m.left ? cx - l.rx - kColumnGap - m.width : cx + l.rx + kColumnGap;
            mark.box = QRectF(x, 0, m.width, boxHeight);
            marks << mark;
        }
        std::stable_sort(marks.begin(), marks.end(),
                         [](const Mark &a, const Mark &b) { return a.elbow.y() < b.elbow.y(); });
        for (const Mark &m : marks) {
            wanted << m.elbow.y();
            heights << m.box.height();
        }
        const QList<qreal> tops = spread(wanted, heights, plot.top(), plot.bottom(), kMarkSpacing);
        for (int i = 0; i < marks.size(); ++i) {
            marks[i].box.moveTop(tops[i]);
            l.marks << marks[i];
        }
    }
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
        const QPointF attach(m.left ? m.box.right() : m.box.left(), m.box.center().y());
        painter->setPen(QPen(ink, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawPolyline(QPolygonF{attach, m.elbow, m.anchor});
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
            if (e.slice >= 0) {
                painter->setPen(QPen(m_slices[e.slice].colour.darker(160), 1));
                painter->setBrush(m_slices[e.slice].colour);
                painter->drawRect(e.swatch.adjusted(0.5, 0.5, -0.5, -0.5));
            }
            painter->setPen(Qt::black);
            painter->drawText(e.textRect, Qt::AlignLeft | Qt::AlignVCenter, e.text);
        }
    }
    painter->restore();
}
