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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PieChart m_chart;
};
