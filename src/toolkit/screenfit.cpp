#include "screenfit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace screenfit
{

namespace
{

// The frame the window system puts around the window: known once the window (or the window it
// belongs to) has been shown with one; until then, none.
QMargins frameOf(const QWidget *window)
{
    for (const QWidget *w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        const QRect inner = w->geometry();
        const QRect outer = w->frameGeometry();
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                             outer.right() - inner.right(), outer.bottom() - inner.bottom());
        if (!frame.isNull())
            return frame;
    }
    return {};
}

QScreen *screenOf(const QWidget *window)
{
    // A dialog not yet shown appears on the screen of the window it belongs to.
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : window;
    if (QScreen *atCentre = QGuiApplication::screenAt(window->frameGeometry().center()))
        return atCentre;
    return owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
}

bool isFitted(const QWidget *widget)
{
    if (!widget->isWindow())
        return false;
    switch (widget->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Drawer:
    case Qt::Tool:
        return true;
    default: // pop-up menus, lists and tool tips are placed by Qt itself
        return false;
    }
}

// Fits each window as it is shown: Qt has placed a dialog by then, and the window system has
// not yet put it on the screen.
class Fitter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (isFitted(widget))
                fit(widget);
        }
        return false;
    }
};

} // namespace

QRect availableArea(const QWidget *window)
{
    QScreen *screen = screenOf(window->window());
    return screen ? screen->availableGeometry() : QRect();
}

void fit(QWidget *window)
{
    window = window->window();
    const QRect area = availableArea(window);
    if (area.isEmpty())
        return;
    const QMargins frame = frameOf(window);
    const QSize room = area.size().shrunkBy(frame);

    // A layout that holds the window at its own size would undo the shrinking.
    if (QLayout *layout = window->layout();
        layout && layout->sizeConstraint() == QLayout::SetFixedSize &&
        (window->minimumWidth() > room.width() || window->minimumHeight() > room.height())) {
        layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    }
    if (window->minimumWidth() > room.width())
        window->setMinimumWidth(room.width());
    if (window->minimumHeight() > room.height())
        window->setMinimumHeight(room.height());
    if (window->isMaximized() || window->isFullScreen())
        return;

    const QSize size = window->size().boundedTo(room);
    if (size != window->size())
        window->resize(size);
    QRect outer(window->pos(), size.grownBy(frame));
    // Left and top edges last: a window that cannot fit keeps its title bar on the screen.
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    if (outer.topLeft() != window->pos())
        window->move(outer.topLeft());
}

void fitEveryWindow()
{
    static QPointer<Fitter> fitter;
    if (fitter || !qApp)
        return;
    fitter = new Fitter(qApp);
    qApp->installEventFilter(fitter);
}

} // namespace screenfit
