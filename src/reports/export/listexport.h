#pragma once

#include "shownlist.h"

#include "data/progress.h"

#include <QString>
#include <functional>
#include <optional>

class QIODevice;

// Writes a list as the user sees it to a spreadsheet file: an Excel workbook (.xlsx) or a
// text file of values separated by semicolons (.csv), as a Turkish spreadsheet opens either
// with a double-click. No cell ever becomes a formula: a value that a spreadsheet would run
// (beginning with =, +, -, @, a tab or a carriage return) stays text.
namespace listexport
{

enum class Format { Xlsx, Csv };

// The format a file name asks for by its suffix (either case); none for other names.
std::optional<Format> formatOf(const QString &path);
QString suffixOf(Format format);

struct Outcome {
    bool written = false;
    bool cancelled = false;
    QString error; // in Turkish, when neither written nor cancelled
};

// Writes the file through SafeFile: a failure (a full disk) or a stop leaves no part of the
// file behind and the file that was there before as it was. `sheetName` names the
// workbook's one sheet.
Outcome writeFile(const ShownList &list, const QString &path, Format format,
                  const QString &sheetName, Progress *progress = nullptr);

// The writers themselves, on an open device. False when a write failed or `progress`
// stopped the work (then *cancelled is true).
bool writeCsv(const ShownList &list, QIODevice *device, Progress *progress,
              bool *cancelled);
bool writeXlsx(const ShownList &list, const QString &sheetName, QIODevice *device,
               Progress *progress, bool *cancelled);

// One value as a CSV field: a value a spreadsheet would take for a formula gets an
// apostrophe before it; a value holding the separator, a quote or a line break is quoted,
// its quotes doubled.
QString csvField(const QString &value);
// Whether a spreadsheet would take this value, typed into a cell, for a formula.
bool looksLikeFormula(const QString &value);

// The workbook's sheet name: without the characters sheet names cannot hold, at most 31
// characters, never empty.
QString sheetNameOf(const QString &title);
// A value as a workbook's text holds it: characters XML cannot carry are written as the
// workbook's own _xHHHH_ escapes, and an underscore that would be read as one is escaped.
QString workbookText(const QString &value);
// Column letters of a 0-based column: A, B, ..., Z, AA, ...
QString columnLetters(int column);

} // namespace listexport
