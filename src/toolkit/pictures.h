#pragma once

#include <QImage>
#include <QString>

// Pictures named by a stored path, the union logo above all. The path comes back at every
// start, so whatever it names must never hang or flood the program: only a regular file of
// sane size is read (a named pipe, a device or a folder gives no picture at all).
namespace pictures {

inline constexpr qint64 kMaxBytes = 32 * 1024 * 1024;

// The picture in the file, or a null image for anything that is not a readable picture.
QImage load(const QString &path);

} // namespace pictures
