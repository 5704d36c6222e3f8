#pragma once

#include "maintenance/excelprotocol.h"

#include <QString>
#include <functional>

// Receives each non-empty cell of the range as text.
using CellSink = std::function<void(int row, int column, const QString &text)>;

// Each reader returns an exit code of xlsread::Exit and, on a failure, a reason for stderr.
int readXls(const QString &path, const ExcelRange &range, const CellSink &sink, QString *reason);
int readXlsx(const QString &path, const ExcelRange &range, const CellSink &sink, QString *reason);
