#include "pdfexport.h"

#include "pagepainter.h"

#include "data/safefile.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>

namespace report
{

QPageLayout pageLayoutOf(const PreparedPage &page)
{
    return QPageLayout(QPageSize(page.paper), page.orientation, QMarginsF(0, 0, 0, 0));
}

PdfResult writePdf(const PreparedReport &report, const QString &path,
                   Progress *progress)
{
    PdfResult result;
    const QString shown = QDir::toNativeSeparators(path);
    SafeFile file(path);
    if (!file.open()) {
        result.error = file.failureText();
        return result;
    }
    QPdfWriter writer(&file);
    writer.setTitle(report.title);
    writer.setCreator(QStringLiteral("Meltora"));
    const int total = report.pageCount();
    if (total > 0)
        writer.setPageLayout(pageLayoutOf(report.pages.front()));
    QPainter painter;
    if (!painter.begin(&writer)) {
        result.error = QStringLiteral("'%1' dosyası yazılamadı.").arg(shown);
        file.cancel();
        return result;
    }
    PagePainter pages(&painter, PaintTarget::Paper);
    progress::begin(progress, QString(), total);
    for (int i = 0; i < total; ++i) {
        if (!progress::reached(progress, i)) {
            painter.end();
            file.cancel();
            result.cancelled = true;
            return result;
        }
        const PreparedPage &page = report.pages[size_t(i)];
        if (i > 0) {
            if (!(writer.pageLayout().isEquivalentTo(pageLayoutOf(page))))
                writer.setPageLayout(pageLayoutOf(page));
            writer.newPage();
        }
        const QRect paper = writer.pageLayout().fullRectPixels(writer.resolution());
        pages.paint(report, i, QRectF(paper));
    }
    painter.end();
    progress::reached(progress, total);
    // The PDF engine says nothing of a failed write: the file keeps the first failure and
    // refuses to take the target's place after one.
    if (!file.commit()) {
        result.error = file.failureText();
        return result;
    }
    result.written = true;
    return result;
}

} // namespace report
