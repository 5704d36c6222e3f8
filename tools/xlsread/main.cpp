// Reads the first worksheet of an Excel workbook and prints its cells as text, for the
// program's Excel import, which starts it as a separate process: a damaged or hostile
// workbook can then crash or hang only this reader, never the program.
//
//   meltora-xlsread FILE [--rows FIRST LAST] [--columns FIRST LAST]
//
// The kind of workbook is told by its first bytes, whatever its name: Excel 97-2003
// (.xls, a compound document) or Office Open XML (.xlsx, a zip package). The output and
// the exit codes are described in src/maintenance/excelprotocol.h.

#include "maintenance/excelprotocol.h"
#include "sheetreader.h"

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <sys/resource.h>

namespace
{

enum class Kind { Xls, Xlsx, Encrypted, Empty, OldExcel, Other };

quint16 word(const QByteArray &bytes, int at)
{
    return quint16(quint8(bytes[at])) | quint16(quint8(bytes[at + 1]) << 8);
}

// Excel 2.x to 4.x saved a bare record stream, not a compound document: it opens with the
// beginning-of-file record of its version (ids 0009h, 0209h, 0409h), whose body gives the
// kind of sheet (worksheet, chart, macro sheet or, from 4.0 on, workbook).
bool isOldExcel(const QByteArray &head)
{
    if (head.size() < 8)
        return false;
    const quint16 id = word(head, 0);
    const quint16 length = word(head, 2);
    const quint16 sheetKind = word(head, 6);
    return (id == 0x0009 || id == 0x0209 || id == 0x0409) && length >= 4 && length <= 16 &&
           (sheetKind == 0x0010 || sheetKind == 0x0020 || sheetKind == 0x0040 ||
            sheetKind == 0x0100);
}

Kind kindOf(QFile &file, QString *reason)
{
    const QByteArray head = file.read(64 * 1024);
    if (head.isEmpty())
        return Kind::Empty;
    if (head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
        // A password-protected .xlsx is a compound document holding the encrypted package.
        const QByteArray encrypted =
            QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
        return head.contains(encrypted) ? Kind::Encrypted : Kind::Xls;
    }
    if (head.startsWith("PK\x03\x04"))
        return Kind::Xlsx;
    if (isOldExcel(head))
        return Kind::OldExcel;
    const QByteArray start = head.left(512).trimmed().toLower();
    if (start.contains("<html") || start.contains("<!doctype") || start.contains("<table"))
        *reason = QStringLiteral("an HTML page, not a workbook");
    else if (start.startsWith("<?xml"))
        *reason = QStringLiteral("an XML document, not a workbook");
    else
        *reason = QStringLiteral("neither an Excel 97-2003 nor an Office Open XML workbook");
    return Kind::Other;
}

bool parsePair(const QStringList &args, int at, int max, int *first, int *last)
{
    if (at + 2 >= args.size())
        return false;
    bool ok1 = false, ok2 = false;
    *first = args.value(at + 1).toInt(&ok1);
    *last = args.value(at + 2).toInt(&ok2);
    return ok1 && ok2 && *first >= 1 && *last >= 0 && *first <= max && *last <= max;
}

// A hostile workbook must not take the machine's memory, nor leave a core file behind.
void limitResources()
{
    const rlim_t addressSpace = rlim_t(2) << 30;
    const rlimit memory{addressSpace, addressSpace};
    setrlimit(RLIMIT_AS, &memory);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

int fail(int exit, const QString &reason)
{
    std::fprintf(stderr, "meltora-xlsread: %s\n", reason.toUtf8().constData());
    return exit;
}

} // namespace

int main(int argc, char **argv)
{
    limitResources();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    ExcelRange range{1, xlsread::kMaxRows, 1, xlsread::kMaxColumns};
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows")) {
            if (!parsePair(args, i, xlsread::kMaxRows, &range.firstRow, &range.lastRow))
                return fail(xlsread::Usage, QStringLiteral("--rows takes two row numbers"));
            i += 2;
        } else if (args[i] == QLatin1String("--columns")) {
            if (!parsePair(args, i, xlsread::kMaxColumns, &range.firstColumn, &range.lastColumn))
                return fail(xlsread::Usage, QStringLiteral("--columns takes two column numbers"));
            i += 2;
        } else if (path.isEmpty()) {
            path = args[i];
        } else {
            return fail(xlsread::Usage,
                        QStringLiteral("usage: meltora-xlsread FILE [--rows FIRST LAST] "
                                       "[--columns FIRST LAST]"));
        }
    }
    if (path.isEmpty())
        return fail(xlsread::Usage, QStringLiteral("no workbook given"));

    QString reason;
    Kind kind;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(xlsread::CannotOpen,
                        QStringLiteral("%1: %2").arg(path, file.errorString()));
        kind = kindOf(file, &reason);
    }
    switch (kind) {
    case Kind::Empty:
        return fail(xlsread::EmptyFile, QStringLiteral("the file is empty"));
    case Kind::Encrypted:
        return fail(xlsread::Encrypted, QStringLiteral("the workbook is protected by a password"));
    case Kind::OldExcel:
        return fail(xlsread::OldFormat, QStringLiteral("an Excel 2.x-4.x file"));
    case Kind::Other:
        return fail(xlsread::NotWorkbook, reason);
    case Kind::Xls:
    case Kind::Xlsx:
        break;
    }

    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::printf("%s\n", xlsread::kHeader);
    qint64 cells = 0;
    qint64 printed = 0;
    const CellSink print = [&cells, &printed](int row, int column, const QString &text) {
        if (text.size() > xlsread::kMaxCellChars)
            throw ReadFailure{xlsread::CellTooLong,
                              QStringLiteral("cell (%1, %2) holds %3 characters")
                                  .arg(row)
                                  .arg(column)
                                  .arg(text.size())};
        const QByteArray utf8 = text.toUtf8();
        const QByteArray head =
            QStringLiteral("CELL %1 %2 %3\n").arg(row).arg(column).arg(utf8.size()).toLatin1();
        printed += head.size() + utf8.size() + 1;
        if (printed > xlsread::kMaxOutputBytes)
            throw ReadFailure{xlsread::TooLarge,
                              QStringLiteral("more than %1 bytes of cells in the range")
                                  .arg(xlsread::kMaxOutputBytes)};
        std::fwrite(head.constData(), 1, size_t(head.size()), stdout);
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
        std::fputc('\n', stdout);
        ++cells;
    };
    const int exit = kind == Kind::Xls ? readXls(path, range, print, &reason)
                                       : readXlsx(path, range, print, &reason);
    if (exit != xlsread::Ok)
        return fail(exit, reason);
    std::printf("END %lld\n", static_cast<long long>(cells));
    return std::fflush(stdout) == 0 ? xlsread::Ok
                                    : fail(xlsread::Damaged, QStringLiteral("output failed"));
}
