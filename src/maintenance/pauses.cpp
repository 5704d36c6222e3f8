#include "pauses.h"

#include <QThread>

namespace maintenance
{

void pause(int ms)
{
    const int scaled = int(ms * pauseFactor);
    if (scaled > 0)
        QThread::msleep(ulong(scaled));
}

} // namespace maintenance
