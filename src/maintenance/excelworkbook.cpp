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

// Six columns of a million rows of long texts stay far below this; more is a hostile file.
constexpr qint64 kMaxOutput = qint64(512) << 20;

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

} // namespace

bool SheetCells::parse(const QByteArray &output)
{
    m_cells.clear();
    qsizetype at = 0;
    auto nextLine = [&](QByteArray *line) {
        const qsizetype end = output.indexOf('\n', at);
        if (end < 0)
            return false;
        *line = output.mid(at, end - at);
        at = end + 1;
        return true;
    };
    QByteArray line;
    if (!nextLine(&line) || line != xlsread::kHeader)
        return false;
    qint64 count = 0;
    while (nextLine(&line)) {
        if (line.startsWith("END ")) {
            bool ok = false;
            return line.mid(4).toLongLong(&ok) == count && ok && at == output.size();
        }
        int row = 0, column = 0;
        qint64 bytes = 0;
        if (!parseCellLine(line, &row, &column, &bytes) || at + bytes + 1 > output.size() ||
            output[at + bytes] != '\n')
            return false;
        insert(row, column, QString::fromUtf8(output.constData() + at, bytes));
        at += bytes + 1;
        ++count;
    }
    return false;
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

ExcelWorkbookReader::Run ExcelWorkbookReader::runReader(const QStringList &arguments) const
{
    Run run;
    QProcess process;
    process.setProgram(m_program);
    process.setArguments(arguments);
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &process, [&] {
        run.timedOut = true;
        process.kill();
    });
    connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        run.output += process.readAllStandardOutput();
        if (run.output.size() > kMaxOutput && !run.tooLong) {
            run.tooLong = true;
            process.kill();
        }
    });
    connect(&process, &QProcess::finished, &wait, &QEventLoop::quit);
    connect(&process, &QProcess::errorOccurred, &wait, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            run.startError = process.errorString();
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
    run.output += process.readAllStandardOutput();
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

    const Run run =
        runReader({path, QStringLiteral("--rows"), QString::number(range.firstRow),
                   QString::number(range.lastRow), QStringLiteral("--columns"),
                   QString::number(range.firstColumn), QString::number(range.lastColumn)});
    const QString name = QFileInfo(path).fileName();
    if (!run.startError.isEmpty())
        *error = QStringLiteral("Excel okuma aracı çalıştırılamadı:\n%1\n%2")
                     .arg(QDir::toNativeSeparators(m_program), run.startError);
    else if (run.timedOut)
        *error =
            QStringLiteral("\"%1\" %2 saniye içinde okunamadığı için okuma durduruldu. Çalışma "
                           "kitabı bozuk ya da çok büyük olabilir.")
                .arg(name, QLocale(QLocale::Turkish).toString(m_timeLimitMs / 1000.0));
    else if (run.tooLong || run.crashed)
        *error = QStringLiteral("\"%1\" okunurken Excel okuma aracı beklenmedik biçimde sonlandı; "
                                "çalışma kitabı bozuk olabilir.")
                     .arg(name);
    else if (run.exitCode != xlsread::Ok)
        *error = failureText(path, run.exitCode);
    else if (!cells->parse(run.output))
        *error = failureText(path, xlsread::Damaged);
    if (error->isEmpty())
        return true;
    cells->clear();
    return false;
}
