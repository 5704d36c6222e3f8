#pragma once

#include "reports/engine/preparedreport.h"

#include <QAbstractScrollArea>
#include <memory>
#include <vector>

// The pages of a prepared report one under the other on a grey ground, at a zoom. Only the
// pages in view are painted, so a list of thousands of pages shows at once.
class PreviewPages : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class Zoom { WholePage, PageWidth, Percent };

    explicit PreviewPages(QWidget *parent = nullptr);

    void setReport(std::shared_ptr<const report::PreparedReport> report);
    int pageCount() const;

    // The page the user is on (from 0).
    int currentPage() const { return m_current; }
    void showPage(int index);

    Zoom zoom() const { return m_zoom; }
    // The zoom as a percentage of real size, whatever the mode.
    double percent() const;
    void setZoom(Zoom zoom, double percent = 100);

    // How many pages have been painted since the report was set (each paint counts).
    int paintedPages() const { return m_paintedPages; }

Q_SIGNALS:
    void currentPageChanged(int index);
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double pixelsPerMm() const;
    double screenPixelsPerMm() const;
    QSizeF largestPage() const;
    // Page tops in pixels at the current scale, and the scroll ranges.
    void relayout();
    QRectF pageRect(int index) const;
    int pageAt(double y) const;
    void setCurrent(int index);

    std::shared_ptr<const report::PreparedReport> m_report;
    Zoom m_zoom = Zoom::WholePage;
    double m_percent = 100;
    std::vector<double> m_tops; // in content pixels
    double m_contentHeight = 0;
    double m_contentWidth = 0;
    int m_current = 0;
    bool m_navigating = false; // a scroll made by showPage keeps the page it went to
    int m_paintedPages = 0;
};
