#include "piechartview.h"

#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QToolTip>

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

QString PieChartView::fullTextAt(const QPoint &point) const
{
    const PieChart::Layout l = m_chart.layout(QRectF(rect()), this);
    for (const PieChart::LegendEntry &e : l.legend)
        if (e.swatch.united(e.textRect).contains(point))
            return m_chart.legendText(e.slice);
    for (const PieChart::Mark &m : l.marks)
        if (m.box.contains(point))
            return m_chart.legendText(m.slice);
    return QString();
}

bool PieChartView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = fullTextAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}
