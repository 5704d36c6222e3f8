#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QString>

class QPaintDevice;
class QPainter;

// A three-dimensional pie chart with a title, a mark on a callout for each slice and a legend
// at the right. The pie is tilted towards the viewer without perspective, so its top is an
// ellipse and the front of its side wall shows. It knows nothing of widgets: it lays itself
// out in any rectangle and paints on any painter (a window, an image, a printer).
class PieChart
{
public:
    struct Slice {
        QString label;
        qint64 value = 0;
        QColor colour;
    };

    // A slice's mark: its label in a box, joined to the slice by a leader. The leader runs
    // from the box's side (attach) to the elbow and on to the anchor; its last 8 px, from the
    // elbow, are the arrow that points at the slice. Leaders never cross one another, and
    // only the arrow touches the pie.
    struct Mark {
        int slice = -1;
        QString text; // as painted: the label, cut at its end when the box is too narrow
        QRectF box;
        QPointF anchor; // on the slice's edge, where the arrow points
        QPointF elbow;  // 8 px out from the anchor, where the arrow starts
        QPointF attach; // on the box's side facing the pie
        bool left = false;
    };

    struct LegendEntry {
        int slice = -1;
        QString text; // "count label (%share)", the label cut at its end when too long
        QRectF swatch;
        QRectF textRect;
    };

    struct Layout {
        QRectF bounds;
        QRectF titleRect;
        QFont titleFont;
        QFont markFont;
        QFont legendFont;
        // The pie: the top ellipse around centre with radii rx and ry; the wall is depth high.
        QPointF centre;
        qreal rx = 0;
        qreal ry = 0;
        qreal depth = 0;
        QRectF pieRect() const
        {
            return {centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry + depth};
        }
        // Whether a point lies on the pie as drawn (top, wall or the rim the wall stands on),
        // or nearer to it than `clearance`.
        bool onPie(const QPointF &point, qreal clearance = 0) const;
        // Whether any point of the line lies on the pie, or nearer to it than `clearance`.
        bool crossesPie(const QLineF &line, qreal clearance = 0) const;
        QList<Mark> marks;
        // Every slice has an entry, in the order of the slices, in as many columns as the
        // height needs: the legend is what names the slices that have no room for a mark.
        QRectF legendFrame;
        QList<LegendEntry> legend;
        int legendColumns = 0;
        int marksLeftOut = 0; // slices whose mark found no place where its leader stays clear
    };

    static constexpr int kArrowLength = 8;

    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }

    void clear();
    // Adds a slice, coloured from the palette in the order the slices are added; no two
    // slices of a chart share a colour.
    void add(const QString &label, qint64 value);
    const QList<Slice> &slices() const { return m_slices; }
    qint64 total() const { return m_total; }
    // The slice's share of the whole, in percent.
    double share(int slice) const;
    // "(%share)", with the Turkish decimal comma.
    QString shareText(int slice) const;
    // "count label (%share)", as the legend shows it.
    QString legendText(int slice) const;

    // Degrees counter-clockwise from three o'clock on the untilted pie; the slices run
    // clockwise from twelve o'clock, so the sweep is negative.
    qreal startAngle(int slice) const;
    qreal sweepAngle(int slice) const;

    // A fixed palette of colours that tell each other apart, then further hues, each as far
    // as it can be from those before it.
    static QColor paletteColour(int index);

    // Where everything goes within bounds, measured with the fonts of device (the screen when
    // null).
    Layout layout(const QRectF &bounds, const QPaintDevice *device = nullptr) const;
    void paint(QPainter *painter, const QRectF &bounds) const;

private:
    QString m_title;
    QList<Slice> m_slices;
    // The sum of the positive values, kept as slices are added: every share, angle and
    // legend text is measured against it, many times over in each paint.
    qint64 m_total = 0;
    // The next palette entry to try, and the colours taken: an entry equal to one taken
    // already is passed over.
    int m_nextColour = 0;
    QSet<QRgb> m_coloursTaken;
};
