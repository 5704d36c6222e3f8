#include "reportoutput.h"

#include "reports/engine/pagepainter.h"
#include "reports/engine/pdfexport.h"
#include "reports/printsystem.h"
#include "toolkit/messages.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

namespace reportoutput
{

using namespace report;

// Work shorter than this many pages is over before a progress window could help.
constexpr int kPagesWorthProgress = 20;

ProgressWindow::ProgressWindow(QWidget *parent, const QString &label, bool worthShowing)
{
    if (!worthShowing)
        return;
    m_dialog = std::make_unique<QProgressDialog>(parent);
    m_dialog->setObjectName(QStringLiteral("ReportProgress"));
    m_dialog->setWindowTitle(messages::kProgramTitle);
    m_dialog->setLabelText(label);
    m_dialog->setCancelButtonText(QStringLiteral("İptal"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(400);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::begin(const QString &step, int total)
{
    Q_UNUSED(step) // the window keeps the label it was made with
    if (m_dialog && m_dialog->maximum() != total)
        m_dialog->setMaximum(total);
}

void ProgressWindow::advance(int done)
{
    if (m_dialog)
        m_dialog->setValue(done);
}

bool ProgressWindow::proceed()
{
    return !m_dialog || !m_dialog->wasCanceled();
}

namespace
{

void sayPrinterUnusable(const QPrinter &printer, QWidget *parent)
{
    messages::error(parent, QStringLiteral("Yazıcı kullanılamıyor: '%1'. Yazıcının açık ve bağlı "
                                           "olduğunu denetleyip yeniden deneyin.")
                                .arg(printer.printerName().isEmpty() ? printer.outputFileName()
                                                                     : printer.printerName()));
}

// Prints the pages the printer's settings ask for; false after a message when it failed.
bool printOn(const PreparedReport &report, QPrinter &printer, QWidget *parent)
{
    int first = 1;
    int last = report.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage());
        last = std::min(last, std::max(printer.toPage(), first));
    }
    if (first > last)
        return false;
    // A printer removed while the dialog was open still opens: the job would go nowhere.
    if (!printsystem::probe().printerExists(printer)) {
        sayPrinterUnusable(printer, parent);
        return false;
    }
    printer.setPageLayout(pageLayoutOf(report.pages[size_t(first - 1)]));
    QPainter painter;
    if (!painter.begin(&printer)) {
        sayPrinterUnusable(printer, parent);
        return false;
    }
    ProgressWindow progress(parent, QStringLiteral("Yazdırılıyor..."),
                            last - first + 1 >= kPagesWorthProgress);
    progress.begin(QString(), last - first + 1);
    PagePainter pages(&painter, PaintTarget::Paper);
    for (int number = first; number <= last; ++number) {
        if (!progress::reached(&progress, number - first)) {
            printer.abort();
            return false;
        }
        const PreparedPage &page = report.pages[size_t(number - 1)];
        if (number > first) {
            if (!printer.pageLayout().isEquivalentTo(pageLayoutOf(page)))
                printer.setPageLayout(pageLayoutOf(page));
            if (!printer.newPage())
                break;
        }
        pages.paint(report, number - 1,
                    QRectF(printer.pageLayout().fullRectPixels(printer.resolution())));
    }
    // The job is handed to the print service here.
    painter.end();
    if (!printsystem::probe().jobAccepted(printer)) {
        sayPrinterUnusable(printer, parent);
        return false;
    }
    if (printer.printerState() == QPrinter::Error) {
        messages::error(parent,
                        QStringLiteral("Yazdırma tamamlanamadı: yazıcı bir hata bildirdi."));
        return false;
    }
    return true;
}

} // namespace

bool print(const PreparedReport &report, QWidget *parent)
{
    if (report.pages.empty())
        return false;
    QPrinter printer(QPrinter::HighResolution); // starts on the default printer
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutOf(report.pages.front()));
    printer.setDocName(report.title);
    printer.setFromTo(0, 0);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Yazdır"));
    dialog.setMinMax(1, report.pageCount());
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return printOn(report, printer, parent);
}

bool savePdf(const PreparedReport &report, const QString &path, QWidget *parent)
{
    PdfResult result;
    {
        ProgressWindow progress(parent, QStringLiteral("PDF dosyası yazılıyor..."),
                                report.pageCount() >= kPagesWorthProgress);
        result = writePdf(report, path, &progress);
    }
    if (!result.written && !result.cancelled)
        messages::error(parent, result.error);
    return result.written;
}

namespace
{

// Text made fit to stand in a file name here or on a Windows share: characters that no file
// name may hold, and control characters (a line break or tab typed into a name), give way;
// Turkish letters stay. Dots and blanks at either end go: a leading dot would hide the file.
QString fileNamePart(QString text)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar &ch : text) {
        if (forbidden.contains(ch))
            ch = QLatin1Char('-');
        else if (ch.category() == QChar::Other_Control || ch.category() == QChar::Other_Format)
            ch = QLatin1Char(' ');
    }
    text = text.simplified();
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && (text.at(first) == QLatin1Char('.') || text.at(first) == QLatin1Char(' ')))
        ++first;
    while (last > first && (text.at(last - 1) == QLatin1Char('.') || text.at(last - 1) == QLatin1Char(' ')))
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString pdfFileName(const PreparedReport &report, const QString &subject)
{
    QString name = fileNamePart(report.title);
    if (name.isEmpty())
        name = report.name;
    const QString about = fileNamePart(subject);
    if (!about.isEmpty())
        name += QStringLiteral(" - ") + about;
    // No longer than file systems take (255 bytes), cut between characters.
    const QString suffix = QStringLiteral(".pdf");
    while (name.toUtf8().size() + suffix.size() > 255)
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    name = fileNamePart(name);
    return (name.isEmpty() ? report.name : name) + suffix;
}

} // namespace reportoutput
