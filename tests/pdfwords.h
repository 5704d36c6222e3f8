#pragma once

// Reading PDF files back with poppler's command-line tools, as a user's viewer sees them.

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStringList>

struct PdfWord {
    QString text;
    QRectF mm; // from the top-left corner of its page
    int page;  // from 0
};

// Runs a tool and returns what it printed; empty when it failed.
inline QString pdfTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The words of every page with their boxes (pdftotext -bbox).
inline QList<PdfWord> pdfWords(const QString &path)
{
    const QString html =
        pdfTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    constexpr double mmPerPoint = 25.4 / 72;
    QList<PdfWord> words;
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * mmPerPoint,
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * mmPerPoint);
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        words.append({text, box, page});
    }
    return words;
}

// The plain text of one page (from 1), lines as the layout puts them.
inline QString pdfPageText(const QString &path, int page)
{
    return pdfTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                    QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
}

// The fonts as "name embedded" lines (pdffonts), e.g. "LiberationMono-Bold yes".
inline QStringList pdfFonts(const QString &path)
{
    QStringList fonts;
    const QStringList lines = pdfTool(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'));
    for (const QString &line : lines.mid(2)) {
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (columns.size() >= 7)
            fonts << columns.first() + QLatin1Char(' ') + columns.at(columns.size() - 5);
    }
    return fonts;
}

// How many pictures the pages draw (pdfimages -list).
inline int pdfImageCount(const QString &path)
{
    const QStringList lines = pdfTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path})
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return std::max(0, int(lines.size()) - 2);
}

// How many pages the file has (pdfinfo).
inline int pdfPageCount(const QString &path)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(pdfTool(QStringLiteral("pdfinfo"), {path})).captured(1).toInt();
}
