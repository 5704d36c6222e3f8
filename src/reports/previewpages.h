#pragma once

#include "reports/engine/preparedreport.h"

#include <QTimer>

#include <QAbstractScrollArea>
#include <memory>
#include <vector>

namespace report
{
class Preparation;
}

// The pages of a report one under the other on a grey ground, at a zoom. Only the pages in
// view are painted, so a list of thousands of pages shows at once; the pages not yet laid
// out are prepared in the background, and at once when they come into view.
class PreviewPages : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class Zoom { WholePage, PageWidth, Percent };

    explicit PreviewPages(QWidget *parent = nullptr);

    // Null lets the pages go.
    void setPreparation(std::shared_ptr<report::Preparation> preparation);
    int pageCount() const;

    // The page the user is on (from 0).
    int currentPage() const { return m_current; }
    void showPage(int index);

    Zoom zoom() const { return m_zoom; }
    // The zoom as a percentage of real size, whatever the mode.
    double percent() const;
    void setZoom(Zoom zoom, double percent = 100);

    // How many different pages have been painted since the report was set.
    int paintedPages() const { return m_paintedPages; }

Q_SIGNALS:
    void currentPageChanged(int index);
    void zoomChanged();
    // After a paint that showed at least one page.
    void pagesPainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double pixelsPerMm() const;
    double screenPixelsPerMm() const;
    // The widest and the tallest page: measured once, since every page is there from the start.
    QSizeF largestPage() const;
    // Page tops in pixels at the current scale, and the scroll ranges.
    void relayout();
    QRectF pageRect(int index) const;
    int pageAt(double y) const;
    void setCurrent(int index);
    const report::PreparedReport *report() const;
    void prepareMore();
    void prepareUntil(int index);

    std::shared_ptr<report::Preparation> m_preparation;
    QTimer m_background;
    QSizeF m_largestPage{210, 297};
    Zoom m_zoom = Zoom::WholePage;
    double m_percent = 100;
    std::vector<double> m_tops; // in content pixels
    double m_contentHeight = 0;
    double m_contentWidth = 0;
    int m_current = 0;
    bool m_navigating = false;   // a scroll made by showPage keeps the page it went to
    std::vector<bool> m_painted; // per page
    int m_paintedPages = 0;
};
