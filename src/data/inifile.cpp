#include "inifile.h"

#include "safefile.h"

#include "codepage1254.h"

#include <QFile>
#include <limits>
#include <optional>

namespace {

// Windows folds case by the system locale, which differs between machines on i and I; only
// ASCII letters fold here, and names with Turkish letters must be spelled as the program
// writes them.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

std::optional<QStringView> headerName(QStringView line)
{
    line = line.trimmed();
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.lastIndexOf(u']');
    if (close < 1)
        return std::nullopt;
    return line.mid(1, close - 1).trimmed();
}

struct Entry {
    QStringView key;
    QStringView value;
};

std::optional<Entry> entry(QStringView line)
{
    line = line.trimmed();
    if (line.startsWith(u';') || line.startsWith(u'['))
        return std::nullopt;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    return Entry{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

int digitValue(char16_t c, bool hex)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (!hex)
        return -1;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The conversion the Windows program used: a hexadecimal number may fill all 32 bits
// ("$FFFFFFFF" is -1), a decimal one must fit a signed 32-bit integer.
std::optional<int> parseInteger(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    bool hex = false;
    if (text.startsWith(u'$')) {
        hex = true;
        text = text.mid(1);
    } else if (text.startsWith(u"0x") || text.startsWith(u"0X")) {
        hex = true;
        text = text.mid(2);
    }
    if (text.isEmpty())
        return std::nullopt;

    const quint64 limit =
        hex ? 0xFFFFFFFFu : quint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    quint64 value = 0;
    for (const QChar c : text) {
        const int digit = digitValue(c.unicode(), hex);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + quint64(digit);
        if (value > limit)
            return std::nullopt;
    }
    const quint32 bits = negative ? quint32(0u - quint32(value)) : quint32(value);
    return int(bits);
}

QString withoutControlCharacters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category != QChar::Other_Control && category != QChar::Separator_Line &&
            category != QChar::Separator_Paragraph)
            out.append(c);
    }
    return out;
}

} // namespace

bool IniFile::load(const QString &path)
{
    m_lines.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    setText(fromCp1254(file.readAll()));
    return true;
}

void IniFile::setText(const QString &text)
{
    m_lines.clear();
    if (text.isEmpty())
        return;
    m_lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        m_lines.removeLast();
    for (QString &line : m_lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
}

QString IniFile::text() const
{
    QString text;
    for (const QString &line : m_lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

bool IniFile::save(const QString &path, QString *error) const
{
    const QByteArray bytes = toCp1254(text());
    // Written beside the file and renamed over it once whole: a full disk or a kill while
    // writing leaves the old file as it was. A read-only file still refuses the write, as it
    // did on Windows.
    return safefile::write(path, bytes, error);
}

bool IniFile::findSection(const QString &name, Section *section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto header = headerName(m_lines.at(i));
        if (!header || !sameName(*header, name))
            continue;
        qsizetype end = i + 1;
        while (end < m_lines.size() && !headerName(m_lines.at(end)))
            ++end;
        *section = Section{i + 1, end};
        return true;
    }
    return false;
}

qsizetype IniFile::findKey(const Section &section, const QString &key) const
{
    for (qsizetype i = section.first; i < section.end; ++i) {
        const auto e = entry(m_lines.at(i));
        if (e && sameName(e->key, key))
            return i;
    }
    return -1;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    Section s;
    const qsizetype line = findSection(section, &s) ? findKey(s, key) : -1;
    QString value = defaultValue;
    if (line >= 0) {
        QStringView text = entry(m_lines.at(line))->value;
        if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') &&
            text.back() == text.front())
            text = text.mid(1, text.size() - 2);
        value = text.toString();
    }
    value.truncate(MaxStringLength);
    return value;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return parseInteger(readString(section, key)).value_or(defaultValue);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &text)
{
    // One line per key: a line break in a value would start keys, or whole sections, of its
    // own at the next reading.
    const QString value = withoutControlCharacters(text);
    Section s;
    if (!findSection(section, &s)) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(key + u'=' + value);
        return;
    }
    if (const qsizetype line = findKey(s, key); line >= 0) {
        // The file's own spelling of the name stays.
        const QString name = entry(m_lines.at(line))->key.toString();
        m_lines[line] = name + u'=' + value;
        return;
    }
    // After the last non-blank line, so the blank line that parts sections stays in place.
    qsizetype at = s.first;
    for (qsizetype i = s.end; i > s.first; --i) {
        if (!m_lines.at(i - 1).trimmed().isEmpty()) {
            at = i;
            break;
        }
    }
    m_lines.insert(at, key + u'=' + value);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}
