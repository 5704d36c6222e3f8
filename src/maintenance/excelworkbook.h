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
    int size() const { return int(m_cells.size()); }
    void clear() { m_cells.clear(); }

    // Takes the reader's output; false when it is not complete.
    bool parse(const QByteArray &output);

private:
    static quint64 key(int row, int column)
    {
        return (quint64(quint32(row)) << 32) | quint32(column);
    }
    QHash<quint64, QString> m_cells;
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
        QByteArray output;
        QString startError; // not empty when it could not start
        bool timedOut = false;
        bool tooLong = false; // more output than any workbook gives
        bool crashed = false;
        int exitCode = 0;
    };
    Run runReader(const QStringList &arguments) const;
    QString failureText(const QString &path, int exitCode) const;

    QString m_program;
    int m_timeLimitMs = 30000;
};
