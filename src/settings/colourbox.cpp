#include "colourbox.h"

#include <QMouseEvent>
#include <QPainter>

ColourBox::ColourBox(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    // A box of a slot without a union is hidden; its place stays, so the columns keep their
    // layout whatever the number of unions.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
}

void ColourBox::setColour(const QColor &colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

void ColourBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    constexpr int border = 2;
    painter.fillRect(rect(), Qt::gray);
    painter.fillRect(rect().adjusted(border, border, -border, -border), m_colour);
}

void ColourBox::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT pressed();
}
