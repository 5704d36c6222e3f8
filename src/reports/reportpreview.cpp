#include "reportpreview.h"

#include "previewpages.h"
#include "reportoutput.h"
#include "reports/engine/layout.h"
#include "toolkit/controls.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"
#include "toolkit/standardicons.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

const QString kWholePage = QStringLiteral("Tüm Sayfa");
const QString kPageWidth = QStringLiteral("Sayfa Genişliği");

} // namespace

ReportPreview::ReportPreview(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Baskı Önizleme"));
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QWidget(this);
    buildToolBar(bar);
    m_pages = new PreviewPages(this);
    layout->addWidget(bar);
    layout->addWidget(m_pages, 1);
    connect(m_pages, &PreviewPages::currentPageChanged, this, &ReportPreview::showPageNumber);
    connect(m_pages, &PreviewPages::zoomChanged, this, &ReportPreview::showZoom);

    const QRect screen = (parent ? parent->screen() : QWidget::screen())->availableGeometry();
    resize(QSize(std::max(800, screen.width() * 4 / 5), std::max(600, screen.height() * 9 / 10))
               .boundedTo(screen.size()));
}

QToolButton *ReportPreview::toolButton(const QString &name, const QString &caption,
                                       const QString &hint, const QIcon &icon)
{
    auto *button = new QToolButton(this);
    controls::name(button, name, caption);
    button->setText(caption);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    hints::set(button, hint);
    return button;
}

void ReportPreview::buildToolBar(QWidget *bar)
{
    m_first = toolButton(QStringLiteral("ToolIlk"), QStringLiteral("İlk"),
                         QStringLiteral("İlk sayfa (Home)"),
                         standardicons::get(QStyle::SP_MediaSkipBackward));
    m_previous = toolButton(QStringLiteral("ToolOnceki"), QStringLiteral("Önceki"),
                            QStringLiteral("Önceki sayfa (Page Up)"),
                            standardicons::get(QStyle::SP_MediaSeekBackward));
    m_next = toolButton(QStringLiteral("ToolSonraki"), QStringLiteral("Sonraki"),
                        QStringLiteral("Sonraki sayfa (Page Down)"),
                        standardicons::get(QStyle::SP_MediaSeekForward));
    m_last =
        toolButton(QStringLiteral("ToolSon"), QStringLiteral("Son"),
                   QStringLiteral("Son sayfa (End)"), standardicons::get(QStyle::SP_MediaSkipForward));
    m_pageBox = new QLineEdit(bar);
    controls::name(m_pageBox, QStringLiteral("EditSayfa"), QStringLiteral("Sayfa"));
    hints::set(m_pageBox, QStringLiteral("Gidilecek sayfa numarası"));
    m_pageBox->setFixedWidth(m_pageBox->fontMetrics().horizontalAdvance(QStringLiteral("000000")) +
                             12);
    m_pageBox->setAlignment(Qt::AlignRight);
    m_pageRange = new QIntValidator(1, 1, m_pageBox);
    m_pageBox->setValidator(m_pageRange);
    m_pageCount = new QLabel(bar);
    m_pageCount->setObjectName(QStringLiteral("LabelSayfaSayisi"));
    m_zoom = new QComboBox(bar);
    controls::name(m_zoom, QStringLiteral("ComboYakinlik"), QStringLiteral("Yakınlaştırma"));
    hints::set(m_zoom, QStringLiteral("Yakınlaştırma (Ctrl + tekerlek)"));
    m_zoom->setEditable(true);
    m_zoom->setInsertPolicy(QComboBox::NoInsert);
    m_zoom->addItems({kWholePage, kPageWidth, QStringLiteral("%50"), QStringLiteral("%75"),
                      QStringLiteral("%100"), QStringLiteral("%150"), QStringLiteral("%200")});
    m_zoom->setMinimumContentsLength(14);
    m_print = toolButton(
        QStringLiteral("ToolYazdir"), QStringLiteral("Yazdır"), QStringLiteral("Yazdır (Ctrl+P)"),
        QIcon::fromTheme(QStringLiteral("document-print"), standardicons::get(QStyle::SP_FileIcon)));
    m_pdf = toolButton(QStringLiteral("ToolPdf"), QStringLiteral("PDF olarak kaydet"),
                       QStringLiteral("Raporu PDF dosyası olarak kaydet (Ctrl+S)"),
                       standardicons::get(QStyle::SP_DialogSaveButton));
    m_close = toolButton(QStringLiteral("ToolKapat"), QStringLiteral("Kapat"),
                         QStringLiteral("Önizlemeyi kapat (Esc)"),
                         standardicons::get(QStyle::SP_DialogCloseButton));

    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 4, 6, 4);
    row->addWidget(m_first);
    row->addWidget(m_previous);
    row->addWidget(m_pageBox);
    row->addWidget(m_pageCount);
    row->addWidget(m_next);
    row->addWidget(m_last);
    row->addSpacing(16);
    row->addWidget(m_zoom);
    row->addSpacing(16);
    row->addWidget(m_print);
    row->addWidget(m_pdf);
    row->addStretch();
    row->addWidget(m_close);

    auto run = [this](void (ReportPreview::*step)()) {
        return [this, step] { guard::run([this, step] { (this->*step)(); }); };
    };
    connect(m_first, &QToolButton::clicked, this, run(&ReportPreview::firstPage));
    connect(m_previous, &QToolButton::clicked, this, run(&ReportPreview::previousPage));
    connect(m_next, &QToolButton::clicked, this, run(&ReportPreview::nextPage));
    connect(m_last, &QToolButton::clicked, this, run(&ReportPreview::lastPage));
    connect(m_print, &QToolButton::clicked, this, run(&ReportPreview::print));
    connect(m_pdf, &QToolButton::clicked, this, run(&ReportPreview::savePdf));
    connect(m_close, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_pageBox, &QLineEdit::returnPressed, this, &ReportPreview::pageNumberTyped);
    connect(m_zoom, &QComboBox::activated, this, &ReportPreview::zoomChosen);
    connect(m_zoom->lineEdit(), &QLineEdit::returnPressed, this, &ReportPreview::zoomChosen);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
            run(&ReportPreview::print));
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            run(&ReportPreview::savePdf));
}

