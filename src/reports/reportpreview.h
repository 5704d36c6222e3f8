#pragma once

#include "reports/engine/preparedreport.h"

#include <QDialog>
#include <memory>

namespace report
{
class Preparation;
}
class PreviewPages;
class QComboBox;
class QIntValidator;
class QLabel;
class QLineEdit;
class QToolButton;

// The modal print preview: page navigation, zoom, printing through the printer dialog and
// saving as PDF. Preview-only objects show here and nowhere else.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    explicit ReportPreview(QWidget *parent = nullptr);

    // Shows the report and waits until the window is closed. Pages not yet laid out are
    // prepared while the first ones are on screen. `subject` is what the report is about when
    // it is about one thing (the member on a filled form): the name offered for a PDF copy
    // carries it.
    void execute(std::shared_ptr<report::Preparation> preparation,
                 const QString &subject = QString());

    // The report shown, complete or not; null while the window is closed.
    const report::PreparedReport *report() const;
    report::Preparation *preparation() const { return m_preparation.get(); }
    PreviewPages *pages() const { return m_pages; }

    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void print();
    // Asks for a file name, then writes the whole report as PDF.
    void savePdf();

private:
    QToolButton *toolButton(const QString &name, const QString &caption, const QString &hint,
                            const QIcon &icon);
    void buildToolBar(QWidget *bar);
    void showPageNumber(int index);
    void pageNumberTyped();
    void zoomChosen();
    void showZoom();
    QString askPdfPath();
    // Lays out what is left, with progress; false when the user cancelled.
    bool complete();

    std::shared_ptr<report::Preparation> m_preparation;
    PreviewPages *m_pages;
    QToolButton *m_first = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
    QLineEdit *m_pageBox = nullptr;
    QIntValidator *m_pageRange = nullptr;
    QLabel *m_pageCount = nullptr;
    QComboBox *m_zoom = nullptr;
    QToolButton *m_print = nullptr;
    QToolButton *m_pdf = nullptr;
    QToolButton *m_close = nullptr;
    QString m_pdfFolder; // where the last copy was saved
    QString m_subject;
};
