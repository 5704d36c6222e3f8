#pragma once

#include <QColor>
#include <QVariant>

#include <array>

class QComboBox;

// The text colour of a staff row by its union: slot k is position k of the colour-slot
// list ("<<< KAYITSIZ >>>", then the first five unions); the texts must match exactly and a
// null union matches nothing. Without a match the row keeps the grid's black.
QColor unionColour(const QVariant &union_, const QComboBox *slotList,
                   const std::array<qint32, 6> &colours);
