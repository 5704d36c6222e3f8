#include "previewpages.h"

#include "reports/engine/layout.h"
#include "reports/engine/pagepainter.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace
{

constexpr double kGap = 12; // pixels around and between the pages
constexpr double kMinPercent = 10;
constexpr double kMaxPercent = 800;
constexpr double kZoomStep = 1.15; // one notch of Ctrl+wheel
constexpr int kScrollStep = 48;
constexpr int kRowsPerSlice = 1000; // laid out in the background between two events

} // namespace

PreviewPages::PreviewPages(QWidget *parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("PreviewPages"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(kScrollStep);
    horizontalScrollBar()->setSingleStep(kScrollStep);
    m_background.setInterval(0);
    connect(&m_background, &QTimer::timeout, this, &PreviewPages::prepareMore);
}

void PreviewPages::setPreparation(std::shared_ptr<report::Preparation> preparation)
{
    m_background.stop();
    m_preparation = std::move(preparation);
    m_largestPage = largestPage();
    m_painted.assign(size_t(pageCount()), false);
    m_paintedPages = 0;
    m_current = 0;
    relayout();
    showPage(0);
}

const report::PreparedReport *PreviewPages::report() const
{
    return m_preparation ? &m_preparation->report() : nullptr;
}

int PreviewPages::pageCount() const
{
    return m_preparation ? m_preparation->pageCount() : 0;
}

void PreviewPages::prepareUntil(int index)
{
    if (index < m_preparation->readyPages())
        return;
    // A jump far ahead of the background work lays out every page up to there first.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_preparation->prepareUntil(index);
    QGuiApplication::restoreOverrideCursor();
}

void PreviewPages::prepareMore()
{
    if (!m_preparation || m_preparation->isFinished()) {
        m_background.stop();
        return;
    }
    m_preparation->advance(kRowsPerSlice);
}

double PreviewPages::screenPixelsPerMm() const
{
    return logicalDpiX() / 25.4;
}

QSizeF PreviewPages::largestPage() const
{
    QSizeF largest(210, 297);
    if (report() && !report()->pages.empty()) {
        largest = QSizeF(0, 0);
        for (const report::PreparedPage &page : report()->pages)
            largest = largest.expandedTo(page.size);
    }
    return largest;
}

double PreviewPages::pixelsPerMm() const
{
    const QSizeF &page = m_largestPage;
    const double width = (viewport()->width() - 2 * kGap) / page.width();
    const double height = (viewport()->height() - 2 * kGap) / page.height();
    double scale = screenPixelsPerMm() * m_percent / 100;
    if (m_zoom == Zoom::PageWidth)
        scale = width;
    else if (m_zoom == Zoom::WholePage)
        scale = std::min(width, height);
    const double least = screenPixelsPerMm() * kMinPercent / 100;
    return std::max(scale, least);
}

double PreviewPages::percent() const
{
    return pixelsPerMm() / screenPixelsPerMm() * 100;
}

void PreviewPages::setZoom(Zoom zoom, double percent)
{
    m_zoom = zoom;
    m_percent = std::clamp(percent, kMinPercent, kMaxPercent);
    relayout();
    showPage(m_current);
    Q_EMIT zoomChanged();
}

void PreviewPages::relayout()
{
    const double scale = pixelsPerMm();
    m_tops.clear();
    double y = kGap;
    if (report()) {
        m_tops.reserve(report()->pages.size());
        for (const report::PreparedPage &page : report()->pages) {
            m_tops.push_back(y);
            y += page.size.height() * scale + kGap;
        }
    }
    m_contentHeight = y;
    m_contentWidth = m_largestPage.width() * scale + 2 * kGap;
    const QSize view = viewport()->size();
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_contentHeight)) - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_contentWidth)) - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    viewport()->update();
}

QRectF PreviewPages::pageRect(int index) const
{
    const double scale = pixelsPerMm();
    const QSizeF size = report()->pages[size_t(index)].size * scale;
    const double contentLeft = m_contentWidth > viewport()->width()
                                   ? -horizontalScrollBar()->value()
                                   : (viewport()->width() - m_contentWidth) / 2;
    const double left = contentLeft + (m_contentWidth - size.width()) / 2;
    const double top = m_tops[size_t(index)] - verticalScrollBar()->value();
    return QRectF(QPointF(left, top), size);
}

int PreviewPages::pageAt(double y) const
{
    if (m_tops.empty())
        return 0;
    const auto after = std::upper_bound(m_tops.begin(), m_tops.end(), y);
    return std::max(0, int(after - m_tops.begin()) - 1);
}

void PreviewPages::setCurrent(int index)
{
    if (index == m_current)
        return;
    m_current = index;
    Q_EMIT currentPageChanged(index);
}

void PreviewPages::showPage(int index)
{
    if (pageCount() == 0)
        return;
    index = std::clamp(index, 0, pageCount() - 1);
    prepareUntil(index);
    m_navigating = true;
    verticalScrollBar()->setValue(int(m_tops[size_t(index)] - kGap));
    m_navigating = false;
    // Told even when it stays the same page, so that the page box shows it again.
    m_current = index;
    Q_EMIT currentPageChanged(index);
    viewport()->update();
}

void PreviewPages::scrollContentsBy(int, int)
{
    viewport()->update();
    if (!m_navigating)
        setCurrent(pageAt(verticalScrollBar()->value() + viewport()->height() / 3.0));
}

void PreviewPages::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(128, 128, 128));
    if (!m_preparation)
        return;
    const double top = verticalScrollBar()->value();
    const double bottom = top + viewport()->height();
    report::PagePainter pages(&painter, report::PaintTarget::Screen);
    bool paintedAny = false;
    for (int i = pageAt(top); i < pageCount() && m_tops[size_t(i)] < bottom; ++i) {
        prepareUntil(i);
        const QRectF paper = pageRect(i);
        painter.fillRect(paper.translated(3, 3), QColor(64, 64, 64));
        painter.fillRect(paper, Qt::white);
        pages.paint(*report(), i, paper);
        paintedAny = true;
        if (!m_painted[size_t(i)]) {
            m_painted[size_t(i)] = true;
            ++m_paintedPages;
        }
    }
    if (paintedAny) {
        // The rest is laid out once the first pages are on screen.
        if (!m_preparation->isFinished() && !m_background.isActive())
            m_background.start();
        Q_EMIT pagesPainted();
    }
}

void PreviewPages::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
    if (m_zoom != Zoom::Percent)
        showPage(m_current);
}

void PreviewPages::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const double notches = event->angleDelta().y() / 120.0;
    setZoom(Zoom::Percent, percent() * std::pow(kZoomStep, notches));
    event->accept();
}

void PreviewPages::keyPressEvent(QKeyEvent *event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_PageUp:
        showPage(m_current - 1);
        return;
    case Qt::Key_PageDown:
        showPage(m_current + 1);
        return;
    case Qt::Key_Home:
        showPage(0);
        return;
    case Qt::Key_End:
        showPage(pageCount() - 1);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Ctrl with the wheel (which the program turns into arrow keys) zooms.
        if (control) {
            setZoom(Zoom::Percent,
                    percent() * (event->key() == Qt::Key_Up ? kZoomStep : 1 / kZoomStep));
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
