#pragma once

#include <QString>
#include <functional>

// The rectangle of the first worksheet that is wanted; rows and columns count from 1.
struct CellRange {
    int firstRow = 1;
    int lastRow = 0;
    int firstColumn = 1;
    int lastColumn = 0;
    bool contains(int row, int column) const
    {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
};

// Receives each non-empty cell of the range as text.
using CellSink = std::function<void(int row, int column, const QString &text)>;

// Each reader returns an exit code of xlsread::Exit and, on a failure, a reason for stderr.
int readXls(const QString &path, const CellRange &range, const CellSink &sink, QString *reason);
int readXlsx(const QString &path, const CellRange &range, const CellSink &sink, QString *reason);
