#include "expression.h"

namespace report
{

ExpressionScope::ExpressionScope(const DataSources &sources, const QString &date)
    : sources(sources), date(date)
{
    for (const DataSource *source : sources)
        currentRows.insert(source, source->currentRow());
}

Expression::Expression(const QString &text, const ExpressionScope &scope, const DataSource *master)
{
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) {
            addLiteral(text.mid(pos));
            break;
        }
        addLiteral(text.mid(pos, open - pos));
        const QStringView inner = QStringView(text).mid(open + 1, close - open - 1);
        if (!addExpression(inner, scope, master))
            addLiteral(text.mid(open, close - open + 1));
        pos = close + 1;
    }
}

void Expression::addLiteral(const QString &text)
{
    if (text.isEmpty())
        return;
    if (!m_segments.empty() && m_segments.back().kind == Segment::Kind::Literal)
        m_segments.back().literal += text;
    else
        m_segments.push_back(Segment{Segment::Kind::Literal, text});
}

bool Expression::addExpression(QStringView inner, const ExpressionScope &scope,
                               const DataSource *master)
{
    using Kind = Segment::Kind;
    if (inner == u"DATE") {
        addLiteral(scope.date);
        return true;
    }
    if (inner == u"LINE#" || inner == u"PAGE#" || inner == u"TOTALPAGES#") {
        const Kind kind = inner == u"LINE#"   ? Kind::Line
                          : inner == u"PAGE#" ? Kind::Page
                                              : Kind::TotalPages;
        Segment segment;
        segment.kind = kind;
        m_segments.push_back(segment);
        return true;
    }
    // source."column"
    const qsizetype dot = inner.indexOf(u".\"");
    if (dot <= 0 || !inner.endsWith(u'"') || inner.size() < dot + 3)
        return false;
    const QString sourceName = inner.left(dot).toString();
    const QString column = inner.mid(dot + 2, inner.size() - dot - 3).toString();
    Segment segment;
    segment.kind = Kind::Field;
    segment.source = scope.sources.value(sourceName);
    if (segment.source) {
        segment.field = segment.source->fieldIndex(column);
        segment.row = segment.source == master ? -1 : scope.currentRows.value(segment.source, -1);
    }
    if (segment.field >= 0 && (segment.source == master || segment.row >= 0))
        m_segments.push_back(segment);
    return true;
}

void Expression::appendTo(QString &out, const ExpressionContext &context) const
{
    using Kind = Segment::Kind;
    for (const Segment &segment : m_segments) {
        switch (segment.kind) {
        case Kind::Literal:
            out += segment.literal;
            break;
        case Kind::Field: {
            const int row = segment.row >= 0 ? segment.row : context.masterRow;
            if (row >= 0)
                out += segment.source->text(row, segment.field);
            break;
        }
        case Kind::Line:
            out += QString::number(context.line);
            break;
        case Kind::Page:
            out += QString::number(context.page);
            break;
        case Kind::TotalPages:
            out += QString::number(context.totalPages);
            break;
        }
    }
}

} // namespace report
