#pragma once

#include "reports/engine/reporttemplate.h"

// Short ways to write the templates' objects, so that each template reads like its table of
// rows and cells: positions as from–to in millimetres, then the top and the height.
namespace templates
{

using report::ReportObject;

// The report data sources, by the names the templates use.
inline const QString kPersonel = QStringLiteral("frxDBPersonel"); // QueryPersonel
inline const QString kUyeler = QStringLiteral("frxDBUyeler");     // Query_Uye
inline const QString kKurumlar = QStringLiteral("frxDBKurumlar"); // QueryOkul
inline const QString kSabit = QStringLiteral("frxDBSabit");       // QuerySabit

// Arial at a size, the family every report uses unless it says otherwise.
report::FontSpec arial(double size, bool bold = false);
report::FontSpec courierNew(double size, bool bold = false);

// A text box from x0 to x1, its top at y, h high, with settings added one after the other:
//   Text(0, 160, 3, 6, "BİRİMLER LİSTESİ").font(arial(11, true)).centred()
class Text
{
public:
    Text(double x0, double x1, double y, double h, const QString &text = QString());

    Text &font(const report::FontSpec &font);
    Text &named(const QString &name);
    Text &framed(quint8 sides = report::AllSides);
    Text &centred();
    Text &right();
    Text &middle(); // vertically centred
    Text &bottom();
    Text &wrapped();
    Text &indent(double mm);
    Text &spacing(double mm);
    Text &padding(double left, double top, double right, double bottom);
    Text &fill(const QColor &colour);
    Text &oddRowFill(const QColor &colour);

    operator ReportObject() const { return m_object; }

private:
    ReportObject m_object;
};

ReportObject line(double x0, double x1, double y, bool dotted = false);
ReportObject rectangle(double x0, double x1, double y, double h);
ReportObject picture(double x0, double x1, double y, double h, const QString &name,
                     bool previewOnly);

report::Band band(report::BandKind kind, double height, std::vector<ReportObject> objects,
                  const QString &dataSource = QString());

// An expression that reads a column of a report data source: [source."column"].
QString field(const QString &source, const QString &column);

} // namespace templates
