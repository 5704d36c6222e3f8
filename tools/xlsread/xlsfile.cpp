// The first worksheet of an Excel 97-2003 workbook (.xls), through FreeXL.

#include "celltext.h"
#include "maintenance/excelprotocol.h"
#include "sheetreader.h"

#include <QFile>
#include <algorithm>
#include <freexl.h>

namespace
{

// Closes the handle on every way out; FreeXL wants it closed after a failed open too.
class Handle
{
public:
    ~Handle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void **out() { return &m_handle; }
    const void *get() const { return m_handle; }

private:
    const void *m_handle = nullptr;
};

// Whether the compound document names a workbook stream ("Workbook", or "Book" in older
// files) anywhere in its directory; the names are stored in UTF-16.
bool namesWorkbookStream(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray names[] = {QByteArray::fromRawData("W\0o\0r\0k\0b\0o\0o\0k\0", 16),
                                QByteArray::fromRawData("B\0o\0o\0k\0", 8)};
    QByteArray tail;
    while (!file.atEnd()) {
        const QByteArray chunk = tail + file.read(1 << 20);
        for (const QByteArray &name : names)
            if (chunk.contains(name))
                return true;
        tail = chunk.right(16);
    }
    return false;
}

int openFailure(const QString &path, int rc, QString *reason)
{
    *reason = QStringLiteral("FreeXL error %1").arg(rc);
    if (rc == FREEXL_FILE_NOT_FOUND)
        return xlsread::CannotOpen;
    // A compound document without a workbook is another kind of document (a Word file).
    if (rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND && !namesWorkbookStream(path))
        return xlsread::NotWorkbook;
    return xlsread::Damaged;
}

QString cellText(const FreeXL_CellValue &value)
{
    switch (value.type) {
    case FREEXL_CELL_INT:
        return QString::number(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return celltext::number(value.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(value.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return celltext::fromIso(QString::fromUtf8(value.value.text_value));
    default:
        return QString();
    }
}

} // namespace

int readXls(const QString &path, const ExcelRange &range, const CellSink &sink, QString *reason)
{
    Handle xls;
    const int rc = freexl_open(QFile::encodeName(path).constData(), xls.out());
    if (rc != FREEXL_OK)
        return openFailure(path, rc, reason);

    unsigned int password = 0;
    if (freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        *reason = QStringLiteral("the workbook is protected by a password");
        return xlsread::Encrypted;
    }
    unsigned int sheets = 0;
    if (freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        *reason = QStringLiteral("the workbook has no worksheet");
        return xlsread::NoWorksheet;
    }
    if (freexl_select_active_worksheet(xls.get(), 0) != FREEXL_OK) {
        *reason = QStringLiteral("the first worksheet cannot be selected");
        return xlsread::Damaged;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(xls.get(), &rows, &columns) != FREEXL_OK) {
        *reason = QStringLiteral("the size of the first worksheet cannot be read");
        return xlsread::Damaged;
    }
    const int lastRow = std::min<qint64>(range.lastRow, rows);
    const int lastColumn = std::min<int>(range.lastColumn, columns);
    for (int row = range.firstRow; row <= lastRow; ++row) {
        for (int column = range.firstColumn; column <= lastColumn; ++column) {
            FreeXL_CellValue value;
            const int cellRc = freexl_get_cell_value(
                xls.get(), unsigned(row - 1), static_cast<unsigned short>(column - 1), &value);
            if (cellRc != FREEXL_OK) {
                *reason = QStringLiteral("cell (%1, %2): FreeXL error %3")
                              .arg(row)
                              .arg(column)
                              .arg(cellRc);
                return xlsread::Damaged;
            }
            const QString text = cellText(value);
            if (text.isEmpty())
                continue;
            try {
                sink(row, column, text);
            } catch (const ReadFailure &failure) {
                *reason = failure.reason;
                return failure.exit;
            }
        }
    }
    return xlsread::Ok;
}
