#include "reporttemplate.h"

namespace report
{

QSizeF ReportPage::size() const
{
    const QSizeF portrait = QPageSize(paper).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

QRectF ReportPage::printableArea() const
{
    return QRectF(QPointF(0, 0), size()).marginsRemoved(margins);
}

const ReportObject *ReportTemplate::find(const QString &name) const
{
    for (const ReportPage &page : pages) {
        for (const ReportObject &object : page.freeObjects)
            if (object.name == name)
                return &object;
        for (const Band &band : page.bands)
            for (const ReportObject &object : band.objects)
                if (object.name == name)
                    return &object;
    }
    return nullptr;
}

ReportObject *ReportTemplate::find(const QString &name)
{
    return const_cast<ReportObject *>(std::as_const(*this).find(name));
}

bool ReportTemplate::setText(const QString &name, const QString &text)
{
    ReportObject *object = find(name);
    if (!object || object->kind != ObjectKind::Text)
        return false;
    object->text = text;
    return true;
}

bool ReportTemplate::setPicture(const QString &name, const QImage &image)
{
    ReportObject *object = find(name);
    if (!object || object->kind != ObjectKind::Picture)
        return false;
    object->image = image;
    return true;
}

} // namespace report
