#include "excelworkbook.h"

#include "data/programdir.h"
#include "excelprotocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTimer>

namespace
{

// A CELL or END line is short; a longer run of bytes without a line end is no output of the
// reader.
constexpr qsizetype kMaxLineBytes = 256;
// Beside the cells, the reader prints its header and END lines.
constexpr qint64 kMaxFrameBytes = 4096;
// Excel's longest cell in UTF-8: three bytes at most for each character it counts.
constexpr qint64 kMaxCellBytes = qint64(xlsread::kMaxCellChars) * 3;

// "CELL <row> <column> <bytes>".
bool parseCellLine(const QByteArray &line, int *row, int *column, qint64 *bytes)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 4 || parts[0] != "CELL")
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    *row = parts[1].toInt(&ok1);
    *column = parts[2].toInt(&ok2);
    *bytes = parts[3].toLongLong(&ok3);
    return ok1 && ok2 && ok3 && *bytes >= 0;
}

int exitFor(SheetOutputParser::Refusal refusal)
{
    switch (refusal) {
    case SheetOutputParser::Refusal::CellTooLong:
        return xlsread::CellTooLong;
    case SheetOutputParser::Refusal::TooLarge:
        return xlsread::TooLarge;
    default:
        return xlsread::Damaged;
    }
}

} // namespace

bool SheetCells::parse(const QByteArray &output)
{
    clear();
    SheetOutputParser parser(this, ExcelRange{1, xlsread::kMaxRows, 1, xlsread::kMaxColumns});
    return parser.feed(output) && parser.isComplete();
}

SheetOutputParser::SheetOutputParser(SheetCells *cells, const ExcelRange &range)
    : m_cells(cells), m_range(range)
{
}

bool SheetOutputParser::refuse(Refusal refusal)
{
    m_refusal = refusal;
    m_pending.clear();
    m_pending.squeeze();
    return false;
}

bool SheetOutputParser::feed(const QByteArray &bytes)
{
    if (m_refusal != Refusal::None)
        return false;
    m_received += bytes.size();
    if (m_received > xlsread::kMaxOutputBytes + kMaxFrameBytes)
        return refuse(Refusal::TooLarge);
    m_pending += bytes;
    qsizetype at = 0;
    auto available = [&] { return m_pending.size() - at; };
    while (available() > 0) {
        if (m_textBytes >= 0) {
            if (available() < m_textBytes + 1)
                break;
            if (m_pending[at + m_textBytes] != '\n')
                return refuse(Refusal::Damaged);
            const QString text = QString::fromUtf8(m_pending.constData() + at, m_textBytes);
            if (text.size() > xlsread::kMaxCellChars)
                return refuse(Refusal::CellTooLong);
            m_cells->insert(m_row, m_column, text);
            ++m_count;
            at += m_textBytes + 1;
            m_textBytes = -1;
            continue;
        }
        const qsizetype end = m_pending.indexOf('\n', at);
        if (end < 0) {
            if (available() > kMaxLineBytes)
                return refuse(Refusal::Damaged);
            break;
        }
        const QByteArray line = m_pending.mid(at, end - at);
        at = end + 1;
        bool taken = false;
        if (m_ended)
            taken = false; // nothing may follow the END line
        else if (!m_headerSeen)
            taken = takeHeader(line);
        else if (line.startsWith("END "))
            taken = takeEnd(line);
        else
            taken = takeCellLine(line);
        if (!taken)
            return m_refusal == Refusal::None ? refuse(Refusal::Damaged) : false;
    }
    m_pending.remove(0, at);
    return true;
}

bool SheetOutputParser::takeHeader(const QByteArray &line)
{
    m_headerSeen = line == xlsread::kHeader;
    return m_headerSeen;
}

bool SheetOutputParser::takeCellLine(const QByteArray &line)
{
    qint64 bytes = 0;
    if (!parseCellLine(line, &m_row, &m_column, &bytes))
        return false;
    if (!m_range.contains(m_row, m_column) || m_cells->contains(m_row, m_column))
        return false;
    if (bytes > kMaxCellBytes)
        return refuse(Refusal::CellTooLong);
    m_textBytes = bytes;
    return true;
}

bool SheetOutputParser::takeEnd(const QByteArray &line)
{
    bool ok = false;
    m_ended = line.mid(4).toLongLong(&ok) == m_count && ok;
    return m_ended;
}

QString ExcelWorkbookReader::defaultProgram()
{
    return ProgramDir::helperProgram(QString::fromLatin1(xlsread::kProgramName));
}

ExcelWorkbookReader::ExcelWorkbookReader(const QString &program, QObject *parent)
    : QObject(parent), m_program(program)
{
}

bool ExcelWorkbookReader::isInstalled(QString *error) const
{
    const QFileInfo info(m_program);
    if (info.isFile() && info.isExecutable())
        return true;
    if (error)
        *error = QStringLiteral("Excel okuma aracı bulunamadı:\n%1\nProgram kurulumunu denetleyin.")
                     .arg(QDir::toNativeSeparators(m_program));
    return false;
}

