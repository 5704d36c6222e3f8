// The first worksheet of an Office Open XML workbook (.xlsx): an unzip through QuaZip and
// Qt's XML stream reader over the package's members, read as they are unpacked.

#include "celltext.h"
#include "maintenance/excelprotocol.h"
#include "sheetreader.h"

#include <QDir>
#include <QHash>
#include <QXmlStreamReader>
#include <optional>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <vector>

namespace
{

using Failure = ReadFailure;

// Members larger than these, unpacked, come from no workbook of units: the first worksheet,
// the shared texts, and every other member (relationships, the workbook, the styles).
constexpr qint64 kMaxSheetBytes = qint64(512) << 20;
constexpr qint64 kMaxSharedStringBytes = qint64(256) << 20;
constexpr qint64 kMaxOtherMemberBytes = qint64(16) << 20;
// The XML reader holds a text, a tag or a comment whole before it hands it over: one that
// runs on longer than this is refused while it is unpacked, before it is held. The longest
// cell Excel writes, every character escaped, stays far below.
constexpr qint64 kMaxTokenBytes = qint64(1) << 20;
// What the shared texts of a workbook may hold in memory all together.
constexpr qsizetype kMaxSharedChars = qsizetype(32) << 20;
constexpr size_t kMaxSharedStrings = size_t(4) << 20;

Failure cellTooLong(const QString &member)
{
    return Failure{xlsread::CellTooLong, QStringLiteral("%1 holds a text longer than %2 characters")
                                             .arg(member)
                                             .arg(xlsread::kMaxCellChars)};
}

// A member as it is unpacked, refused once it runs beyond its size, or once one piece of its
// XML runs beyond kMaxTokenBytes; the XML reader then meets an early end.
class BoundedInput : public QIODevice
{
public:
    BoundedInput(QIODevice *source, const QString &member, qint64 maxBytes)
        : m_source(source), m_member(member), m_maxBytes(maxBytes)
    {
    }
    bool isSequential() const override { return true; }
    // The XML reader handed over a piece: the next one starts here.
    void pieceRead() { m_sincePiece = 0; }
    const std::optional<Failure> &failure() const { return m_failure; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_failure)
            return -1;
        const qint64 n = m_source->read(data, maxSize);
        if (n <= 0)
            return n;
        m_total += n;
        m_sincePiece += n;
        if (m_total > m_maxBytes)
            m_failure =
                Failure{xlsread::TooLarge,
                        QStringLiteral("%1 is larger than %2 bytes").arg(m_member).arg(m_maxBytes)};
        else if (m_sincePiece > kMaxTokenBytes)
            m_failure = cellTooLong(m_member);
        return m_failure ? -1 : n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice *m_source;
    QString m_member;
    qint64 m_maxBytes;
    qint64 m_total = 0;
    qint64 m_sincePiece = 0;
    std::optional<Failure> m_failure;
};

// Qt's XML reader over a bounded member: every step tells the input that a piece was handed
// over, and the text of an element is refused once it is longer than a cell.
class MemberXml : public QXmlStreamReader
{
public:
    MemberXml(BoundedInput *input, const QString &member)
        : QXmlStreamReader(input), m_input(input), m_member(member)
    {
    }

    TokenType readNext()
    {
        const TokenType token = QXmlStreamReader::readNext();
        m_input->pieceRead();
        return token;
    }
    bool readNextStartElement()
    {
        while (readNext() != Invalid) {
            if (isEndElement() || isEndDocument())
                return false;
            if (isStartElement())
                return true;
        }
        return false;
    }
    void skipCurrentElement()
    {
        int depth = 1;
        while (depth > 0 && readNext() != Invalid) {
            if (isEndElement())
                --depth;
            else if (isStartElement())
                ++depth;
        }
    }
    // The text of the current element and of the elements inside it.
    QString readElementText()
    {
        QString text;
        int depth = 1;
        while (depth > 0 && readNext() != Invalid) {
            if (isStartElement()) {
                ++depth;
            } else if (isEndElement()) {
                --depth;
            } else if (isCharacters() || isEntityReference()) {
                text += this->text();
                refuseLongerThanACell(text);
            }
        }
        return text;
    }
    void refuseLongerThanACell(const QString &text) const
    {
        if (text.size() > xlsread::kMaxCellChars)
            throw cellTooLong(m_member);
    }

private:
    BoundedInput *m_input;
    QString m_member;
};

struct Relationship {
    QString type;
    QString target; // a member name of the package
};

// A member's folder, to which the targets of its relationships are relative.
QString folderOf(const QString &member)
{
    const int slash = member.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : member.left(slash);
}

QString resolve(const QString &folder, const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QDir::cleanPath(folder.isEmpty() ? target : folder + QLatin1Char('/') + target);
}

// "_rels/x.xml.rels" beside "x.xml".
QString relationshipsOf(const QString &member)
{
    const QString folder = folderOf(member);
    const QString name = member.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") +
           name + QStringLiteral(".rels");
}

// Steps through every element of a document; `start` sees each start element.
void walk(MemberXml &xml, const std::function<void()> &start)
{
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            start();
    }
}

