#pragma once

#include <QByteArray>
#include <QString>

// Windows-1254 (Turkish), the code page of the program's INI files. Kept in our own table
// rather than left to QStringConverter, whose codec list depends on how Qt was built.

// Characters with no byte in the code page become '?', one per character (a surrogate
// pair included).
QByteArray toCp1254(const QString &text);
// Every byte decodes; the seven holes of the code page decode to the C1 control of the same
// value, as Windows does, so any byte string survives a round trip.
QString fromCp1254(const QByteArray &bytes);
