#pragma once

#include "data/progress.h"
#include "reports/engine/preparedreport.h"

#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

// Printing and saving prepared reports the user's way: the printer dialog, a progress window
// with a cancel button for long work, and the program's messages when something fails.
namespace reportoutput
{

// The printer dialog with the default printer selected, then the chosen pages. False when the
// dialog was cancelled or printing failed (the user has then been told why).
bool print(const report::PreparedReport &report, QWidget *parent);

// Writes the report as PDF. False after a message when the file cannot be written, or
// silently when the user cancelled.
bool savePdf(const report::PreparedReport &report, const QString &path, QWidget *parent);

// Progress of long work in a window with a cancel button, made only for work long enough to
// need one, and shown only once the work has taken a moment.
class ProgressWindow : public Progress
{
public:
    ProgressWindow(QWidget *parent, const QString &label, bool worthShowing);
    ~ProgressWindow() override;
    void begin(const QString &step, int total) override;
    // Moves the window on, which lets it show itself and take the cancel click.
    void advance(int done) override;
    bool proceed() override;

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

// The name offered for a saved copy: the report's title, followed by what the copy is about
// when it is about one thing (the member on a filled form), without characters that file
// names may not hold.
QString pdfFileName(const report::PreparedReport &report, const QString &subject = QString());

} // namespace reportoutput
