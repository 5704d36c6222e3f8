#include "unioncolours.h"

#include "data/settings.h"

#include <QComboBox>

QColor unionColour(const QVariant &union_, const QComboBox *slotList,
                   const std::array<qint32, 6> &colours)
{
    if (union_.isNull())
        return {};
    const QString text = union_.toString();
    QColor colour;
    for (int k = 0; k < 6; ++k) {
        // A position past the end of the list reads as the empty text.
        const QString slotText = k < slotList->count() ? slotList->itemText(k) : QString();
        if (text == slotText)
            colour = colourFromWin(colours[size_t(k)]);
    }
    return colour;
}
