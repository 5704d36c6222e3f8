// Following the changes other offices make: the rows they touched are read again by key and
// put where the list keeps them, with the current row left where the user has it.

#include "dataset.h"

#include "datasetinternal.h"

#include <QHash>
#include <QMetaObject>
#include <QSet>
#include <algorithm>

namespace
{

// Above this many rows coming, going or moving at once, the list is shown afresh instead of
// row by row: a view takes one reset as quickly as a single moved row, thousands of single
// moves slowly.
constexpr size_t kRowByRowLimit = 200;

QString withoutEnd(QString statement)
{
    statement = statement.trimmed();
    while (statement.endsWith(QLatin1Char(';')))
        statement = statement.chopped(1).trimmed();
    return statement;
}

} // namespace

struct Dataset::Followed {
    bool everyRow = false;
    QList<qlonglong> asked;
    std::vector<Row> rows; // what the statement gives for them now
};

void Dataset::followChanges(const QList<qlonglong> &keys)
{
    if (!keys.isEmpty())
        follow(keys);
}

void Dataset::followAllChanges()
{
    follow(std::nullopt);
}

void Dataset::follow(const std::optional<QList<qlonglong>> &keys)
{
    if (!isOpen() || m_table.isEmpty() || m_keyField < 0)
        return;
    if (m_state == State::Insert) {
        // A new row waits at the end of the rows until it is saved.
        followWhenBrowsing(keys);
        return;
    }
    Reading what = m_rowsRead.sql.isEmpty() ? reading() : m_rowsRead;
    what.prefixSearchField.clear();
    if (keys) {
        QStringList list;
        for (qlonglong key : *keys)
            list << QString::number(key); // numbers of the program's own, never typed text
        what.sql = QStringLiteral("SELECT * FROM (\n%1\n) AS degisen WHERE degisen.%2 IN (%3)")
                       .arg(withoutEnd(what.sql), m_fieldNames[m_keyField], list.join(u','));
    }
    const std::shared_ptr<Fetched> fetched = read(*m_db, what);
    if (!fetched || fetched->fieldNames.size() != m_fieldNames.size())
        return;
    Followed changes;
    changes.everyRow = !keys;
    if (keys)
        changes.asked = *keys;
    changes.rows = std::move(fetched->rows);
    applyFollowed(std::move(changes));
}

void Dataset::followWhenBrowsing(const std::optional<QList<qlonglong>> &keys)
{
    if (!keys)
        m_followAllLater = true;
    else
        m_followLater += *keys;
}

void Dataset::markChangedElsewhere(qlonglong key)
{
    // Read again once the user is done with it, whether saved or given up.
    m_followLater << key;
    if (std::exchange(m_changedElsewhere, true))
        return;
    Q_EMIT changedElsewhere(this);
}

void Dataset::followDeferred()
{
    m_changedElsewhere = false;
    if (!m_followAllLater && m_followLater.isEmpty())
        return;
    // After the post or cancel that ends the edit has finished with the rows.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isEditing() || !isOpen())
                return;
            const bool all = std::exchange(m_followAllLater, false);
            const QList<qlonglong> keys = std::exchange(m_followLater, {});
            try {
                if (all)
                    followAllChanges();
                else
                    followChanges(keys);
            } catch (const DbError &) {
                // The list stays as it is; the next notice or reading brings it in line.
            }
        },
        Qt::QueuedConnection);
}

size_t Dataset::orderPlaceOf(int index, const RowOrder &order) const
{
    if (order.field < 0)
        return m_order.size();
    const QByteArray key = orderKeyOf(m_rows[size_t(index)], order.field);
    const auto place = std::upper_bound(m_order.begin(), m_order.end(), key, [&](const QByteArray &k, int other) {
        const QByteArray otherKey = orderKeyOf(m_rows[size_t(other)], order.field);
        return order.descending ? otherKey < k : k < otherKey;
    });
    return size_t(place - m_order.begin());
}

