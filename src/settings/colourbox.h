#pragma once

#include <QColor>
#include <QWidget>

// A small rectangle filled with a colour, with a grey border; pressing any mouse button on it
// asks for another colour (pressed()).
class ColourBox : public QWidget
{
    Q_OBJECT
public:
    explicit ColourBox(QWidget *parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);
    QSize sizeHint() const override { return {41, 25}; }

Q_SIGNALS:
    void pressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QColor m_colour = Qt::black;
};
