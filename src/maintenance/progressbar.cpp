#include "progressbar.h"

#include <QProgressBar>

namespace maintenance
{

namespace
{
constexpr int kVisibleSteps = 100;
}

void ProgressBarShow::begin(const QString &step, int total)
{
    Q_UNUSED(step)
    m_total = total;
    // A range of 0 to 0 would make the bar a busy indicator: an empty step shows as 0 %.
    m_bar->setRange(0, std::max(total, 1));
    show(0);
}

void ProgressBarShow::advance(int done)
{
    if (done == m_total || (done - m_shown) * kVisibleSteps >= m_total)
        show(done);
}

void ProgressBarShow::show(int value)
{
    m_shown = value;
    m_bar->setValue(value);
    m_bar->repaint();
}

} // namespace maintenance
