#pragma once

#include <QtGlobal>

// What the workbook reader (the helper executable beside the program) and the import window
// agree on. The reader prints the cells of the first worksheet on stdout:
//
//   MELTORA-XLSREAD 1
//   CELL <row> <column> <byte count>
//   <the cell's text in UTF-8, that many bytes>
//   ...
//   END <number of cells>
//
// Rows and columns count from 1; empty cells are left out. Without END the output is
// incomplete. A failure prints a line on stderr and ends with one of the exit codes below.
namespace xlsread
{

inline constexpr char kProgramName[] = "meltora-xlsread";
inline constexpr char kHeader[] = "MELTORA-XLSREAD 1";

enum Exit : int {
    Ok = 0,
    Usage = 2,
    CannotOpen = 3,  // missing, unreadable
    NotWorkbook = 4, // HTML, CSV, text, another kind of document, random bytes
    Damaged = 5,     // a workbook whose contents cannot be read
    Encrypted = 6,   // protected by a password
    NoWorksheet = 7, // a workbook without any worksheet
    EmptyFile = 8,
    OldFormat = 9,    // an Excel 2.x-4.x worksheet or workbook, which only Excel itself reads
    CellTooLong = 10, // a cell, or a text in the file, longer than Excel keeps in a cell
    TooLarge = 11,    // a worksheet, its shared texts or the output beyond the limits below
};

// Excel keeps at most this many characters in a cell; a longer one comes from no workbook.
inline constexpr int kMaxCellChars = 32767;
// The most that the reader prints and the program reads: far above the unit list of any
// workplace, far below what would weigh on the machine.
inline constexpr qint64 kMaxOutputBytes = qint64(64) << 20;

// The largest sheet either file format allows.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

} // namespace xlsread

// A rectangle of a worksheet: rows and columns count from 1, as the user gives them.
struct ExcelRange {
    int firstRow = 1;
    int lastRow = 20;
    int firstColumn = 1;
    int lastColumn = 6;
    bool contains(int row, int column) const
    {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
};
