// Reading: the statement's rows fetched into memory, with their search texts folded by a
// helper thread while the rows come in, and taken by the dataset when it opens.

#include "dataset.h"

#include "datasetinternal.h"

#include "database.h"
#include "schema.h"
#include "turkish.h"

#include <QRegularExpression>
#include <chrono>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>

using datasetinternal::packRow;

namespace {

// The search texts of a list searched by prefix at every keystroke: one column of every row,
// folded. A long result gets them from a helper thread, a chunk of rows at a time, while the
// statement is still being read, so that the reading hides most of that work.
template <typename Row>
class SearchTexts
{
public:
    static constexpr size_t kChunk = 4096;

    // No field, no work.
    SearchTexts(int field, int fields) : m_field(field), m_fields(fields) {}
    // A reading that ends early (cancelled, or an error) leaves the work undone.
    ~SearchTexts() { stop(true); }

    // Rows whose storage stays where it is until finish(); the first full chunk starts the helper.
    void add(const Row *rows, size_t count)
    {
        if (m_field < 0)
            return;
        {
            const std::lock_guard lock(m_mutex);
            m_chunks.push_back({rows, count, {}, false});
        }
        if (!m_helper.joinable() && count == kChunk)
            m_helper = std::thread([this] { work(); });
        m_ready.notify_one();
    }
    // The texts of all rows, in their order: once the helper is done, or made here when no
    // helper was needed.
    std::vector<QString> finish()
    {
        stop(false);
        std::vector<QString> texts;
        for (Chunk &chunk : m_chunks) {
            if (!chunk.done)
                fold(chunk);
            std::move(chunk.texts.begin(), chunk.texts.end(), std::back_inserter(texts));
        }
        return texts;
    }

private:
    struct Chunk {
        const Row *rows;
        size_t count;
        std::vector<QString> texts;
        bool done;
    };

    void fold(Chunk &chunk) const
    {
        chunk.texts.resize(chunk.count);
        for (size_t i = 0; i < chunk.count; ++i)
            chunk.texts[i] = chunk.rows[i].searchText(m_field, m_fields);
        chunk.done = true;
    }
    void work()
    {
        for (size_t next = 0;; ++next) {
            Chunk *chunk = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [&] { return m_stopping || next < m_chunks.size(); });
                if (m_abandoned || next >= m_chunks.size())
                    return;
                chunk = &m_chunks[next];
            }
            fold(*chunk); // a deque keeps its elements where they are as it grows
        }
    }
    void stop(bool abandon)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_abandoned = abandon;
        }
        m_ready.notify_one();
        if (m_helper.joinable())
            m_helper.join();
    }

    const int m_field, m_fields;
    std::deque<Chunk> m_chunks;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    bool m_stopping = false;
    bool m_abandoned = false;
    std::thread m_helper;
};

} // namespace

// ---------------------------------------------------------------- reading

// A statement "SELECT * FROM table ... Order By column" on a text column: the rows are
// ordered here, after fetching, in the same Turkish order the TR collation gives. The
// engine's sorter would call the collation some two million times for 100,000 staff;
// comparing sort keys made once per row takes a fraction of that.

