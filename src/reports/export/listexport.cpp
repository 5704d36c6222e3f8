#include "listexport.h"

#include "data/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QXmlStreamWriter>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <cctype>
#include <zlib.h>

namespace listexport
{

namespace
{

// Rows between two reports of progress: often enough for a cancel click to be taken
// promptly, rarely enough that the progress window costs nothing.
constexpr int kRowsPerStep = 2000;
// Bytes gathered before they are handed to the file or the compressor.
constexpr qsizetype kBatchBytes = qsizetype(1) << 18;

const QString kCsvSeparator = QStringLiteral(";");
const QString kCsvLineEnd = QStringLiteral("\r\n");

// Gathers many small writes and hands them on in large pieces: every write to a zip entry
// runs the compressor, every write to a SafeFile is a system call.
class Batching : public QIODevice
{
public:
    explicit Batching(QIODevice *target) : m_target(target)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    // Hands on what is gathered; false when the target refused a write, now or before.
    bool handOn()
    {
        if (!m_failed && !m_pending.isEmpty() &&
            m_target->write(m_pending) != qint64(m_pending.size()))
            m_failed = true;
        m_pending.clear();
        return !m_failed;
    }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        if (m_failed)
            return -1;
        m_pending.append(data, qsizetype(length));
        if (m_pending.size() >= kBatchBytes && !handOn())
            return -1;
        return length;
    }

private:
    QIODevice *m_target;
    QByteArray m_pending;
    bool m_failed = false;
};

// Asks `progress` whether to go on at every step of rows; true without one.
class Steps
{
public:
    Steps(Progress *progress, int total) : m_progress(progress), m_total(total)
    {
        progress::begin(progress, QString(), total);
    }
    bool proceed(int done)
    {
        if (done % kRowsPerStep != 0 && done != m_total)
            return true;
        return progress::reached(m_progress, done);
    }

private:
    Progress *m_progress;
    int m_total;
};

// ---------------------------------------------------------------- workbook parts

namespace ns
{
const QString main = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString relationships =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString packageRelationships =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString contentTypes =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
} // namespace ns

// The workbook's styles: 0 the default, 1 the bold caption row, 2 the rows. Captions and rows
// are formatted as text ("@"), so a value typed over one later stays text as well.
constexpr int kCaptionStyle = 1;
constexpr int kRowStyle = 2;

void startPart(QXmlStreamWriter &w)
{
    w.setAutoFormatting(false);
    w.writeStartDocument(QStringLiteral("1.0"), true);
}

QByteArray contentTypesPart()
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    startPart(w);
    w.writeStartElement(QStringLiteral("Types"));
    w.writeDefaultNamespace(ns::contentTypes);
    const auto byExtension = [&](const QString &extension, const QString &type) {
        w.writeEmptyElement(QStringLiteral("Default"));
        w.writeAttribute(QStringLiteral("Extension"), extension);
        w.writeAttribute(QStringLiteral("ContentType"), type);
    };
    const auto byPart = [&](const QString &part, const QString &type) {
        w.writeEmptyElement(QStringLiteral("Override"));
        w.writeAttribute(QStringLiteral("PartName"), part);
        w.writeAttribute(QStringLiteral("ContentType"), type);
    };
    byExtension(QStringLiteral("rels"),
                QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    byExtension(QStringLiteral("xml"), QStringLiteral("application/xml"));
    const QString sheetml = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.");
    byPart(QStringLiteral("/xl/workbook.xml"), sheetml + QStringLiteral("sheet.main+xml"));
    byPart(QStringLiteral("/xl/worksheets/sheet1.xml"), sheetml + QStringLiteral("worksheet+xml"));
    byPart(QStringLiteral("/xl/styles.xml"), sheetml + QStringLiteral("styles+xml"));
    byPart(QStringLiteral("/docProps/core.xml"),
           QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
    byPart(QStringLiteral("/docProps/app.xml"),
           QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml"));
    w.writeEndDocument();
    return out;
}

struct Relationship {
    QString id;
    QString type;
    QString target;
};

QByteArray relationshipsPart(const QList<Relationship> &relationships)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    startPart(w);
    w.writeStartElement(QStringLiteral("Relationships"));
    w.writeDefaultNamespace(ns::packageRelationships);
    for (const Relationship &r : relationships) {
        w.writeEmptyElement(QStringLiteral("Relationship"));
        w.writeAttribute(QStringLiteral("Id"), r.id);
        w.writeAttribute(QStringLiteral("Type"), r.type);
        w.writeAttribute(QStringLiteral("Target"), r.target);
    }
    w.writeEndDocument();
    return out;
}

QByteArray packageRelationshipsPart()
{
    const QString office =
        QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    return relationshipsPart(
        {{QStringLiteral("rId1"), office + QStringLiteral("officeDocument"), QStringLiteral("xl/workbook.xml")},
         {QStringLiteral("rId2"),
          QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"),
          QStringLiteral("docProps/core.xml")},
         {QStringLiteral("rId3"), office + QStringLiteral("extended-properties"),
          QStringLiteral("docProps/app.xml")}});
}

QByteArray workbookRelationshipsPart()
{
    const QString office =
        QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    return relationshipsPart(
        {{QStringLiteral("rId1"), office + QStringLiteral("worksheet"), QStringLiteral("worksheets/sheet1.xml")},
         {QStringLiteral("rId2"), office + QStringLiteral("styles"), QStringLiteral("styles.xml")}});
}

QByteArray workbookPart(const QString &sheetName)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    startPart(w);
    w.writeStartElement(QStringLiteral("workbook"));
    w.writeDefaultNamespace(ns::main);
    w.writeNamespace(ns::relationships, QStringLiteral("r"));
    w.writeStartElement(QStringLiteral("sheets"));
    w.writeEmptyElement(QStringLiteral("sheet"));
    w.writeAttribute(QStringLiteral("name"), sheetName);
    w.writeAttribute(QStringLiteral("sheetId"), QStringLiteral("1"));
    w.writeAttribute(ns::relationships, QStringLiteral("id"), QStringLiteral("rId1"));
    w.writeEndDocument();
    return out;
}

QByteArray stylesPart()
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    startPart(w);
    w.writeStartElement(QStringLiteral("styleSheet"));
    w.writeDefaultNamespace(ns::main);

