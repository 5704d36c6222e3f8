#pragma once

#include "excelprotocol.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// The cells of a worksheet that were read, as text; a cell not read is empty.
class SheetCells
{
public:
    QString text(int row, int column) const { return m_cells.value(key(row, column)); }
    void insert(int row, int column, const QString &text)
    {
        m_cells.insert(key(row, column), text);
    }
    bool contains(int row, int column) const { return m_cells.contains(key(row, column)); }
    int size() const { return int(m_cells.size()); }
    void clear() { m_cells.clear(); }

    // Takes the reader's output whole; false when it is not complete.
    bool parse(const QByteArray &output);

private:
    static quint64 key(int row, int column)
    {
        return (quint64(quint32(row)) << 32) | quint32(column);
    }
    QHash<quint64, QString> m_cells;
};

// Takes the reader's output piece by piece as it arrives, keeping only the cells, so that
// what is refused never has to be held. It refuses at once output that breaks the protocol,
// a cell outside the range asked for or given twice, a cell longer than Excel keeps, and
// more output than the reader may print.
class SheetOutputParser
{
public:
    enum class Refusal { None, Damaged, CellTooLong, TooLarge };

    SheetOutputParser(SheetCells *cells, const ExcelRange &range);
    // False once the output is refused.
    bool feed(const QByteArray &bytes);
    // Whether the output ended with its END line and nothing after it.
    bool isComplete() const { return m_ended && m_refusal == Refusal::None; }
    Refusal refusal() const { return m_refusal; }

private:
    bool takeLine(QByteArray *line);
    bool takeHeader(const QByteArray &line);
    bool takeCellLine(const QByteArray &line);
    bool takeEnd(const QByteArray &line);
    bool refuse(Refusal refusal);

    SheetCells *m_cells;
    ExcelRange m_range;
    QByteArray m_pending;
    qint64 m_received = 0;
    qint64 m_count = 0;
    bool m_headerSeen = false;
    bool m_ended = false;
    // The cell whose text is being received: its place and byte count.
    int m_row = 0, m_column = 0;
    qint64 m_textBytes = -1;
    Refusal m_refusal = Refusal::None;
};

// Reads the first worksheet of a workbook through the reader program beside the program.
// The reader runs as a process of its own under a time limit, so that a damaged or hostile
// workbook that crashes or hangs it costs only a message. While it runs the windows keep
// painting; what the user types or clicks meanwhile waits until the read is over.
class ExcelWorkbookReader : public QObject
{
    Q_OBJECT
public:
    // The reader program in the program folder, else the one beside the running program.
    static QString defaultProgram();

    explicit ExcelWorkbookReader(const QString &program, QObject *parent = nullptr);

    QString program() const { return m_program; }
    // Whether the reader is there to be started; if not, *error says so.
    bool isInstalled(QString *error = nullptr) const;
    void setTimeLimit(int ms) { m_timeLimitMs = ms; }
    int timeLimit() const { return m_timeLimitMs; }

    // Reads the cells of the range into *cells; false with the Turkish message in *error.
    bool read(const QString &path, const ExcelRange &range, SheetCells *cells, QString *error);

private:
    // How a run of the reader ended.
    struct Run {
        QString startError; // not empty when it could not start
        bool timedOut = false;
        SheetOutputParser::Refusal refused = SheetOutputParser::Refusal::None;
        bool complete = false; // the output ended as it should
        bool crashed = false;
        int exitCode = 0;
    };
    Run runReader(const QStringList &arguments, SheetOutputParser *parser) const;
    QString failureText(const QString &path, int exitCode) const;

    QString m_program;
    int m_timeLimitMs = 30000;
};
