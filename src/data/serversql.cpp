#include "serversql.h"

#include "schema.h"

#include <vector>

namespace serversql
{

namespace
{

enum class Kind { Space, Word, Parameter, Quoted, Other };

struct Token {
    Kind kind;
    QString text;
};

bool startsWord(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool continuesWord(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Text up to and with the closing quote; a doubled quote stays inside.
qsizetype quotedEnd(const QString &sql, qsizetype from, QChar quote)
{
    qsizetype i = from + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

std::vector<Token> tokens(const QString &sql)
{
    std::vector<Token> out;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = i + 1;
        Kind kind = Kind::Other;
        if (c.isSpace()) {
            while (end < sql.size() && sql[end].isSpace())
                ++end;
            kind = Kind::Space;
        } else if (c == u'\'' || c == u'"') {
            end = quotedEnd(sql, i, c);
            kind = Kind::Quoted;
        } else if (startsWord(c)) {
            while (end < sql.size() && continuesWord(sql[end]))
                ++end;
            kind = Kind::Word;
        } else if (c == u':' && end < sql.size() && sql[end] == u':') {
            ++end; // a cast, written in the server's own words
        } else if (c == u'?') {
            kind = Kind::Parameter;
        } else if (c == u':' && end < sql.size() && startsWord(sql[end])) {
            while (end < sql.size() && continuesWord(sql[end]))
                ++end;
            kind = Kind::Parameter;
        } else if (c.isDigit()) {
            while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == u'.'))
                ++end;
        }
        out.push_back({kind, sql.mid(i, end - i)});
        i = end;
    }
    return out;
}

bool is(const Token &token, const char *word)
{
    return token.kind == Kind::Word && token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

class Writer
{
public:
    explicit Writer(const QString &sql) : m_tokens(tokens(sql)) {}

    Translated run()
    {
        for (m_at = 0; m_at < m_tokens.size(); ++m_at)
            write(m_tokens[m_at]);
        m_out.text = m_text.toUtf8();
        return std::move(m_out);
    }

private:
    // The index of the next token that is not blank, or the end.
    size_t nextSolid(size_t from) const
    {
        size_t i = from + 1;
        while (i < m_tokens.size() && m_tokens[i].kind == Kind::Space)
            ++i;
        return i;
    }
    const Token *solidAfter(size_t from) const
    {
        const size_t i = nextSolid(from);
        return i < m_tokens.size() ? &m_tokens[i] : nullptr;
    }

    void write(const Token &token)
    {
        switch (token.kind) {
        case Kind::Parameter:
            writeParameter(token.text);
            return;
        case Kind::Word:
            writeWord(token);
            return;
        default:
            m_text += token.text;
        }
    }

    void writeParameter(const QString &text)
    {
        const QString name = text == u'?' ? QString() : text.mid(1);
        qsizetype number = name.isEmpty() ? -1 : m_out.parameterNames.indexOf(name);
        if (number < 0) {
            m_out.parameterNames << name;
            number = m_out.parameterNames.size() - 1;
        }
        m_text += u'$' + QString::number(number + 1);
    }

    // The pattern of a LIKE, or the right side of an IS, when it is one token the escape can
    // follow: a parameter or a quoted text.
    bool isSingleOperand(const Token *token) const
    {
        return token && (token->kind == Kind::Parameter ||
                         (token->kind == Kind::Quoted && token->text.startsWith(u'\'')));
    }

    void writeWord(const Token &token)
    {
        const Token *next = solidAfter(m_at);
        if (is(token, "LIKE")) {
            m_text += QStringLiteral("ILIKE");
            if (isSingleOperand(next)) {
                skipTo(nextSolid(m_at));
                m_text += u' ';
                write(m_tokens[m_at]);
                m_text += QStringLiteral(" ESCAPE ''");
            }
            return;
        }
        if (is(token, "IS") && isSingleOperand(next)) {
            m_text += QStringLiteral("IS NOT DISTINCT FROM");
            return;
        }
        if (is(token, "IS") && next && is(*next, "NOT") && isSingleOperand(solidAfter(nextSolid(m_at)))) {
            skipTo(nextSolid(m_at));
            m_text += QStringLiteral("IS DISTINCT FROM");
            return;
        }
        if (is(token, "BEGIN") && next &&
            (is(*next, "IMMEDIATE") || is(*next, "EXCLUSIVE") || is(*next, "DEFERRED"))) {
            // The server locks rows as they are written; a reader never waits.
            m_text += token.text;
            skipTo(nextSolid(m_at));
            return;
        }
        if (is(token, "IFNULL")) {
            m_text += QStringLiteral("COALESCE");
            return;
        }
        if (is(token, "COLLATE") && next && (is(*next, "BINARY") || is(*next, "TR"))) {
            skipTo(nextSolid(m_at));
            return;
        }
        m_out.identifiers << token.text;
        m_text += token.text;
    }

    void skipTo(size_t index) { m_at = index; }

    std::vector<Token> m_tokens;
    size_t m_at = 0;
    QString m_text;
    Translated m_out;
};

} // namespace

Translated translate(const QString &sql)
{
    return Writer(sql).run();
}

QString spellingOf(const QString &name, const QStringList &identifiers)
{
    for (const QString &written : identifiers)
        if (written.compare(name, Qt::CaseInsensitive) == 0)
            return written;
    for (const schema::Table &table : schema::tables())
        for (const schema::Column &column : table.columns)
            if (name.compare(QLatin1String(column.name), Qt::CaseInsensitive) == 0)
                return QLatin1String(column.name);
    return name;
}

} // namespace serversql
