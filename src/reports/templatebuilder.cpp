#include "templatebuilder.h"

namespace templates
{

using namespace report;

FontSpec arial(double size, bool bold)
{
    return FontSpec{QStringLiteral("Arial"), size, bold};
}

FontSpec courierNew(double size, bool bold)
{
    return FontSpec{QStringLiteral("Courier New"), size, bold};
}

Text::Text(double x0, double x1, double y, double h, const QString &text)
{
    m_object.kind = ObjectKind::Text;
    m_object.rect = QRectF(x0, y, x1 - x0, h);
    m_object.text = text;
}

Text &Text::font(const FontSpec &font)
{
    m_object.font = font;
    return *this;
}

Text &Text::named(const QString &name)
{
    m_object.name = name;
    return *this;
}

Text &Text::framed(quint8 sides)
{
    m_object.frame = sides;
    return *this;
}

Text &Text::centred()
{
    m_object.hAlign = HAlign::Center;
    return *this;
}

Text &Text::right()
{
    m_object.hAlign = HAlign::Right;
    return *this;
}

Text &Text::middle()
{
    m_object.vAlign = VAlign::Center;
    return *this;
}

Text &Text::bottom()
{
    m_object.vAlign = VAlign::Bottom;
    return *this;
}

Text &Text::wrapped()
{
    m_object.wordWrap = true;
    return *this;
}

Text &Text::indent(double mm)
{
    m_object.indent = mm;
    return *this;
}

Text &Text::spacing(double mm)
{
    m_object.spacing = mm;
    return *this;
}

Text &Text::padding(double left, double top, double right, double bottom)
{
    m_object.padding = QMarginsF(left, top, right, bottom);
    return *this;
}

Text &Text::fill(const QColor &colour)
{
    m_object.fill = colour;
    return *this;
}

Text &Text::oddRowFill(const QColor &colour)
{
    m_object.oddRowFill = colour;
    return *this;
}

ReportObject line(double x0, double x1, double y, bool dotted)
{
    ReportObject object;
    object.kind = ObjectKind::Line;
    object.rect = QRectF(x0, y, x1 - x0, 0);
    object.dotted = dotted;
    return object;
}

ReportObject rectangle(double x0, double x1, double y, double h)
{
    ReportObject object;
    object.kind = ObjectKind::Rectangle;
    object.rect = QRectF(x0, y, x1 - x0, h);
    return object;
}

ReportObject picture(double x0, double x1, double y, double h, const QString &name,
                     bool previewOnly)
{
    ReportObject object;
    object.kind = ObjectKind::Picture;
    object.rect = QRectF(x0, y, x1 - x0, h);
    object.name = name;
    object.previewOnly = previewOnly;
    return object;
}

Band band(BandKind kind, double height, std::vector<ReportObject> objects,
          const QString &dataSource)
{
    Band b;
    b.kind = kind;
    b.height = height;
    b.objects = std::move(objects);
    b.dataSource = dataSource;
    return b;
}

QString field(const QString &source, const QString &column)
{
    return QStringLiteral("[%1.\"%2\"]").arg(source, column);
}

} // namespace templates
