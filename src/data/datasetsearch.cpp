// Search and sort over the fetched rows: locating by prefix and ordering by a field.

#include "dataset.h"

#include "datasetinternal.h"

#include "dberror.h"
#include "turkish.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace {

QString sortFieldOf(const QString &sortText, bool *descending)
{
    QStringList parts = sortText.simplified().split(QLatin1Char(' '));
    *descending = parts.size() > 1 && parts[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    return parts.value(0);
}

QByteArray numericKey(qlonglong v)
{
    quint64 u = quint64(v) ^ 0x8000000000000000ull;
    QByteArray key(8, Qt::Uninitialized);
    for (int i = 7; i >= 0; --i, u >>= 8)
        key[i] = char(u & 0xFF);
    return key;
}

// Bytes whose order is the order of the numbers: the sign bit flipped for positives,
// every bit flipped for negatives.
QByteArray realKey(double v)
{
    quint64 u;
    std::memcpy(&u, &v, sizeof u);
    u = (u & 0x8000000000000000ull) ? ~u : (u | 0x8000000000000000ull);
    QByteArray key(8, Qt::Uninitialized);
    for (int i = 7; i >= 0; --i, u >>= 8)
        key[i] = char(u & 0xFF);
    return key;
}

} // namespace

// ---------------------------------------------------------------- locate and sort

const std::vector<QString> &Dataset::foldedColumn(int field)
{
    std::vector<QString> &folded = m_foldCache[size_t(field)];
    if (folded.size() != m_rows.size()) {
        folded.assign(m_rows.size(), QString());
        const int fields = int(m_fieldNames.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (const Row *row = m_rows[i].get())
                folded[i] = row->searchText(field, fields);
    }
    return folded;
}

int Dataset::findPrefix(int field, const QString &prefix, bool least)
{
    const std::vector<QString> &folded = foldedColumn(field);
    const QString wanted = turkish::fold(prefix);
    int found = -1;
    QString best;
    for (int i = 0; i < int(m_view.size()); ++i) {
        const int index = m_view[size_t(i)];
        if (!folded[size_t(index)].startsWith(wanted))
            continue;
        if (!least)
            return i;
        const QString text = textAt(i, field);
        if (found < 0 || turkish::compare(text, best) < 0) {
            found = i;
            best = text;
        }
    }
    return found;
}

bool Dataset::locate(const QString &fieldName, const QString &prefix)
{
    return moveToPrefix(fieldName, prefix, false);
}

bool Dataset::locateLeast(const QString &fieldName, const QString &prefix)
{
    return moveToPrefix(fieldName, prefix, true);
}

bool Dataset::moveToPrefix(const QString &fieldName, const QString &prefix, bool least)
{
    ensureActive("Locate");
    const int field = fieldIndex(fieldName);
    if (field < 0)
        throw DbError(QStringLiteral("%1: '%2' alanı bulunamadı").arg(objectName(), fieldName));
    leaveEditForMove();
    const int row = findPrefix(field, prefix, least);
    if (row < 0)
        return false;
    m_eof = m_bof = false;
    setCursor(row, true);
    return true;
}

QByteArray Dataset::orderKeyOf(const Row &row, int field) const
{
    if (row.isNull(field))
        return QByteArray(); // nulls sort first, as empty text
    const QByteArrayView bytes = row.text(field, int(m_fieldNames.size()));
    switch (m_kinds[size_t(field)]) {
    case Kind::Text:
        return turkish::sortKey(QString::fromUtf8(bytes));
    case Kind::Real:
        return realKey(bytes.toByteArray().toDouble());
    case Kind::Integer:
    case Kind::YesNo:
        break;
    }
    return numericKey(bytes.toByteArray().toLongLong());
}

Dataset::RowOrder Dataset::rowOrder() const
{
    bool descending = false;
    const QString name = sortFieldOf(m_sortText, &descending);
    if (!name.isEmpty())
        return {fieldIndex(name), descending};
    if (const std::optional<ClientOrder> order = clientOrder(m_rowsRead.sql))
        for (int f = 0; f < m_fieldNames.size(); ++f)
            if (m_fieldNames[f].compare(order->column, Qt::CaseInsensitive) == 0)
                return {f, order->descending};
    return {};
}

void Dataset::setSort(const QString &sortText)
{
    ensureActive("Sort");
    leaveEditForMove();
    bool descending = false;
    const QString fieldName = sortFieldOf(sortText, &descending);
    const int field = fieldName.isEmpty() ? -1 : fieldIndex(fieldName);
    if (!fieldName.isEmpty() && field < 0)
        throw DbError(QStringLiteral("%1: '%2' alanı bulunamadı").arg(objectName(), fieldName));

    const int currentIndex = m_view.empty() ? -1 : rowIndexOf(m_cursor);
    // Deleted rows leave empty slots in m_rows and are gone from m_order, so the order is
    // rebuilt from the slots that still hold a row rather than renumbered in place.
    m_order.clear();
    for (int i = 0; i < int(m_rows.size()); ++i)
        if (m_rows[size_t(i)])
            m_order.push_back(i);
    if (field >= 0) {
        std::vector<QByteArray> keys(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (const Row *row = m_rows[i].get())
                keys[i] = orderKeyOf(*row, field);
        auto less = [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; };
        if (descending)
            std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) { return less(b, a); });
        else
            std::stable_sort(m_order.begin(), m_order.end(), less);
    }
    m_sortText = fieldName.isEmpty() ? QString()
                                     : m_fieldNames[field] + (descending ? QStringLiteral(" DESC")
                                                                         : QStringLiteral(" ASC"));
    rebuildView();
    if (currentIndex >= 0) {
        auto at = std::find(m_view.begin(), m_view.end(), currentIndex);
        m_cursor = at == m_view.end() ? 0 : int(at - m_view.begin());
    }
    Q_EMIT rowsReset();
    Q_EMIT currentMoved(m_cursor);
}
