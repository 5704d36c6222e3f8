#include "warningsound.h"

#include <QSoundEffect>
#include <QUrl>

namespace warningsound {

namespace {
int g_count = 0;
}

void play()
{
    ++g_count;
    static QSoundEffect *effect = [] {
        auto *e = new QSoundEffect;
        e->setSource(QUrl(QStringLiteral("qrc:/sounds/AUTHOR.wav")));
        return e;
    }();
    if (effect->status() != QSoundEffect::Error && !effect->isPlaying())
        effect->play();
}

int playCount()
{
    return g_count;
}

} // namespace warningsound
