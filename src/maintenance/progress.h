#pragma once

#include <QString>

namespace maintenance
{

// How long maintenance work tells its window how far it has come. The work calls it on the
// user-interface thread; a window shows it in a progress bar, tests listen or stop the work.
class Progress
{
public:
    virtual ~Progress() = default;
    // A step of the work begins: what it does and how many units it counts (0: uncounted).
    virtual void begin(const QString &step, int total)
    {
        Q_UNUSED(step)
        Q_UNUSED(total)
    }
    // `done` units of the current step are finished.
    virtual void advance(int done) { Q_UNUSED(done) }
    // Asked between steps where stopping is safe; false ends the work as failed, with
    // nothing half-done left behind.
    virtual bool proceed() { return true; }
};

} // namespace maintenance
