#include "piechartview.h"

#include <QImage>
#include <QPainter>

PieChartView::PieChartView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage PieChartView::render(qreal scale) const
{
    QImage image(size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    m_chart.paint(&painter, QRectF(QPointF(0, 0), QSizeF(size())));
    return image;
}

void PieChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_chart.paint(&painter, rect());
}