std::optional<Dataset::ClientOrder> Dataset::clientOrder(const QString &statement)
{
    // One pattern per thread: the rows of a list may be read on another thread.
    thread_local const QRegularExpression pattern(
        QStringLiteral("^(\\s*select\\s+\\*\\s+from\\s+(\\w+)\\b.*?)\\s+order\\s+by\\s+(\\w+)(\\s+(asc|desc))?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = pattern.match(statement);
    if (!m.hasMatch())
        return std::nullopt;
    const schema::Table *table = schema::table(m.captured(2));
    if (!table)
        return std::nullopt;
    for (const schema::Column &c : table->columns) {
        if (m.captured(3).compare(QLatin1String(c.name), Qt::CaseInsensitive) != 0)
            continue;
        if (c.kind != schema::Column::Text && c.kind != schema::Column::Memo)
            return std::nullopt;
        return ClientOrder{m.captured(1), QLatin1String(c.name),
                           m.captured(5).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0};
    }
    return std::nullopt;
}

void Dataset::orderRows(std::vector<Row> &rows, std::vector<QString> &folded, int field, int fields,
                        bool descending)
{
    // A list holds few distinct values in the column it is ordered by (first names): each
    // value gets its sort key once, and its rows follow it, in the statement's order.
    struct Value {
        QByteArray key;
        std::vector<int> rows;
    };
    std::vector<Value> values;
    QHash<QByteArrayView, size_t> placeOf;
    size_t nulls = values.max_size();
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row &row = *rows[i];
        size_t place;
        if (row.isNull(field)) {
            if (nulls == values.max_size()) {
                nulls = values.size();
                values.push_back({QByteArray(), {}}); // sorts first, as empty text
            }
            place = nulls;
        } else {
            const QByteArrayView text = row.text(field, fields);
            const auto found = placeOf.constFind(text);
            if (found == placeOf.cend()) {
                place = values.size();
                placeOf.insert(text, place);
                values.push_back({turkish::sortKeyUtf8(text.data(), int(text.size())), {}});
            } else {
                place = *found;
            }
        }
        values[place].rows.push_back(int(i));
    }
    std::vector<size_t> places(values.size());
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [&](size_t a, size_t b) {
        return descending ? values[b].key < values[a].key : values[a].key < values[b].key;
    });
    std::vector<int> order;
    order.reserve(rows.size());
    for (size_t p = 0; p < places.size();) {
        size_t q = p + 1;
        while (q < places.size() && values[places[q]].key == values[places[p]].key)
            ++q;
        const size_t start = order.size();
        for (size_t k = p; k < q; ++k)
            order.insert(order.end(), values[places[k]].rows.begin(), values[places[k]].rows.end());
        // Different values that sort alike keep the statement's order among themselves.
        if (q - p > 1)
            std::sort(order.begin() + qsizetype(start), order.end());
        p = q;
    }
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    std::vector<QString> foldedSorted;
    foldedSorted.reserve(folded.size());
    for (int index : order) {
        sorted.push_back(std::move(rows[size_t(index)]));
        if (!folded.empty())
            foldedSorted.push_back(std::move(folded[size_t(index)]));
    }
    rows = std::move(sorted);
    folded = std::move(foldedSorted);
}

Dataset::Reading Dataset::reading() const
{
    Reading what{sql(), m_params, m_prefixSearchField};
    if (linkUsesParameter())
        what.params.insert(m_linkField.toLower(), masterKey());
    return what;
}

void Dataset::readColumns(const Statement &s, Fetched *fetched, std::vector<bool> *declared)
{
    const int fields = s.columnCount();
    fetched->kinds.assign(size_t(fields), Kind::Text);
    declared->assign(size_t(fields), false);
    QString table;
    bool singleTable = true;
    for (int i = 0; i < fields; ++i) {
        fetched->fieldNames << s.cursor().columnName(i);
        const ColumnSource source = s.cursor().columnSource(i);
        if (!source.declaredType.isEmpty()) {
            const QByteArray &d = source.declaredType;
            (*declared)[size_t(i)] = true;
            fetched->kinds[size_t(i)] = d.contains("BOOL")                         ? Kind::YesNo
                                        : d.contains("INT")                        ? Kind::Integer
                                        : d.contains("REAL") || d.contains("DOUB") ? Kind::Real
                                                                                   : Kind::Text;
        }
        if (!source.table.isEmpty()) {
            if (table.isEmpty())
                table = source.table;
            else if (source.table.compare(table, Qt::CaseInsensitive) != 0)
                singleTable = false;
        }
        fetched->origins << source.column;
    }
    fetched->table = singleTable ? table : QString();
}