    w.writeStartElement(QStringLiteral("fonts"));
    w.writeAttribute(QStringLiteral("count"), QStringLiteral("2"));
    for (bool bold : {false, true}) {
        w.writeStartElement(QStringLiteral("font"));
        if (bold)
            w.writeEmptyElement(QStringLiteral("b"));
        w.writeEmptyElement(QStringLiteral("sz"));
        w.writeAttribute(QStringLiteral("val"), QStringLiteral("11"));
        w.writeEmptyElement(QStringLiteral("name"));
        w.writeAttribute(QStringLiteral("val"), QStringLiteral("Calibri"));
        w.writeEmptyElement(QStringLiteral("family"));
        w.writeAttribute(QStringLiteral("val"), QStringLiteral("2"));
        w.writeEndElement();
    }
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("fills"));
    w.writeAttribute(QStringLiteral("count"), QStringLiteral("2"));
    for (const QString &pattern : {QStringLiteral("none"), QStringLiteral("gray125")}) {
        w.writeStartElement(QStringLiteral("fill"));
        w.writeEmptyElement(QStringLiteral("patternFill"));
        w.writeAttribute(QStringLiteral("patternType"), pattern);
        w.writeEndElement();
    }
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("borders"));
    w.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    w.writeStartElement(QStringLiteral("border"));
    for (const char *side : {"left", "right", "top", "bottom", "diagonal"})
        w.writeEmptyElement(QLatin1String(side));
    w.writeEndElement();
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("cellStyleXfs"));
    w.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    w.writeEmptyElement(QStringLiteral("xf"));
    for (const char *attribute : {"numFmtId", "fontId", "fillId", "borderId"})
        w.writeAttribute(QLatin1String(attribute), QStringLiteral("0"));
    w.writeEndElement();

    // 49 is the built-in text format "@".
    struct Xf {
        const char *numFmtId;
        const char *fontId;
    };
    const Xf xfs[] = {{"0", "0"}, {"49", "1"}, {"49", "0"}};
    w.writeStartElement(QStringLiteral("cellXfs"));
    w.writeAttribute(QStringLiteral("count"), QString::number(std::size(xfs)));
    for (const Xf &xf : xfs) {
        w.writeEmptyElement(QStringLiteral("xf"));
        w.writeAttribute(QStringLiteral("numFmtId"), QLatin1String(xf.numFmtId));
        w.writeAttribute(QStringLiteral("fontId"), QLatin1String(xf.fontId));
        w.writeAttribute(QStringLiteral("fillId"), QStringLiteral("0"));
        w.writeAttribute(QStringLiteral("borderId"), QStringLiteral("0"));
        w.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
        if (QLatin1String(xf.numFmtId) != QLatin1String("0"))
            w.writeAttribute(QStringLiteral("applyNumberFormat"), QStringLiteral("1"));
        if (QLatin1String(xf.fontId) != QLatin1String("0"))
            w.writeAttribute(QStringLiteral("applyFont"), QStringLiteral("1"));
    }
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("cellStyles"));
    w.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    w.writeEmptyElement(QStringLiteral("cellStyle"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("Normal"));
    w.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
    w.writeAttribute(QStringLiteral("builtinId"), QStringLiteral("0"));
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray corePropertiesPart(const QString &title)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    startPart(w);
    const QString cp =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
    const QString dc = QStringLiteral("http://purl.org/dc/elements/1.1/");
    const QString dcterms = QStringLiteral("http://purl.org/dc/terms/");
    const QString xsi = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
    w.writeNamespace(cp, QStringLiteral("cp"));
    w.writeNamespace(dc, QStringLiteral("dc"));
    w.writeNamespace(dcterms, QStringLiteral("dcterms"));
    w.writeNamespace(xsi, QStringLiteral("xsi"));
    w.writeStartElement(cp, QStringLiteral("coreProperties"));
    w.writeTextElement(dc, QStringLiteral("title"), title);
    w.writeTextElement(dc, QStringLiteral("creator"), QStringLiteral("Meltora"));
    w.writeStartElement(dcterms, QStringLiteral("created"));
    w.writeAttribute(xsi, QStringLiteral("type"), QStringLiteral("dcterms:W3CDTF"));
    w.writeCharacters(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray appPropertiesPart()
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    startPart(w);
    w.writeStartElement(QStringLiteral("Properties"));
    w.writeDefaultNamespace(QStringLiteral(
        "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"));
    w.writeTextElement(QStringLiteral("Application"), QStringLiteral("Meltora"));
    w.writeEndDocument();
    return out;
}

// ---------------------------------------------------------------- the sheet

// Column widths in the workbook's unit (the width of a digit): wide enough for the longest
// value or caption, within limits that keep a sheet of long addresses readable.
std::vector<double> fittingWidths(const ShownList &list, Steps &steps, bool *cancelled)
{
    const int columns = list.columnCount();
    std::vector<qsizetype> longest(size_t(columns), 0);
    for (int c = 0; c < columns; ++c)
        longest[size_t(c)] = list.caption(c).size();
    const int rows = list.rowCount();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            longest[size_t(c)] = std::max(longest[size_t(c)], list.text(r, c).size());
        if (!steps.proceed(r + 1)) {
            *cancelled = true;
            return {};
        }
    }
    std::vector<double> widths;
    for (qsizetype characters : longest)
        // Capitals, as most of the register is written, are wider than digits.
        widths.push_back(std::clamp(double(characters) * 1.15 + 2.0, 6.0, 80.0));
    return widths;
}