class Package
{
public:
    explicit Package(const QString &path) : m_zip(path) {}

    void open()
    {
        if (!m_zip.open(QuaZip::mdUnzip))
            throw Failure{
                xlsread::Damaged,
                QStringLiteral("not a readable zip package (%1)").arg(m_zip.getZipError())};
    }

    bool has(const QString &member) { return m_zip.setCurrentFile(member, QuaZip::csInsensitive); }

    // Runs `read` over the member's XML while it is unpacked; a missing member is no failure
    // when it is optional.
    void parse(const QString &member, bool required, const std::function<void(MemberXml &)> &read,
               qint64 maxBytes = kMaxOtherMemberBytes)
    {
        if (!has(member)) {
            if (required)
                throw Failure{xlsread::Damaged, QStringLiteral("%1 is missing").arg(member)};
            return;
        }
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly))
            throw Failure{xlsread::Damaged, QStringLiteral("%1 cannot be unpacked").arg(member)};
        BoundedInput input(&file, member, maxBytes);
        input.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        MemberXml xml(&input, member);
        read(xml);
        if (input.failure())
            throw *input.failure();
        if (xml.hasError())
            throw Failure{xlsread::Damaged, QStringLiteral("%1: %2 (line %3)")
                                                .arg(member, xml.errorString())
                                                .arg(xml.lineNumber())};
        file.close();
        if (file.getZipError() != UNZ_OK)
            throw Failure{xlsread::Damaged,
                          QStringLiteral("%1 is damaged (%2)").arg(member).arg(file.getZipError())};
    }

    QHash<QString, Relationship> relationships(const QString &member)
    {
        QHash<QString, Relationship> out;
        parse(relationshipsOf(member), false, [&](MemberXml &xml) {
            const QString folder = folderOf(member);
            walk(xml, [&] {
                if (xml.name() != QLatin1String("Relationship"))
                    return;
                const QXmlStreamAttributes a = xml.attributes();
                out.insert(a.value(QLatin1String("Id")).toString(),
                           {a.value(QLatin1String("Type")).toString(),
                            resolve(folder, a.value(QLatin1String("Target")).toString())});
            });
        });
        return out;
    }

private:
    QuaZip m_zip;
};

std::optional<Relationship> firstOfType(const QHash<QString, Relationship> &rels,
                                        QLatin1String typeEnd)
{
    for (const Relationship &r : rels)
        if (r.type.endsWith(typeEnd))
            return r;
    return std::nullopt;
}

// The text of an <si> or <is> element: its <t> parts, leaving out phonetic runs.
QString richText(MemberXml &xml)
{
    QString text;
    const QString endName = xml.name().toString();
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == endName)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("rPh"))
            xml.skipCurrentElement();
        else if (xml.name() == QLatin1String("t"))
            text += xml.readElementText();
        xml.refuseLongerThanACell(text);
    }
    return text;
}

struct Workbook {
    QString sheet;         // member of the first worksheet
    QString sharedStrings; // empty when there are none
    QString styles;
    bool epoch1904 = false;
};

