#pragma once

#include "maintenance/excelprotocol.h"

#include <QString>
#include <functional>

// Why a workbook is not read: an exit code of xlsread::Exit and a reason for stderr. The
// readers and the sink throw it; each reader returns it as its result.
struct ReadFailure {
    int exit;
    QString reason;
};

// Receives each non-empty cell of the range as text; it may refuse one by throwing
// ReadFailure, which ends the reading.
using CellSink = std::function<void(int row, int column, const QString &text)>;

// Each reader returns an exit code of xlsread::Exit and, on a failure, a reason for stderr.
int readXls(const QString &path, const ExcelRange &range, const CellSink &sink, QString *reason);
int readXlsx(const QString &path, const ExcelRange &range, const CellSink &sink, QString *reason);
