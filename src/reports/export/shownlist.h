#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace listexport
{

// A list as a window shows it: the columns the user sees, with their captions, in their
// order on the screen, and the rows after the window's search, filters and sort, in the order
// shown. The writers read it a cell at a time, so a list of 100,000 rows is never copied.
class ShownList
{
public:
    virtual ~ShownList() = default;
    virtual int columnCount() const = 0;
    virtual QString caption(int column) const = 0;
    virtual int rowCount() const = 0;
    virtual QString text(int row, int column) const = 0;
};

// A short list held as texts.
class ListOfTexts : public ShownList
{
public:
    ListOfTexts(QStringList captions, QList<QStringList> rows)
        : m_captions(std::move(captions)), m_rows(std::move(rows))
    {
    }
    int columnCount() const override { return int(m_captions.size()); }
    QString caption(int column) const override { return m_captions.value(column); }
    int rowCount() const override { return int(m_rows.size()); }
    QString text(int row, int column) const override { return m_rows.value(row).value(column); }

private:
    QStringList m_captions;
    QList<QStringList> m_rows;
};

} // namespace listexport
