#include "standardicons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>

namespace standardicons {

namespace {

// Stands for the style's icon and asks the style for it at the first use that needs pixels.
class DeferredIcon : public QIconEngine
{
public:
    explicit DeferredIcon(QStyle::StandardPixmap which) : m_which(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new DeferredIcon(*this); }
    QString key() const override { return QStringLiteral("DeferredStandardIcon"); }
    bool isNull() override { return false; }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull())
            m_icon = QApplication::style()->standardIcon(m_which);
        return m_icon;
    }

    QStyle::StandardPixmap m_which;
    QIcon m_icon;
};

} // namespace

QIcon get(QStyle::StandardPixmap which)
{
    return QIcon(new DeferredIcon(which));
}

} // namespace standardicons