Workbook locateParts(Package &package)
{
    QString workbookMember = QStringLiteral("xl/workbook.xml");
    if (auto office =
            firstOfType(package.relationships(QString()), QLatin1String("/officeDocument")))
        workbookMember = office->target;
    if (!package.has(workbookMember))
        throw Failure{xlsread::NotWorkbook, QStringLiteral("a zip package without a workbook")};

    Workbook book;
    QStringList sheetIds;
    package.parse(workbookMember, true, [&](MemberXml &xml) {
        walk(xml, [&] {
            if (xml.name() == QLatin1String("workbookPr")) {
                const QStringView v = xml.attributes().value(QLatin1String("date1904"));
                book.epoch1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (xml.name() == QLatin1String("sheet")) {
                for (const QXmlStreamAttribute &a : xml.attributes())
                    if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                        sheetIds << a.value().toString();
            }
        });
    });
    const QHash<QString, Relationship> rels = package.relationships(workbookMember);
    // The first sheet of the workbook's order that is a worksheet (a chart sheet is not).
    for (const QString &id : sheetIds) {
        const auto r = rels.constFind(id);
        if (r != rels.constEnd() && r->type.endsWith(QLatin1String("/worksheet"))) {
            book.sheet = r->target;
            break;
        }
    }
    if (book.sheet.isEmpty())
        throw Failure{xlsread::NoWorksheet, QStringLiteral("the workbook has no worksheet")};
    if (auto strings = firstOfType(rels, QLatin1String("/sharedStrings")))
        book.sharedStrings = strings->target;
    if (auto styles = firstOfType(rels, QLatin1String("/styles")))
        book.styles = styles->target;
    return book;
}

// The shared texts of a workbook, one after another in one string.
class SharedStrings
{
public:
    void add(const QString &text)
    {
        if (m_ends.size() >= kMaxSharedStrings || m_text.size() + text.size() > kMaxSharedChars)
            throw Failure{xlsread::TooLarge,
                          QStringLiteral("the shared texts hold more than %1 characters or %2 "
                                         "texts")
                              .arg(kMaxSharedChars)
                              .arg(kMaxSharedStrings)};
        m_text += text;
        m_ends.push_back(m_text.size());
    }
    qint64 size() const { return qint64(m_ends.size()); }
    QString at(qint64 index) const
    {
        const qsizetype begin = index == 0 ? 0 : m_ends[size_t(index - 1)];
        return m_text.mid(begin, m_ends[size_t(index)] - begin);
    }

private:
    QString m_text;
    std::vector<qsizetype> m_ends;
};

SharedStrings readSharedStrings(Package &package, const QString &member)
{
    SharedStrings strings;
    if (member.isEmpty())
        return strings;
    package.parse(
        member, false,
        [&](MemberXml &xml) {
            walk(xml, [&] {
                if (xml.name() == QLatin1String("si"))
                    strings.add(richText(xml));
            });
        },
        kMaxSharedStringBytes);
    return strings;
}

// Whether a number format shows a date, a time or both; nothing for other numbers.
std::optional<celltext::Moment> momentOfFormat(int id, const QString &code)
{
    using M = celltext::Moment;
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return M::Date;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47))
        return M::Time;
    if (id == 22)
        return M::DateTime;
    if (code.isEmpty())
        return std::nullopt;
    // Only the letters outside quotes, escapes and brackets count ([h] is an elapsed time).
    QString letters;
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == QLatin1Char(';') && !quoted)
            break;
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const int close = code.indexOf(QLatin1Char(']'), i);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toLower();
            if (inside == QLatin1String("h") || inside == QLatin1String("hh") ||
                inside == QLatin1String("m") || inside == QLatin1String("mm") ||
                inside == QLatin1String("s") || inside == QLatin1String("ss"))
                letters += QLatin1Char('h');
            i = close < 0 ? code.size() : close;
        } else {
            letters += c.toLower();
        }
    }
    const bool day = letters.contains(QLatin1Char('y')) || letters.contains(QLatin1Char('d'));
    const bool time = letters.contains(QLatin1Char('h')) || letters.contains(QLatin1Char('s'));
    if (day && time)
        return M::DateTime;
    if (day)
        return M::Date;
    if (time)
        return M::Time;
    if (letters.contains(QLatin1Char('m'))) // month names alone
        return M::Date;
    return std::nullopt;
}

// For each cell style (the "s" of a cell): whether its numbers are dates or times.
std::vector<std::optional<celltext::Moment>> readStyles(Package &package, const QString &member)
{
    std::vector<std::optional<celltext::Moment>> styles;
    if (member.isEmpty())
        return styles;
    QHash<int, QString> codes;
    package.parse(member, false, [&](MemberXml &xml) {
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
                inCellXfs = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("numFmt")) {
                codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                             a.value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
                const int id = a.value(QLatin1String("numFmtId")).toInt();
                styles.push_back(momentOfFormat(id, codes.value(id)));
            }
        }
    });
    return styles;
}