void writeSheetStart(QXmlStreamWriter &w, const ShownList &list, const std::vector<double> &widths)
{
    startPart(w);
    w.writeStartElement(QStringLiteral("worksheet"));
    w.writeDefaultNamespace(ns::main);
    w.writeNamespace(ns::relationships, QStringLiteral("r"));

    const int columns = list.columnCount();
    w.writeEmptyElement(QStringLiteral("dimension"));
    w.writeAttribute(QStringLiteral("ref"),
                     QStringLiteral("A1:%1%2")
                         .arg(columnLetters(std::max(columns, 1) - 1))
                         .arg(list.rowCount() + 1));

    // The caption row stays in view while the rows scroll.
    w.writeStartElement(QStringLiteral("sheetViews"));
    w.writeStartElement(QStringLiteral("sheetView"));
    w.writeAttribute(QStringLiteral("workbookViewId"), QStringLiteral("0"));
    w.writeEmptyElement(QStringLiteral("pane"));
    w.writeAttribute(QStringLiteral("ySplit"), QStringLiteral("1"));
    w.writeAttribute(QStringLiteral("topLeftCell"), QStringLiteral("A2"));
    w.writeAttribute(QStringLiteral("activePane"), QStringLiteral("bottomLeft"));
    w.writeAttribute(QStringLiteral("state"), QStringLiteral("frozen"));
    w.writeEndElement();
    w.writeEndElement();

    w.writeEmptyElement(QStringLiteral("sheetFormatPr"));
    w.writeAttribute(QStringLiteral("defaultRowHeight"), QStringLiteral("15"));
    if (columns > 0) {
        w.writeStartElement(QStringLiteral("cols"));
        for (int c = 0; c < columns; ++c) {
            w.writeEmptyElement(QStringLiteral("col"));
            w.writeAttribute(QStringLiteral("min"), QString::number(c + 1));
            w.writeAttribute(QStringLiteral("max"), QString::number(c + 1));
            w.writeAttribute(QStringLiteral("width"), QString::number(widths[size_t(c)], 'f', 2));
            w.writeAttribute(QStringLiteral("customWidth"), QStringLiteral("1"));
            w.writeAttribute(QStringLiteral("style"), QString::number(kRowStyle));
        }
        w.writeEndElement();
    }
    w.writeStartElement(QStringLiteral("sheetData"));
}

