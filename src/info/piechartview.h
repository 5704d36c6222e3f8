#pragma once

#include "piechart.h"

#include <QWidget>

class QImage;

// Shows a pie chart in a window, and renders it to an image of any scale.
class PieChartView : public QWidget
{
    Q_OBJECT
public:
    explicit PieChartView(QWidget *parent = nullptr);

    PieChart &chart() { return m_chart; }
    const PieChart &chart() const { return m_chart; }
    // The chart as the window shows it, at `scale` times its size in pixels.
    QImage render(qreal scale) const;
    // What the chart says in full at a point: the legend line or mark there, whose union
    // name may be cut short on the chart; empty elsewhere.
    QString fullTextAt(const QPoint &point) const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    PieChart m_chart;
};