// "AB12" as (12, 28); false for anything else.
bool parseReference(QStringView ref, int *row, int *column)
{
    int i = 0;
    qint64 c = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        if (c > xlsread::kMaxColumns)
            return false;
        ++i;
    }
    bool ok = false;
    const qint64 r = ref.mid(i).toLongLong(&ok);
    if (i == 0 || !ok || r < 1 || r > xlsread::kMaxRows || c < 1)
        return false;
    *row = int(r);
    *column = int(c);
    return true;
}

class SheetReader
{
public:
    SheetReader(const Workbook &book, SharedStrings strings,
                std::vector<std::optional<celltext::Moment>> styles, const ExcelRange &range,
                const CellSink &sink)
        : m_book(book), m_strings(std::move(strings)), m_styles(std::move(styles)), m_range(range),
          m_sink(sink)
    {
    }

    void read(MemberXml &xml)
    {
        walk(xml, [&] {
            if (xml.name() == QLatin1String("row"))
                startRow(xml);
            else if (xml.name() == QLatin1String("c"))
                readCell(xml);
        });
    }

private:
    void startRow(MemberXml &xml)
    {
        bool ok = false;
        const int r = xml.attributes().value(QLatin1String("r")).toInt(&ok);
        m_row = ok ? r : m_row + 1;
        m_column = 0;
        // Rows outside the range are passed over unread.
        if (m_row > m_range.lastRow || m_row < m_range.firstRow)
            xml.skipCurrentElement();
    }

    void readCell(MemberXml &xml)
    {
        const QXmlStreamAttributes a = xml.attributes();
        int row = m_row;
        int column = m_column + 1;
        const QStringView ref = a.value(QLatin1String("r"));
        if (!ref.isEmpty() && !parseReference(ref, &row, &column))
            throw Failure{xlsread::Damaged,
                          QStringLiteral("bad cell reference %1").arg(ref.toString())};
        m_column = column;
        const QString type = a.value(QLatin1String("t")).toString();
        const int style = a.value(QLatin1String("s")).toInt();
        if (!m_range.contains(row, column)) {
            xml.skipCurrentElement();
            return;
        }
        QString value;
        QString inlineText;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("v"))
                value = xml.readElementText();
            else if (xml.name() == QLatin1String("is"))
                inlineText = richText(xml);
            else
                xml.skipCurrentElement();
        }
        const QString text = cellText(type, value, inlineText, style);
        if (!text.isEmpty())
            m_sink(row, column, text);
    }

    QString cellText(const QString &type, const QString &value, const QString &inlineText,
                     int style) const
    {
        if (type == QLatin1String("s")) {
            bool ok = false;
            const qint64 index = value.toLongLong(&ok);
            if (!ok || index < 0 || index >= m_strings.size())
                throw Failure{xlsread::Damaged,
                              QStringLiteral("shared string %1 is missing").arg(value)};
            return m_strings.at(index);
        }
        if (type == QLatin1String("inlineStr"))
            return inlineText;
        if (type == QLatin1String("str") || type == QLatin1String("e"))
            return value;
        if (type == QLatin1String("b"))
            return value.trimmed() == QLatin1String("1") ? QStringLiteral("DOĞRU")
                                                         : QStringLiteral("YANLIŞ");
        if (type == QLatin1String("d"))
            return celltext::fromIso(value.left(19).replace(QLatin1Char('T'), QLatin1Char(' ')));
        if (value.isEmpty())
            return QString();
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            return value;
        if (style >= 0 && style < int(m_styles.size()) && m_styles[size_t(style)])
            return celltext::fromSerial(number, *m_styles[size_t(style)], m_book.epoch1904);
        return celltext::number(number);
    }

    const Workbook &m_book;
    SharedStrings m_strings;
    std::vector<std::optional<celltext::Moment>> m_styles;
    ExcelRange m_range;
    const CellSink &m_sink;
    int m_row = 0;
    int m_column = 0;
};

} // namespace

int readXlsx(const QString &path, const ExcelRange &range, const CellSink &sink, QString *reason)
{
    try {
        Package package(path);
        package.open();
        const Workbook book = locateParts(package);
        SheetReader sheet(book, readSharedStrings(package, book.sharedStrings),
                          readStyles(package, book.styles), range, sink);
        package.parse(
            book.sheet, true, [&](MemberXml &xml) { sheet.read(xml); }, kMaxSheetBytes);
        return xlsread::Ok;
    } catch (const Failure &failure) {
        *reason = failure.reason;
        return failure.exit;
    }
}
