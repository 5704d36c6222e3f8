#pragma once

#include <QIcon>
#include <QStyle>

namespace standardicons {

// The style's standard icon, whose image files are read only when it is first painted: the
// long-lived windows are all built at start, and most are shown later or never.
QIcon get(QStyle::StandardPixmap which);

} // namespace standardicons