// The names the hot loop writes, made once.
struct CellNames {
    const QString row = QStringLiteral("row");
    const QString r = QStringLiteral("r");
    const QString c = QStringLiteral("c");
    const QString s = QStringLiteral("s");
    const QString t = QStringLiteral("t");
    const QString is = QStringLiteral("is");
    const QString inlineStr = QStringLiteral("inlineStr");
    const QString space = QStringLiteral("xml:space");
    const QString preserve = QStringLiteral("preserve");
    const QString captionStyle = QString::number(kCaptionStyle);
    const QString rowStyle = QString::number(kRowStyle);
};

bool needsPreservedSpace(const QString &text)
{
    return text.front().isSpace() || text.back().isSpace();
}

// A text cell: an inline string, which a spreadsheet shows as it is and never evaluates.
void writeTextCell(QXmlStreamWriter &w, const CellNames &n, const QString &reference,
                   const QString &style, const QString &text)
{
    w.writeStartElement(n.c);
    w.writeAttribute(n.r, reference);
    w.writeAttribute(n.s, style);
    w.writeAttribute(n.t, n.inlineStr);
    w.writeStartElement(n.is);
    w.writeStartElement(n.t);
    if (needsPreservedSpace(text))
        w.writeAttribute(n.space, n.preserve);
    w.writeCharacters(workbookText(text));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
}

void writeRow(QXmlStreamWriter &w, const CellNames &n, const QStringList &letters, int sheetRow,
              const QString &style, const std::function<QString(int column)> &textOf)
{
    const QString number = QString::number(sheetRow);
    w.writeStartElement(n.row);
    w.writeAttribute(n.r, number);
    for (int c = 0; c < letters.size(); ++c) {
        const QString text = textOf(c);
        if (!text.isEmpty()) // an empty value is no cell at all
            writeTextCell(w, n, letters[c] + number, style, text);
    }
    w.writeEndElement();
}

void appendEscaped(QString &xml, const QString &text)
{
    for (QChar ch : text) {
        switch (ch.unicode()) {
        case u'&':
            xml += QLatin1String("&amp;");
            break;
        case u'<':
            xml += QLatin1String("&lt;");
            break;
        case u'>':
            xml += QLatin1String("&gt;");
            break;
        default:
            xml += ch;
        }
    }
}

// One row of text cells as writeRow() writes it.
void appendRow(QString &xml, const QStringList &letters, int sheetRow,
               const std::function<QString(int column)> &textOf)
{
    const QString number = QString::number(sheetRow);
    xml += QLatin1String("<row r=\"") + number + QLatin1String("\">");
    for (int c = 0; c < letters.size(); ++c) {
        const QString text = textOf(c);
        if (text.isEmpty())
            continue;
        xml += QLatin1String("<c r=\"") + letters[c] + number +
               QLatin1String("\" s=\"2\" t=\"inlineStr\"><is><t");
        if (needsPreservedSpace(text))
            xml += QLatin1String(" xml:space=\"preserve\"");
        xml += QLatin1Char('>');
        appendEscaped(xml, workbookText(text));
        xml += QLatin1String("</t></is></c>");
    }
    xml += QLatin1String("</row>");
}

