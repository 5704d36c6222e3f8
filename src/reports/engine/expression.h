#pragma once

#include "datasource.h"

#include <QString>
#include <vector>

namespace report
{

// What the system values of a text mean where it is printed.
struct ExpressionContext {
    int line = 0; // running number of the master row; in footers, the last one printed
    int page = 0; // from 1
    int totalPages = 0;
    int masterRow = -1; // the row the band is printed for
};

// What the expressions of one report run can read: its sources, the row each source had
// selected when the run began, and the day.
struct ExpressionScope {
    explicit ExpressionScope(const DataSources &sources, const QString &date);
    const DataSources &sources;
    QHash<const DataSource *, int> currentRows;
    QString date;
};

// A text box's text, read once when the report is prepared: fixed text with the expressions
// [source."column"], [DATE], [LINE#], [PAGE#] and [TOTALPAGES#]. A column of the source that
// the band walks follows the row being printed; any other source gives the row the user has
// selected when the run began. An unknown source or column gives an
// empty text; brackets that hold no expression are printed as they stand.
class Expression
{
public:
    Expression(const QString &text, const ExpressionScope &scope, const DataSource *master);

    void appendTo(QString &out, const ExpressionContext &context) const;

private:
    struct Segment {
        enum class Kind { Literal, Field, Line, Page, TotalPages } kind = Kind::Literal;
        QString literal;
        const DataSource *source = nullptr;
        int field = -1;
        int row = -1; // a fixed row, or -1 to follow the master row
    };
    void addLiteral(const QString &text);
    bool addExpression(QStringView inner, const ExpressionScope &scope, const DataSource *master);

    std::vector<Segment> m_segments;
};

} // namespace report
