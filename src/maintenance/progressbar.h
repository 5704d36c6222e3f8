#pragma once

#include "data/progress.h"

class QProgressBar;

namespace maintenance
{

// Shows the progress of maintenance work in a window's progress bar. The work blocks the
// user-interface thread, so the bar is painted at once, but only when it has moved by a
// visible step: painting it at each of 100,000 rows would cost more than the rows.
class ProgressBarShow : public Progress
{
public:
    explicit ProgressBarShow(QProgressBar *bar) : m_bar(bar) {}
    void begin(const QString &step, int total) override;
    void advance(int done) override;

private:
    void show(int value);

    QProgressBar *m_bar;
    int m_total = 0;
    int m_shown = 0;
};

} // namespace maintenance
