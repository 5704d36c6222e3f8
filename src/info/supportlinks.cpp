#include "supportlinks.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

namespace support
{

namespace
{

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

// Watches one label: colours it while the mouse is over it and opens it on a click.
class LinkBehaviour : public QObject
{
public:
    LinkBehaviour(QLabel *label, const QColor &resting)
        : QObject(label), m_label(label), m_resting(resting)
    {
        label->setCursor(Qt::PointingHandCursor);
        setTextColour(label, resting);
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_label)
            return false;
        switch (event->type()) {
        case QEvent::Enter:
            setTextColour(m_label, Qt::red);
            break;
        case QEvent::Leave:
            setTextColour(m_label, m_resting);
            break;
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_label->rect().contains(mouse->position().toPoint())) {
                open(m_label->text());
                return true;
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    QLabel *m_label;
    QColor m_resting;
};

} // namespace

void open(const QString &address)
{
    QString text = address.trimmed();
    if (!text.contains(QStringLiteral("://")))
        text.prepend(QStringLiteral("https://"));
    QDesktopServices::openUrl(QUrl(text)); // host names in capitals come out in small letters
}

void makeLink(QLabel *label, const QColor &resting)
{
    new LinkBehaviour(label, resting);
}

} // namespace support