void ReportPreview::execute(std::shared_ptr<report::Preparation> preparation,
                            const QString &subject)
{
    m_preparation = std::move(preparation);
    m_subject = subject;
    const int count = m_preparation->pageCount();
    setWindowTitle(QStringLiteral("Baskı Önizleme - ") + m_preparation->report().title);
    m_pageCount->setText(QStringLiteral("/ %1").arg(count));
    m_pageRange->setRange(1, std::max(1, count));
    m_pages->setPreparation(m_preparation);
    m_pages->setZoom(PreviewPages::Zoom::WholePage);
    showPageNumber(0);
    m_pages->setFocus();
    exec();
    // The pages of a long list are let go as soon as the window closes.
    m_pages->setPreparation(nullptr);
    m_preparation.reset();
}

const report::PreparedReport *ReportPreview::report() const
{
    return m_preparation ? &m_preparation->report() : nullptr;
}

bool ReportPreview::complete()
{
    if (!m_preparation)
        return false;
    if (m_preparation->isFinished())
        return true;
    reportoutput::ProgressWindow progress(this, QStringLiteral("Rapor hazırlanıyor..."), true);
    return m_preparation->finish(&progress);
}

void ReportPreview::firstPage()
{
    m_pages->showPage(0);
}

void ReportPreview::previousPage()
{
    m_pages->showPage(m_pages->currentPage() - 1);
}

void ReportPreview::nextPage()
{
    m_pages->showPage(m_pages->currentPage() + 1);
}

void ReportPreview::lastPage()
{
    m_pages->showPage(m_pages->pageCount() - 1);
}

void ReportPreview::showPageNumber(int index)
{
    const int count = m_pages->pageCount();
    m_pageBox->setText(QString::number(count > 0 ? index + 1 : 0));
    m_first->setEnabled(index > 0);
    m_previous->setEnabled(index > 0);
    m_next->setEnabled(index < count - 1);
    m_last->setEnabled(index < count - 1);
}

void ReportPreview::pageNumberTyped()
{
    bool ok = false;
    const int number = m_pageBox->text().toInt(&ok);
    if (ok)
        m_pages->showPage(number - 1);
    else
        showPageNumber(m_pages->currentPage());
    m_pages->setFocus();
}

void ReportPreview::zoomChosen()
{
    const QString text = m_zoom->currentText().trimmed();
    if (text == kWholePage) {
        m_pages->setZoom(PreviewPages::Zoom::WholePage);
    } else if (text == kPageWidth) {
        m_pages->setZoom(PreviewPages::Zoom::PageWidth);
    } else {
        QString number = text;
        number.remove(QLatin1Char('%'));
        bool ok = false;
        const double percent = number.trimmed().toDouble(&ok);
        if (ok && percent > 0)
            m_pages->setZoom(PreviewPages::Zoom::Percent, percent);
        else
            showZoom();
    }
    m_pages->setFocus();
}

void ReportPreview::showZoom()
{
    const QSignalBlocker blocker(m_zoom);
    switch (m_pages->zoom()) {
    case PreviewPages::Zoom::WholePage:
        m_zoom->setCurrentIndex(0);
        break;
    case PreviewPages::Zoom::PageWidth:
        m_zoom->setCurrentIndex(1);
        break;
    case PreviewPages::Zoom::Percent:
        m_zoom->setEditText(QStringLiteral("%") + QString::number(qRound(m_pages->percent())));
        break;
    }
}

void ReportPreview::print()
{
    if (complete())
        reportoutput::print(*report(), this);
}

void ReportPreview::savePdf()
{
    if (!m_preparation)
        return;
    const QString path = askPdfPath();
    if (path.isEmpty() || !complete())
        return;
    m_pdfFolder = QFileInfo(path).absolutePath();
    reportoutput::savePdf(*report(), path, this);
}

QString ReportPreview::askPdfPath()
{
    QString folder = m_pdfFolder;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(this, QStringLiteral("PDF olarak kaydet"), folder,
                       QStringLiteral("PDF dosyaları (*.pdf)"));
    dialog.setObjectName(QStringLiteral("PdfFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // Qt's own dialog speaks Turkish like the rest of the program.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(QDir(folder).filePath(reportoutput::pdfFileName(*report(), m_subject)));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}