QString ExcelWorkbookReader::failureText(const QString &path, int exitCode) const
{
    const QString name = QFileInfo(path).fileName();
    switch (exitCode) {
    case xlsread::CannotOpen:
        return QStringLiteral("\"%1\" dosyası açılamadı. Dosya taşınmış, silinmiş ya da dosyayı "
                              "okuma izniniz olmayabilir.")
            .arg(name);
    case xlsread::NotWorkbook:
        return QStringLiteral(
                   "\"%1\" bir Excel çalışma kitabı değil; HTML, CSV ya da düz metin olarak "
                   "kaydedilmiş olabilir.\nDosyayı Excel'de açıp \"Excel Çalışma Kitabı "
                   "(*.xlsx)\" ya da \"Excel 97-2003 Çalışma Kitabı (*.xls)\" olarak "
                   "kaydettikten sonra yeniden deneyin.")
            .arg(name);
    case xlsread::OldFormat:
        return QStringLiteral(
                   "\"%1\" eski bir Excel biçiminde (Excel 2.x - 4.x) kaydedilmiş; bu biçim "
                   "okunamıyor.\nDosyayı Excel'de açıp \"Excel Çalışma Kitabı (*.xlsx)\" ya da "
                   "\"Excel 97-2003 Çalışma Kitabı (*.xls)\" olarak yeniden kaydettikten sonra "
                   "tekrar deneyin.")
            .arg(name);
    case xlsread::CellTooLong:
        return QStringLiteral(
                   "\"%1\" okunmadı: çalışma kitabında Excel'in bir hücrede tutabileceğinden "
                   "(%2 karakter) uzun bir hücre var. Dosya bozuk ya da Excel dışında bir "
                   "programla hazırlanmış olabilir.\nDosyayı Excel'de açıp bu hücreyi "
                   "kısalttıktan sonra yeniden kaydedip tekrar deneyin.")
            .arg(name, QLocale(QLocale::Turkish).toString(xlsread::kMaxCellChars));
    case xlsread::TooLarge:
        return QStringLiteral(
                   "\"%1\" okunmadı: çalışma sayfası bir birim listesi için fazla büyük.\n"
                   "Aktarılacak satırları yeni bir çalışma kitabına kopyalayıp kaydettikten "
                   "sonra o çalışma kitabını seçin.")
            .arg(name);
    case xlsread::EmptyFile:
        return QStringLiteral("\"%1\" dosyası boş.").arg(name);
    case xlsread::Encrypted:
        return QStringLiteral(
                   "\"%1\" çalışma kitabı parola ile korunuyor. Parolayı Excel'de kaldırıp "
                   "yeniden deneyin.")
            .arg(name);
    case xlsread::NoWorksheet:
        return QStringLiteral("\"%1\" çalışma kitabında hiç çalışma sayfası yok.").arg(name);
    default:
        return QStringLiteral("\"%1\" çalışma kitabı bozuk olduğu için okunamadı.").arg(name);
    }
}

ExcelWorkbookReader::Run ExcelWorkbookReader::runReader(const QStringList &arguments,
                                                        SheetOutputParser *parser) const
{
    Run run;
    QProcess process;
    process.setProgram(m_program);
    process.setArguments(arguments);
    // Its reasons are for a person at a terminal; the exit code tells the program.
    process.setStandardErrorFile(QProcess::nullDevice());
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &process, [&] {
        run.timedOut = true;
        process.kill();
    });
    // The output is taken as it comes: once refused, the rest is read only to be dropped.
    auto takeOutput = [&] {
        const QByteArray bytes = process.readAllStandardOutput();
        if (run.refused != SheetOutputParser::Refusal::None || run.timedOut)
            return;
        if (!parser->feed(bytes)) {
            run.refused = parser->refusal();
            process.kill();
        }
    };
    connect(&process, &QProcess::readyReadStandardOutput, &process, takeOutput);
    connect(&process, &QProcess::finished, &wait, &QEventLoop::quit);
    connect(&process, &QProcess::errorOccurred, &wait, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            run.startError = QStringLiteral("program başlatılamadı: dosyası bozuk ya da "
                                            "çalıştırma izni yok");
            wait.quit();
        }
    });

    process.start(QIODevice::ReadOnly);
    limit.start(m_timeLimitMs);
    if (run.startError.isEmpty())
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    takeOutput();
    run.complete = parser->isComplete();
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = process.exitCode();
    return run;
}

bool ExcelWorkbookReader::read(const QString &path, const ExcelRange &range, SheetCells *cells,
                               QString *error)
{
    cells->clear();
    error->clear();
    if (!isInstalled(error))
        return false;

    SheetOutputParser parser(cells, range);
    const Run run =
        runReader({path, QStringLiteral("--rows"), QString::number(range.firstRow),
                   QString::number(range.lastRow), QStringLiteral("--columns"),
                   QString::number(range.firstColumn), QString::number(range.lastColumn)},
                  &parser);
    const QString name = QFileInfo(path).fileName();
    if (!run.startError.isEmpty())
        *error = QStringLiteral("Excel okuma aracı çalıştırılamadı:\n%1\n%2")
                     .arg(QDir::toNativeSeparators(m_program), run.startError);
    else if (run.timedOut)
        *error =
            QStringLiteral("\"%1\" %2 saniye içinde okunamadığı için okuma durduruldu. Çalışma "
                           "kitabı bozuk ya da çok büyük olabilir.")
                .arg(name, QLocale(QLocale::Turkish).toString(m_timeLimitMs / 1000.0));
    else if (run.refused != SheetOutputParser::Refusal::None)
        *error = failureText(path, exitFor(run.refused));
    else if (run.crashed)
        *error = QStringLiteral("\"%1\" okunurken Excel okuma aracı beklenmedik biçimde sonlandı; "
                                "çalışma kitabı bozuk olabilir.")
                     .arg(name);
    else if (run.exitCode != xlsread::Ok)
        *error = failureText(path, run.exitCode);
    else if (!run.complete)
        *error = failureText(path, xlsread::Damaged);
    if (error->isEmpty())
        return true;
    cells->clear();
    return false;
}