bool Dataset::readRows(Statement &s, const std::vector<bool> &declared,
                       const std::atomic<bool> *cancelled, Fetched *fetched)
{
    const int fields = s.columnCount();
    // Rows are gathered in chunks whose storage stays put, so that the helper making their
    // search texts can read them while more rows come in.
    using Texts = SearchTexts<Row>;
    std::deque<std::vector<Row>> chunks(1); // before the helper, which must end first
    chunks.back().reserve(Texts::kChunk);
    Texts texts(fetched->foldedField, fields);
    bool firstRow = true;
    Cursor &cursor = s.cursor();
    while (cursor.step()) {
        if (firstRow) {
            // Computed columns have no declared type; the first value tells.
            for (int i = 0; i < fields; ++i)
                if (!declared[size_t(i)])
                    fetched->kinds[size_t(i)] = cursor.isInteger(i) ? Kind::Integer
                                                : cursor.isReal(i)  ? Kind::Real
                                                                    : Kind::Text;
            firstRow = false;
        }
        Row row;
        row->bytes = packRow(fields, [&](int i, bool &isNull) {
            // Only a null value has no text.
            const QByteArrayView text = cursor.text(i);
            isNull = text.data() == nullptr;
            return text;
        });
        std::vector<Row> &chunk = chunks.back();
        chunk.push_back(std::move(row));
        if (chunk.size() == Texts::kChunk) {
            texts.add(chunk.data(), chunk.size());
            chunks.emplace_back().reserve(Texts::kChunk);
            if (cancelled && cancelled->load(std::memory_order_relaxed))
                return false;
        }
    }
    texts.add(chunks.back().data(), chunks.back().size());
    fetched->folded = texts.finish();
    fetched->rows.reserve((chunks.size() - 1) * Texts::kChunk + chunks.back().size());
    for (std::vector<Row> &chunk : chunks)
        std::move(chunk.begin(), chunk.end(), std::back_inserter(fetched->rows));
    return true;
}

std::shared_ptr<Dataset::Fetched> Dataset::read(Database &db, const Reading &what,
                                                const std::atomic<bool> *cancelled)
{
    const qint64 readStart = steadyNow();
    const std::optional<ClientOrder> order = clientOrder(what.sql);
    const QString statement = order ? order->statement : what.sql;
    Statement st(db, statement);
    for (int i = 1, n = st.cursor().parameterCount(); i <= n; ++i) {
        const QString name = st.cursor().parameterName(i);
        st.bind(i, what.params.value(name.isEmpty() ? QString() : name.mid(1).toLower()));
    }

    auto fetched = std::make_shared<Fetched>();
    fetched->readBy = what;
    fetched->readStarted = readStart;
    std::vector<bool> declared;
    readColumns(st, fetched.get(), &declared);
    const int fields = int(fetched->fieldNames.size());
    auto fieldNamed = [&](const QString &name) {
        for (int f = 0; f < fields && !name.isEmpty(); ++f)
            if (fetched->fieldNames[f].compare(name, Qt::CaseInsensitive) == 0)
                return f;
        return -1;
    };
    fetched->foldedField = fieldNamed(what.prefixSearchField);
    if (!readRows(st, declared, cancelled, fetched.get()))
        return nullptr;
    const int sortField = order ? fieldNamed(order->column) : -1;
    if (sortField >= 0)
        orderRows(fetched->rows, fetched->folded, sortField, fields, order->descending);
    return fetched;
}

qint64 Dataset::steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Dataset::take(Fetched &&fetched)
{
    m_readStarted = fetched.readStarted;
    const int fields = int(fetched.fieldNames.size());
    m_fieldNames = std::move(fetched.fieldNames);
    m_kinds = std::move(fetched.kinds);
    m_rows = std::move(fetched.rows);
    m_foldCache.assign(size_t(fields), {});
    if (fetched.foldedField >= 0 && fetched.folded.size() == m_rows.size())
        m_foldCache[size_t(fetched.foldedField)] = std::move(fetched.folded);
    m_writable.assign(size_t(fields), false);
    m_columns = std::move(fetched.origins);
    m_table.clear();
    m_keyField = -1;
    if (const schema::Table *t = schema::table(fetched.table)) {
        m_table = QString::fromLatin1(t->name);
        for (int i = 0; i < fields; ++i) {
            for (const schema::Column &c : t->columns) {
                if (m_columns[i].compare(QLatin1String(c.name), Qt::CaseInsensitive) != 0)
                    continue;
                if (c.kind == schema::Column::Key)
                    m_keyField = i;
                else
                    m_writable[size_t(i)] = !m_hiddenFields.contains(m_fieldNames[i], Qt::CaseInsensitive);
            }
        }
        if (m_keyField < 0)
            m_table.clear(); // without the row key no row can be written back
    }
}