// The sheet itself; false when a write failed or the work was stopped.
bool writeSheet(QIODevice *entry, const ShownList &list, const std::vector<double> &widths,
                Steps &steps, int stepsBefore, bool *cancelled)
{
    Batching batch(entry);
    QXmlStreamWriter w(&batch);
    writeSheetStart(w, list, widths);
    const CellNames n;
    QStringList letters;
    for (int c = 0; c < list.columnCount(); ++c)
        letters << columnLetters(c);
    writeRow(w, n, letters, 1, n.captionStyle, [&](int c) { return list.caption(c); });
    // The rows, the bulk of the sheet, are put together here in the very form the XML writer
    // gives them: its calls per cell took most of the time. It has closed every element it
    // opened inside the sheet's data, so the rows follow its output directly.
    const int rows = list.rowCount();
    QString xml;
    for (int r = 0; r < rows; ++r) {
        xml.clear();
        appendRow(xml, letters, r + 2, [&](int c) { return list.text(r, c); });
        batch.write(xml.toUtf8());
        if (batch.failed())
            return false;
        if (!steps.proceed(stepsBefore + r + 1)) {
            *cancelled = true;
            return false;
        }
    }
    w.writeEndDocument();
    return batch.handOn() && !w.hasError();
}

// One member of the workbook's zip; false when it could not be written whole.
bool writeEntry(QuaZip &zip, const QString &name, const std::function<bool(QIODevice *)> &write)
{
    QuaZipNewInfo info(name);
    info.dateTime = QDateTime::currentDateTime();
    QuaZipFile entry(&zip);
    // The quickest compression: the sheet is large and plain, the file small anyway.
    if (!entry.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_BEST_SPEED))
        return false;
    const bool written = write(&entry);
    entry.close();
    return written && entry.getZipError() == ZIP_OK;
}

bool writeBytes(QuaZip &zip, const QString &name, const QByteArray &bytes)
{
    return writeEntry(zip, name, [&](QIODevice *entry) { return entry->write(bytes) == bytes.size(); });
}

} // namespace

// ---------------------------------------------------------------- formats and texts

std::optional<Format> formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return Format::Xlsx;
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    return std::nullopt;
}

QString suffixOf(Format format)
{
    return format == Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
}

bool looksLikeFormula(const QString &value)
{
    if (value.isEmpty())
        return false;
    switch (value.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
        return true;
    default:
        return false;
    }
}

QString csvField(const QString &value)
{
    QString field = looksLikeFormula(value) ? QLatin1Char('\'') + value : value;
    const bool quoted = field.contains(u';') || field.contains(u'"') || field.contains(u'\n') ||
                        field.contains(u'\r');
    if (!quoted)
        return field;
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString sheetNameOf(const QString &title)
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    QString name;
    for (QChar ch : title.simplified())
        if (!forbidden.contains(ch) && ch.unicode() >= 0x20)
            name += ch;
    // An apostrophe may not begin or end a sheet's name.
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    name = name.left(31);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    name = name.trimmed();
    return name.isEmpty() ? QStringLiteral("Liste") : name;
}

QString workbookText(const QString &value)
{
    const auto escaped = [](QChar ch) {
        return QStringLiteral("_x%1_").arg(
            QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    };
    const auto carriable = [](QChar ch) {
        const char16_t c = ch.unicode();
        return (c >= 0x20 && c != 0xFFFE && c != 0xFFFF) || c == u'\t' || c == u'\n';
    };
    // Most values need nothing: they are returned as they are.
    bool plain = !value.contains(QLatin1String("_x"));
    for (QChar ch : value)
        plain = plain && carriable(ch);
    if (plain)
        return value;
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value.at(i);
        // "_x0041_" typed by the user would be read back as "A": its underscore is escaped.
        if (ch == u'_' && i + 6 < value.size() && value.at(i + 1) == u'x' && value.at(i + 6) == u'_') {
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6; ++k)
                hex = hex && value.at(k).unicode() < 128 && std::isxdigit(int(value.at(k).unicode()));
            if (hex) {
                out += escaped(ch);
                continue;
            }
        }
        // A carriage return would be lost to the reader's line-end rule; other control
        // characters XML cannot carry at all.
        out += carriable(ch) ? QString(ch) : escaped(ch);
    }
    return out;
}

