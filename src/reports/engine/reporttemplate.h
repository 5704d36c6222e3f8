#pragma once

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <vector>

// The band engine's template model. All lengths are millimetres; font sizes are points.
namespace report
{

enum class ObjectKind : quint8 { Text, Line, Rectangle, Picture };

// Sides of a text box's frame.
enum Side : quint8 {
    NoSides = 0,
    LeftSide = 1,
    TopSide = 2,
    RightSide = 4,
    BottomSide = 8,
    AllSides = 15
};

enum class HAlign : quint8 { Left, Center, Right };
enum class VAlign : quint8 { Top, Center, Bottom };

struct FontSpec {
    QString family = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool operator==(const FontSpec &) const = default;
};

// A text box, line, rectangle or picture. Its rectangle is relative to the top-left corner of
// its band or, for a free object, of the page's printable area. A line runs from the
// rectangle's top-left to its bottom-right corner (a horizontal line has no height).
struct ReportObject {
    ObjectKind kind = ObjectKind::Text;
    QString name;
    QRectF rect;
    bool previewOnly = false; // shown on screen, never printed

    // Text box. The text may hold expressions in square brackets: [source."column"], [DATE],
    // [LINE#], [PAGE#], [TOTALPAGES#]. A line break starts a new paragraph.
    QString text;
    quint8 frame = NoSides;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    FontSpec font;
    QColor fill;       // none when invalid
    QColor oddRowFill; // fill on master rows whose running number is odd, when valid
    bool wordWrap = false;
    double indent = 0;  // first line of every paragraph, left-aligned text only
    double spacing = 0; // extra space after every character
    QMarginsF padding{0.5, 0.25, 0.5, 0.25};

    // Line.
    bool dotted = false;

    // Picture: scaled to fit and centred.
    QImage image;
};

enum class BandKind : quint8 {
    ReportTitle, // once, at the top of the first page
    MasterData,  // once for every row of its data source
    Footer,      // once, after the last master row
    PageFooter,  // at the foot of every page
    Summary,     // once, at the end
    Child,       // directly after the band that names it
};

struct Band {
    BandKind kind = BandKind::ReportTitle;
    double height = 0;
    QString dataSource; // master data: the source it walks
    int child = -1;     // index in the page's bands of the child printed after this band
    std::vector<ReportObject> objects;
};

struct ReportPage {
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};
    std::vector<Band> bands;
    std::vector<ReportObject> freeObjects; // on every page, relative to the printable area

    QSizeF size() const; // as the paper lies
    QRectF printableArea() const;
};

class ReportTemplate
{
public:
    ReportTemplate() = default;
    ReportTemplate(QString name, QString title) : m_name(std::move(name)), m_title(std::move(title))
    {
    }

    QString name() const { return m_name; }
    // What the report prints as its title; also the name offered for a saved copy.
    QString title() const { return m_title; }

    std::vector<ReportPage> pages;

    // The object of that name on any page, or null.
    ReportObject *find(const QString &name);
    const ReportObject *find(const QString &name) const;
    // Replaces the whole text of a named text box (an empty text clears it). The value stays
    // until it is replaced again. False when there is no such box.
    bool setText(const QString &name, const QString &text);
    // Replaces a named picture's image; a null image clears it.
    bool setPicture(const QString &name, const QImage &image);

private:
    QString m_name;
    QString m_title;
};

} // namespace report