void Dataset::applyFollowed(Followed &&changes)
{
    const int fields = int(m_fieldNames.size());
    auto keyOf = [&](const Row &row) { return row.text(m_keyField, fields).toByteArray().toLongLong(); };
    QHash<qlonglong, int> held;
    held.reserve(qsizetype(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i)
        if (m_rows[size_t(i)] && i != m_pendingRow)
            held.insert(keyOf(m_rows[size_t(i)]), i);

    const int edited = m_state == State::Edit ? rowIndexOf(m_cursor) : -1;
    const int current = m_view.empty() ? -1 : rowIndexOf(m_cursor);
    const int currentPlace = m_cursor;
    const RowOrder order = rowOrder();

    std::vector<int> gone, added, moved;
    std::vector<std::pair<int, QByteArray>> updated; // in place, and the moved ones
    QSet<qlonglong> present;
    for (Row &row : changes.rows) {
        const qlonglong key = keyOf(row);
        present.insert(key);
        const auto found = held.constFind(key);
        if (found == held.cend()) {
            m_rows.push_back(std::move(row));
            added.push_back(int(m_rows.size()) - 1);
            continue;
        }
        const int index = *found;
        if (m_rows[size_t(index)].bytes == row.bytes)
            continue;
        if (index == edited) {
            markChangedElsewhere(key);
            continue;
        }
        const Row &stored = m_rows[size_t(index)];
        const bool reorders =
            (order.field >= 0 && orderKeyOf(row, order.field) != orderKeyOf(stored, order.field)) ||
            passesFilter(row) != passesFilter(index);
        updated.emplace_back(index, std::move(row.bytes)); // stored once the view has let it go
        if (reorders)
            moved.push_back(index);
    }
    // Asked for and no longer given by the statement: deleted, or no longer one of its rows.
    auto leaves = [&](qlonglong key, int index) {
        if (index == edited)
            markChangedElsewhere(key);
        else
            gone.push_back(index);
    };
    if (changes.everyRow) {
        for (auto it = held.cbegin(); it != held.cend(); ++it)
            if (!present.contains(it.key()))
                leaves(it.key(), it.value());
    } else {
        for (qlonglong key : QSet<qlonglong>(changes.asked.cbegin(), changes.asked.cend()))
            if (!present.contains(key))
                if (const auto found = held.constFind(key); found != held.cend())
                    leaves(key, *found);
    }

    if (gone.empty() && added.empty() && updated.empty())
        return;
    m_rowsFollowed = true;

    const bool rowByRow = gone.size() + added.size() + moved.size() <= kRowByRowLimit;
    // Rows leaving their place: out of the view and the order first.
    std::vector<bool> leaving(m_rows.size(), false);
    for (int index : gone)
        leaving[size_t(index)] = true;
    for (int index : moved)
        leaving[size_t(index)] = true;
    if (rowByRow) {
        for (int p = int(m_view.size()) - 1; p >= 0; --p) {
            if (!leaving[size_t(m_view[size_t(p)])])
                continue;
            Q_EMIT rowAboutToBeRemoved(p);
            m_view.erase(m_view.begin() + p);
            if (p < m_cursor)
                --m_cursor;
            Q_EMIT rowRemoved(p);
        }
    }
    std::erase_if(m_order, [&](int index) { return leaving[size_t(index)]; });
    for (int index : gone)
        m_rows[size_t(index)].reset();
    for (auto &[index, bytes] : updated)
        storeRow(index, std::move(bytes));
    for (int index : added)
        storeRow(index, std::move(m_rows[size_t(index)].bytes));

    std::vector<int> arriving = moved;
    arriving.insert(arriving.end(), added.begin(), added.end());
    for (int index : arriving)
        m_order.insert(m_order.begin() + qsizetype(orderPlaceOf(index, order)), index);

    if (rowByRow) {
        // Into the view in the order's sequence, so that each lands where it finally stays.
        std::vector<bool> isArriving(m_rows.size(), false);
        for (int index : arriving)
            isArriving[size_t(index)] = true;
        int place = 0;
        for (int index : m_order) {
            if (!passesFilter(index))
                continue;
            if (isArriving[size_t(index)]) {
                Q_EMIT rowAboutToBeInserted(place);
                m_view.insert(m_view.begin() + place, index);
                if (place <= m_cursor && index != current)
                    ++m_cursor;
                Q_EMIT rowInserted(place);
            }
            ++place;
        }
        std::vector<bool> inPlace(m_rows.size(), false);
        for (const auto &[index, bytes] : updated)
            inPlace[size_t(index)] = !isArriving[size_t(index)];
        for (int p = 0; p < int(m_view.size()); ++p)
            if (inPlace[size_t(m_view[size_t(p)])])
                Q_EMIT rowUpdated(p);
    } else {
        rebuildView();
    }

    const auto stillThere = current < 0 ? m_view.end() : std::find(m_view.begin(), m_view.end(), current);
    const bool sameRecord = stillThere != m_view.end();
    m_cursor = sameRecord ? int(stillThere - m_view.begin())
                          : (m_view.empty() ? 0 : std::clamp(currentPlace, 0, int(m_view.size()) - 1));
    m_eof = m_bof = m_view.empty();
    if (!rowByRow)
        Q_EMIT rowsReset();
    Q_EMIT currentMoved(m_cursor);
    if (!sameRecord) {
        Q_EMIT afterScroll(this);
        notifyDetails();
    }
    Q_EMIT changesFollowed(this);
}
