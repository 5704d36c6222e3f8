#pragma once

#include <QString>

class QColor;
class QLabel;

// The support web sites and the labels that link to them.
namespace support
{

// The site behind the link labels, and the users' forum.
inline const QString kSite = QStringLiteral("www.meltora.org.tr");
inline const QString kForum = QStringLiteral("forum.meltora.org.tr");

// Opens an address ("www.example.org" or a full https address) in the default browser over
// https. When it cannot be opened (no browser) nothing is reported: nothing opens.
void open(const QString &address);

// Makes a label a link to the address it shows: a hand cursor, red text while the mouse is
// over it and `resting` otherwise, and a click opens the address.
void makeLink(QLabel *label, const QColor &resting);

} // namespace support
