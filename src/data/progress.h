#pragma once

#include <QString>

// How long work tells whoever waits for it how far it has come, and hears whether to go on.
// The dataset, the report engine, the list export and the maintenance work all speak it; a
// window shows it in a progress bar or a progress window, tests listen or stop the work.
// The work calls it on its own thread, which for all of these is the user-interface thread.
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
    // Asked where stopping is safe; false ends the work as cancelled, with nothing half-done
    // left behind.
    virtual bool proceed() { return true; }
};

// The calls the work makes, safe without a listener (a null `progress`).
namespace progress
{

inline void begin(Progress *progress, const QString &step, int total)
{
    if (progress)
        progress->begin(step, total);
}

inline void advance(Progress *progress, int done)
{
    if (progress)
        progress->advance(done);
}

// Tells of `done` units and asks whether to go on.
inline bool reached(Progress *progress, int done)
{
    advance(progress, done);
    return !progress || progress->proceed();
}

inline bool proceed(Progress *progress)
{
    return !progress || progress->proceed();
}

} // namespace progress