QString columnLetters(int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters;
}

// ---------------------------------------------------------------- the writers

bool writeCsv(const ShownList &list, QIODevice *device, Progress *progress, bool *cancelled)
{
    *cancelled = false;
    Batching batch(device);
    // The byte-order mark tells a spreadsheet that the text is UTF-8.
    batch.write("\xEF\xBB\xBF");
    const int columns = list.columnCount();
    const auto writeLine = [&](const std::function<QString(int)> &textOf) {
        QString line;
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                line += kCsvSeparator;
            line += csvField(textOf(c));
        }
        line += kCsvLineEnd;
        batch.write(line.toUtf8());
    };
    writeLine([&](int c) { return list.caption(c); });
    const int rows = list.rowCount();
    Steps steps(progress, rows);
    for (int r = 0; r < rows; ++r) {
        writeLine([&](int c) { return list.text(r, c); });
        if (batch.failed())
            return false;
        if (!steps.proceed(r + 1)) {
            *cancelled = true;
            return false;
        }
    }
    return batch.handOn();
}

bool writeXlsx(const ShownList &list, const QString &sheetName, QIODevice *device,
               Progress *progress, bool *cancelled)
{
    *cancelled = false;
    // Widths are known only after every value has been seen, and go before the rows: the
    // rows are read twice, and each reading is half of the work shown.
    const int rows = list.rowCount();
    Steps steps(progress, 2 * rows);
    const std::vector<double> widths = fittingWidths(list, steps, cancelled);
    if (*cancelled)
        return false;

    QuaZip zip(device);
    zip.setAutoClose(false);
    // Sizes are written into each member's header, as spreadsheet programs expect them.
    zip.setDataDescriptorWritingEnabled(false);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    const QString name = sheetNameOf(sheetName);
    bool written = writeBytes(zip, QStringLiteral("[Content_Types].xml"), contentTypesPart()) &&
                   writeBytes(zip, QStringLiteral("_rels/.rels"), packageRelationshipsPart()) &&
                   writeBytes(zip, QStringLiteral("docProps/core.xml"), corePropertiesPart(name)) &&
                   writeBytes(zip, QStringLiteral("docProps/app.xml"), appPropertiesPart()) &&
                   writeBytes(zip, QStringLiteral("xl/workbook.xml"), workbookPart(name)) &&
                   writeBytes(zip, QStringLiteral("xl/_rels/workbook.xml.rels"),
                              workbookRelationshipsPart()) &&
                   writeBytes(zip, QStringLiteral("xl/styles.xml"), stylesPart()) &&
                   writeEntry(zip, QStringLiteral("xl/worksheets/sheet1.xml"), [&](QIODevice *entry) {
                       return writeSheet(entry, list, widths, steps, rows, cancelled);
                   });
    zip.close();
    return written && zip.getZipError() == ZIP_OK;
}

Outcome writeFile(const ShownList &list, const QString &path, Format format,
                  const QString &sheetName, Progress *progress)
{
    Outcome outcome;
    SafeFile file(path);
    if (!file.open()) {
        outcome.error = file.failureText();
        return outcome;
    }
    const bool written = format == Format::Xlsx
                             ? writeXlsx(list, sheetName, &file, progress, &outcome.cancelled)
                             : writeCsv(list, &file, progress, &outcome.cancelled);
    if (outcome.cancelled) {
        file.cancel();
        return outcome;
    }
    if (written && file.commit()) {
        outcome.written = true;
        return outcome;
    }
    // The file's own failure says what happened (a full disk); without one, the writer failed.
    outcome.error = file.failure()
                        ? file.failureText()
                        : QStringLiteral("'%1' dosyası yazılamadı: çalışma kitabı oluşturulamadı.")
                              .arg(QDir::toNativeSeparators(path));
    file.cancel();
    return outcome;
}

} // namespace listexport
