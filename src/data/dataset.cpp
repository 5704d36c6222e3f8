#include "dataset.h"

#include "transaction.h"

#include "database.h"
#include "dberror.h"
#include "schema.h"
#include "turkish.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <iterator>
#include <mutex>
#include <numeric>
#include <optional>
#include <sqlite3.h>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

// One fetched row: the end offset of each cell (bit 31 marks null), then the cells' UTF-8
// text back to back. One allocation per row keeps 100,000 staff rows small and quick to load.
struct Dataset::Row {
    QByteArray bytes;

    // A slot of the row list: empty once its row has been deleted.
    explicit operator bool() const { return !bytes.isNull(); }
    const Row *get() const { return bytes.isNull() ? nullptr : this; }
    Row *operator->() { return this; }
    const Row *operator->() const { return this; }
    Row &operator*() { return *this; }
    const Row &operator*() const { return *this; }
    void reset() { bytes = QByteArray(); }

    static constexpr quint32 kNull = 0x80000000u;

    quint32 header(int i) const
    {
        quint32 v;
        std::memcpy(&v, bytes.constData() + i * 4, 4);
        return v;
    }
    bool isNull(int field) const { return header(field) & kNull; }
    QByteArrayView text(int field, int fields) const
    {
        quint32 end = header(field) & ~kNull;
        quint32 begin = field == 0 ? 0 : header(field - 1) & ~kNull;
        return QByteArrayView(bytes.constData() + fields * 4 + begin, end - begin);
    }
    // The cell as the prefix search compares it.
    QString searchText(int field, int fields) const
    {
        return turkish::fold(QString::fromUtf8(text(field, fields)));
    }
};

namespace {

// Builds a row from cells given as UTF-8 (isNull set for a null cell), in one allocation.
template <typename CellFn>
QByteArray packRow(int fields, CellFn cellAt)
{
    struct Cell {
        QByteArrayView text;
        bool isNull;
    };
    thread_local std::vector<Cell> cells;
    cells.resize(size_t(fields));
    qsizetype total = fields * 4;
    for (int i = 0; i < fields; ++i) {
        bool isNull = false;
        cells[size_t(i)].text = cellAt(i, isNull);
        cells[size_t(i)].isNull = isNull;
        total += cells[size_t(i)].text.size();
    }
    QByteArray row(total, Qt::Uninitialized);
    char *header = row.data();
    char *data = header + fields * 4;
    quint32 end = 0;
    for (int i = 0; i < fields; ++i) {
        const Cell &cell = cells[size_t(i)];
        if (!cell.text.isEmpty())
            std::memcpy(data + end, cell.text.data(), size_t(cell.text.size()));
        end += quint32(cell.text.size());
        const quint32 v = end | (cell.isNull ? 0x80000000u : 0);
        std::memcpy(header + i * 4, &v, 4);
    }
    return row;
}

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

// From how many rows on a dropped result leaves enough freed memory to give back at once.
constexpr size_t kLargeResult = 10000;

void giveBackFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// A statement as the engine understands it: its words in one case and its blanks as one,
// quoted text left as it is.
QString statementKey(const QString &sql)
{
    QString key;
    key.reserve(sql.size());
    QChar quote;
    for (const QChar ch : sql) {
        if (!quote.isNull()) {
            key += ch;
            if (ch == quote)
                quote = QChar();
        } else if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            key += ch;
            quote = ch;
        } else if (ch.isSpace()) {
            if (!key.isEmpty() && key.back() != QLatin1Char(' '))
                key += QLatin1Char(' ');
        } else {
            key += ch.toLower();
        }
    }
    if (key.endsWith(QLatin1Char(' ')))
        key.chop(1);
    return key;
}

// Values are compared as the table holds them: as text, a null being no text at all.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.toString() == b.toString();
}

} // namespace

Dataset::Dataset(Database *db, const QString &name, QObject *parent) : QObject(parent), m_db(db)
{
    setObjectName(name);
}

Dataset::~Dataset()
{
    if (m_master)
        std::erase(m_master->m_details, this);
    for (Dataset *d : m_details)
        d->m_master = nullptr;
}

// ---------------------------------------------------------------- statement

void Dataset::clearSql()
{
    m_sqlLines.clear();
}

void Dataset::addSql(const QString &line)
{
    m_sqlLines << line;
}

void Dataset::setSql(const QString &statement)
{
    m_sqlLines = QStringList{statement};
}

void Dataset::setParam(const QString &name, const QVariant &value)
{
    QString key = name.startsWith(QLatin1Char(':')) ? name.mid(1) : name;
    m_params.insert(key.toLower(), value);
}

void Dataset::clearParams()
{
    m_params.clear();
}

bool Dataset::linkUsesParameter() const
{
    if (!m_master)
        return false;
    static const QRegularExpression word(QStringLiteral("\\w"));
    QString s = sql();
    QString token = QLatin1Char(':') + m_linkField;
    for (int at = s.indexOf(token, 0, Qt::CaseInsensitive); at >= 0;
         at = s.indexOf(token, at + 1, Qt::CaseInsensitive)) {
        int after = at + int(token.size());
        if (after >= s.size() || !word.match(s.mid(after, 1)).hasMatch())
            return true;
    }
    return false;
}

QVariant Dataset::masterKey() const
{
    if (!m_master || !m_master->isOpen() || m_master->isEmpty() || !m_master->hasField(m_linkField))
        return {};
    return m_master->value(m_linkField);
}

// ---------------------------------------------------------------- open and close

// A statement "SELECT * FROM table ... Order By column" on a text column: the rows are
// ordered here, after fetching, in the same Turkish order the TR collation gives. The
// engine's sorter would call the collation some two million times for 100,000 staff;
// comparing sort keys made once per row takes a fraction of that.
struct Dataset::ClientOrder {
    QString statement; // without its Order By
    QString column;
    bool descending = false;
};

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

// Everything a statement returned, with what the dataset needs to know of its columns.
struct Dataset::Fetched {
    QStringList fieldNames;
    std::vector<Kind> kinds;
    std::vector<Row> rows;
    QStringList origins; // the table column behind each field; empty for a computed one
    QString table;       // the one table all columns come from; empty when several or none
    int foldedField = -1;
    std::vector<QString> folded; // that field of every row, folded for the prefix search
    Reading readBy;
};

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

void Dataset::readColumns(sqlite3_stmt *s, Fetched *fetched, std::vector<bool> *declared)
{
    const int fields = sqlite3_column_count(s);
    fetched->kinds.assign(size_t(fields), Kind::Text);
    declared->assign(size_t(fields), false);
    QString table;
    bool singleTable = true;
    for (int i = 0; i < fields; ++i) {
        fetched->fieldNames << QString::fromUtf8(sqlite3_column_name(s, i));
        if (const char *decl = sqlite3_column_decltype(s, i)) {
            QByteArray d = QByteArray(decl).toUpper();
            (*declared)[size_t(i)] = true;
            fetched->kinds[size_t(i)] = d.contains("BOOL")                         ? Kind::YesNo
                                        : d.contains("INT")                        ? Kind::Integer
                                        : d.contains("REAL") || d.contains("DOUB") ? Kind::Real
                                                                                   : Kind::Text;
        }
        const char *t = sqlite3_column_table_name(s, i);
        const char *o = sqlite3_column_origin_name(s, i);
        if (t && o) {
            QString tn = QString::fromUtf8(t);
            if (table.isEmpty())
                table = tn;
            else if (tn.compare(table, Qt::CaseInsensitive) != 0)
                singleTable = false;
        }
        fetched->origins << (t && o ? QString::fromUtf8(o) : QString());
    }
    fetched->table = singleTable ? table : QString();
}

bool Dataset::readRows(sqlite3_stmt *s, const std::vector<bool> &declared,
                       const std::atomic<bool> *cancelled, Fetched *fetched)
{
    const int fields = sqlite3_column_count(s);
    // Rows are gathered in chunks whose storage stays put, so that the helper making their
    // search texts can read them while more rows come in.
    using Texts = SearchTexts<Row>;
    std::deque<std::vector<Row>> chunks(1); // before the helper, which must end first
    chunks.back().reserve(Texts::kChunk);
    Texts texts(fetched->foldedField, fields);
    bool firstRow = true;
    for (;;) {
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throw Database::errorOf(sqlite3_db_handle(s));
        if (firstRow) {
            // Computed columns have no declared type; the first value tells.
            for (int i = 0; i < fields; ++i)
                if (!declared[size_t(i)]) {
                    int type = sqlite3_column_type(s, i);
                    fetched->kinds[size_t(i)] = type == SQLITE_INTEGER ? Kind::Integer
                                                : type == SQLITE_FLOAT ? Kind::Real
                                                                       : Kind::Text;
                }
            firstRow = false;
        }
        Row row;
        row->bytes = packRow(fields, [&](int i, bool &isNull) {
            // Only a null value has no text.
            auto text = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
            isNull = text == nullptr;
            return QByteArrayView(text, text ? sqlite3_column_bytes(s, i) : 0);
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

std::shared_ptr<Dataset::Fetched> Dataset::read(sqlite3 *db, const Reading &what,
                                                const std::atomic<bool> *cancelled)
{
    const std::optional<ClientOrder> order = clientOrder(what.sql);
    const QString statement = order ? order->statement : what.sql;
    Statement st(db, statement);
    sqlite3_stmt *s = st.get();
    for (int i = 1, n = sqlite3_bind_parameter_count(s); i <= n; ++i) {
        const char *raw = sqlite3_bind_parameter_name(s, i);
        st.bind(i, what.params.value(raw ? QString::fromUtf8(raw + 1).toLower() : QString()));
    }

    auto fetched = std::make_shared<Fetched>();
    fetched->readBy = what;
    std::vector<bool> declared;
    readColumns(s, fetched.get(), &declared);
    const int fields = int(fetched->fieldNames.size());
    auto fieldNamed = [&](const QString &name) {
        for (int f = 0; f < fields && !name.isEmpty(); ++f)
            if (fetched->fieldNames[f].compare(name, Qt::CaseInsensitive) == 0)
                return f;
        return -1;
    };
    fetched->foldedField = fieldNamed(what.prefixSearchField);
    if (!readRows(s, declared, cancelled, fetched.get()))
        return nullptr;
    const int sortField = order ? fieldNamed(order->column) : -1;
    if (sortField >= 0)
        orderRows(fetched->rows, fetched->folded, sortField, fields, order->descending);
    return fetched;
}

void Dataset::take(Fetched &&fetched)
{
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

void Dataset::open()
{
    if (isOpen())
        return;
    if (!m_db || !m_db->isOpen())
        throw DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
    const Reading what = reading();
    const ReadMark readAt = m_db->markFor(what.sql);
    std::shared_ptr<Fetched> fetched = read(m_db->handle(), what);
    m_rowsRead = what;
    m_readAt = readAt;
    openWith(std::move(*fetched));
}

void Dataset::open(const std::shared_ptr<Fetched> &fetched, const ReadMark &readAt)
{
    if (isOpen() || !fetched)
        return;
    m_rowsRead = fetched->readBy;
    m_readAt = readAt;
    openWith(std::move(*fetched));
}

bool Dataset::holdsCurrentRows()
{
    return isOpen() && m_readAt && sameReading(m_rowsRead, reading()) && m_db &&
           m_db->unchangedSince(*m_readAt);
}

bool Dataset::sameReading(const Reading &a, const Reading &b)
{
    return a.params == b.params && a.prefixSearchField == b.prefixSearchField &&
           statementKey(a.sql) == statementKey(b.sql);
}

void Dataset::reopen()
{
    if (!holdsCurrentRows()) {
        // The memory of the rows let go is given back once the new ones are in: until then
        // the reading reuses it rather than asking the system for more.
        const bool large = m_rows.size() >= kLargeResult;
        const auto giveBack = qScopeGuard([large] {
            if (large)
                giveBackFreedMemory();
        });
        closeRows(false);
        open();
        return;
    }
    const ReadMark readAt = *m_readAt;
    Fetched kept = closeKeepingRows();
    m_readAt = readAt;
    openWith(std::move(kept));
}

Dataset::Fetched Dataset::closeKeepingRows()
{
    if (isEditing())
        cancel();
    Fetched kept;
    kept.fieldNames = m_fieldNames;
    kept.kinds = m_kinds;
    kept.origins = m_columns;
    kept.table = m_table;
    const int folded = int(std::find_if(m_foldCache.begin(), m_foldCache.end(),
                                        [](const std::vector<QString> &c) { return !c.empty(); }) -
                           m_foldCache.begin());
    const bool keepFolded = folded < int(m_foldCache.size()) && m_foldCache[size_t(folded)].size() == m_rows.size();
    kept.rows.reserve(m_rows.size());
    if (keepFolded)
        kept.folded.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i])
            continue; // a deleted row's empty slot
        kept.rows.push_back(std::move(m_rows[i]));
        if (keepFolded)
            kept.folded.push_back(std::move(m_foldCache[size_t(folded)][i]));
    }
    if (keepFolded)
        kept.foldedField = folded;
    m_rows.clear(); // nothing left for close() to give back
    close();
    return kept;
}

void Dataset::openWith(Fetched &&fetched)
{
    take(std::move(fetched));
    if (linkUsesParameter()) {
        m_appliedKey = masterKey();
        m_linkApplied = true;
    }
    m_state = State::Browse;
    m_sortText.clear();
    m_order.resize(m_rows.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    m_pendingRow = -1;
    m_modified = false;
    m_buffer.clear();
    if (m_master && !linkUsesParameter()) {
        m_filterActive = m_master->isOpen();
        m_filterKey = masterKey();
        m_appliedKey = m_filterKey;
        m_linkApplied = true;
    } else {
        m_filterActive = false;
    }
    rebuildView();
    m_cursor = 0;
    m_bof = true;
    m_eof = m_view.empty();
    Q_EMIT stateChanged(m_state);
    Q_EMIT rowsReset();
    Q_EMIT afterOpen(this);
    if (!m_view.empty())
        setCursor(0, true);
    else
        notifyDetails();
}

void Dataset::close()
{
    closeRows(true);
}

void Dataset::closeRows(bool giveBackMemory)
{
    if (!isOpen())
        return;
    m_state = State::Inactive;
    dropRows(giveBackMemory);
    m_buffer.clear();
    m_pendingRow = -1;
    m_modified = false;
    m_cursor = 0;
    m_eof = m_bof = true;
    m_sortText.clear();
    Q_EMIT stateChanged(m_state);
    Q_EMIT rowsReset();
    notifyDetails();
}

void Dataset::dropRows(bool giveBackMemory)
{
    const size_t dropped = m_rows.size();
    m_rows = {};
    m_order = {};
    m_view = {};
    m_foldCache = {};
    m_readAt.reset();
    // The allocator keeps what a large result freed, scattered between what stays; given back
    // now, the program's memory returns to where it was before the rows came.
    if (giveBackMemory && dropped >= kLargeResult)
        giveBackFreedMemory();
}

void Dataset::requery()
{
    close();
    open();
    first();
}

void Dataset::ensureActive(const char *operation) const
{
    if (!isOpen())
        throw DbError(QStringLiteral("%1: veri kümesi kapalıyken bu işlem (%2) yapılamaz")
                          .arg(objectName(), QLatin1String(operation)));
}

// ---------------------------------------------------------------- view and moves

void Dataset::rebuildView()
{
    m_view.clear();
    m_view.reserve(m_order.size());
    const int link = m_filterActive ? fieldIndex(m_linkField) : -1;
    const QByteArray key = m_filterKey.isNull() ? QByteArray() : m_filterKey.toString().toUtf8();
    for (int index : m_order) {
        const Row *row = m_rows[size_t(index)].get();
        if (!row)
            continue;
        if (m_filterActive && index != m_pendingRow) {
            if (link < 0 || m_filterKey.isNull() || row->isNull(link) ||
                row->text(link, int(m_fieldNames.size())) != key)
                continue;
        }
        m_view.push_back(index);
    }
}

void Dataset::setCursor(int row, bool alwaysNotify)
{
    if (row == m_cursor && !alwaysNotify)
        return;
    m_cursor = row;
    Q_EMIT currentMoved(row);
    Q_EMIT afterScroll(this);
    notifyDetails();
}

void Dataset::leaveEditForMove()
{
    if (!isEditing())
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::first()
{
    ensureActive("First");
    leaveEditForMove();
    m_bof = true;
    m_eof = m_view.empty();
    setCursor(0, true);
}

void Dataset::last()
{
    ensureActive("Last");
    leaveEditForMove();
    m_eof = true;
    m_bof = m_view.empty();
    setCursor(m_view.empty() ? 0 : int(m_view.size()) - 1, true);
}

void Dataset::next()
{
    moveBy(1);
}

void Dataset::prior()
{
    moveBy(-1);
}

int Dataset::moveBy(int distance)
{
    ensureActive("MoveBy");
    leaveEditForMove();
    if (m_view.empty()) {
        m_eof = m_bof = true;
        return 0;
    }
    const int count = int(m_view.size());
    const long target = long(m_cursor) + distance;
    const int clamped = int(std::clamp<long>(target, 0, count - 1));
    const int moved = clamped - m_cursor;
    m_eof = distance > 0 && target > count - 1;
    m_bof = distance < 0 && target < 0;
    if (distance != 0 && !m_eof && !m_bof) {
        m_eof = false;
        m_bof = false;
    }
    if (moved != 0)
        setCursor(clamped, false);
    return moved;
}

void Dataset::setRecNo(int recNo)
{
    ensureActive("RecNo");
    if (recNo < 1 || recNo > recordCount() || recNo == this->recNo())
        return;
    moveBy(recNo - this->recNo());
}

// ---------------------------------------------------------------- fields

int Dataset::fieldIndex(const QString &name) const
{
    if (m_hiddenFields.contains(name, Qt::CaseInsensitive))
        return -1;
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QStringList Dataset::fieldNames() const
{
    QStringList shown;
    for (const QString &f : m_fieldNames)
        if (!m_hiddenFields.contains(f, Qt::CaseInsensitive))
            shown << f;
    return shown;
}

int Dataset::fieldSize(const QString &name) const
{
    return m_table.isEmpty() ? 0 : schema::textSize(m_table, name);
}

const Dataset::Row *Dataset::currentRow() const
{
    if (m_view.empty())
        return nullptr;
    return m_rows[size_t(rowIndexOf(m_cursor))].get();
}

QVariant Dataset::cell(const Row &row, int field) const
{
    if (row.isNull(field))
        return {};
    QByteArrayView bytes = row.text(field, int(m_fieldNames.size()));
    switch (m_kinds[size_t(field)]) {
    case Kind::Integer:
        return QVariant(bytes.toByteArray().toLongLong());
    case Kind::Real:
        return QVariant(bytes.toByteArray().toDouble());
    case Kind::YesNo:
        return QVariant(bytes.toByteArray().toLongLong() != 0);
    case Kind::Text:
        break;
    }
    return QString::fromUtf8(bytes);
}

QVariant Dataset::valueAt(int row, int field) const
{
    if (row < 0 || row >= recordCount() || field < 0 || field >= m_fieldNames.size())
        return {};
    if (isEditing() && row == m_cursor)
        return m_buffer[size_t(field)];
    return cell(*m_rows[size_t(rowIndexOf(row))], field);
}

QString Dataset::textAt(int row, int field) const
{
    QVariant v = valueAt(row, field);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QVariant Dataset::value(const QString &name) const
{
    int field = fieldIndex(name);
    if (field < 0)
        throw DbError(QStringLiteral("%1: '%2' alanı bulunamadı").arg(objectName(), name));
    if (isEditing())
        return m_buffer[size_t(field)];
    const Row *row = currentRow();
    return row ? cell(*row, field) : QVariant();
}

QString Dataset::fieldText(const QString &name) const
{
    QVariant v = value(name);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

void Dataset::setFieldText(const QString &name, const QString &text)
{
    int field = fieldIndex(name);
    if (field < 0)
        throw DbError(QStringLiteral("%1: '%2' alanı bulunamadı").arg(objectName(), name));
    QVariant v;
    switch (m_kinds[size_t(field)]) {
    case Kind::Text:
        if (!text.isEmpty())
            v = text;
        break;
    case Kind::Integer: {
        bool ok = true;
        if (!text.trimmed().isEmpty())
            v = text.trimmed().toLongLong(&ok);
        if (!ok)
            throw DbError(QStringLiteral("'%1' geçerli bir tam sayı değil").arg(text));
        break;
    }
    case Kind::Real: {
        bool ok = true;
        if (!text.trimmed().isEmpty())
            v = text.trimmed().toDouble(&ok);
        if (!ok)
            throw DbError(QStringLiteral("'%1' geçerli bir sayı değil").arg(text));
        break;
    }
    case Kind::YesNo:
        v = text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
            text.compare(QLatin1String("evet"), Qt::CaseInsensitive) == 0;
        break;
    }
    setValue(name, v);
}

void Dataset::setValue(const QString &name, const QVariant &value)
{
    ensureActive("SetField");
    int field = fieldIndex(name);
    if (field < 0)
        throw DbError(QStringLiteral("%1: '%2' alanı bulunamadı").arg(objectName(), name));
    if (!isEditing())
        throw DbError(QStringLiteral("%1: kayıt düzenleme durumunda değil").arg(objectName()));
    if (field == m_keyField)
        throw DbError(QStringLiteral("'%1' alanı değiştirilemez").arg(m_fieldNames[field]));
    QVariant v = value;
    if (m_kinds[size_t(field)] == Kind::Text && v.typeId() == QMetaType::QString &&
        v.toString().isEmpty())
        v = QVariant();
    m_buffer[size_t(field)] = v;
    m_modified = true;
    Q_EMIT fieldEdited(m_fieldNames[field]);
    Q_EMIT rowUpdated(m_cursor);
}

// ---------------------------------------------------------------- editing

void Dataset::append()
{
    ensureActive("Append");
    // A new staff row belongs to the unit that is current when the entry begins; without a
    // stored one (none at all, or a new one not saved yet) it would belong to no unit.
    const int link = m_master ? fieldIndex(m_linkField) : -1;
    const QVariant linkKey = link >= 0 ? masterKey() : QVariant();
    if (link >= 0 && linkKey.isNull())
        throw DbError(
            DbError::Kind::NoMasterRow,
            QStringLiteral("%1: %2 has no stored row").arg(objectName(), m_master->objectName()));
    leaveEditForMove();
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("%1: bu sorgunun kayıtları değiştirilemez").arg(objectName()));
    m_buffer.assign(size_t(m_fieldNames.size()), QVariant());
    if (link >= 0)
        m_buffer[size_t(link)] = linkKey;
    Row row;
    row->bytes = packRow(int(m_fieldNames.size()), [](int, bool &isNull) {
        isNull = true;
        return QByteArrayView();
    });
    Q_EMIT rowAboutToBeInserted(int(m_view.size()));
    m_rows.push_back(std::move(row));
    m_pendingRow = int(m_rows.size()) - 1;
    m_order.push_back(m_pendingRow);
    m_view.push_back(m_pendingRow);
    m_cursorBeforeInsert = m_cursor;
    // The edit buffer belongs to the new row from the moment the row exists.
    m_cursor = int(m_view.size()) - 1;
    m_state = State::Insert;
    m_modified = false;
    m_eof = m_bof = false;
    Q_EMIT rowInserted(m_cursor);
    Q_EMIT stateChanged(m_state);
    setCursor(m_cursor, true);
}

void Dataset::edit()
{
    ensureActive("Edit");
    if (isEditing())
        return;
    if (m_view.empty()) {
        append();
        return;
    }
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("%1: bu sorgunun kayıtları değiştirilemez").arg(objectName()));
    const Row *row = currentRow();
    m_buffer.resize(size_t(m_fieldNames.size()));
    for (int i = 0; i < m_fieldNames.size(); ++i)
        m_buffer[size_t(i)] = cell(*row, i);
    m_state = State::Edit;
    m_modified = false;
    Q_EMIT stateChanged(m_state);
}

std::vector<int> Dataset::fieldsToWrite() const
{
    std::vector<int> fields;
    const Row *stored = m_state == State::Edit ? currentRow() : nullptr;
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (!m_writable[size_t(i)])
            continue;
        const QVariant &value = m_buffer[size_t(i)];
        if (stored ? sameValue(value, cell(*stored, i)) : value.isNull())
            continue; // unchanged, or left to the column's default
        fields.push_back(i);
    }
    return fields;
}

void Dataset::checkMasks(const std::vector<int> &fields) const
{
    for (int field : fields) {
        const schema::Mask mask = schema::maskOf(m_table, m_columns[field]);
        const QString text = m_buffer[size_t(field)].toString();
        if (schema::isPartlyFilled(mask, text))
            throw DbError(mask == schema::Mask::Phone ? DbError::Kind::IncompletePhone
                                                      : DbError::Kind::IncompleteDate,
                          text, m_fieldNames[field]);
    }
}

void Dataset::insertRow(const std::vector<int> &fields)
{
    QStringList columns, marks;
    for (int field : fields) {
        columns << m_columns[field];
        marks << QStringLiteral("?");
    }
    const QString sql = columns.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(m_table, columns.join(QStringLiteral(", ")),
                                       marks.join(QStringLiteral(", ")));
    Statement st(m_db->handle(), sql);
    int index = 1;
    for (int field : fields)
        st.bind(index++, m_buffer[size_t(field)]);
    st.step();
    m_buffer[size_t(m_keyField)] = qlonglong(sqlite3_last_insert_rowid(m_db->handle()));
}

// Writes the changed columns only, and only while they still hold what this copy read:
// another copy of the program may have saved the same row meanwhile, and its changes to
// other columns must stay, its changes to these must not be overwritten unseen.
void Dataset::updateRow(const std::vector<int> &fields)
{
    if (fields.empty())
        return;
    const Row &stored = *currentRow();
    QStringList sets, checks;
    for (int field : fields) {
        sets << m_columns[field] + QStringLiteral(" = ?");
        checks << m_columns[field] + QStringLiteral(" IS ? COLLATE BINARY");
    }
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ? AND %4")
                            .arg(m_table, sets.join(QStringLiteral(", ")), m_columns[m_keyField],
                                 checks.join(QStringLiteral(" AND ")));
    Statement st(m_db->handle(), sql);
    int index = 1;
    for (int field : fields)
        st.bind(index++, m_buffer[size_t(field)]);
    st.bind(index++, cell(stored, m_keyField));
    for (int field : fields)
        st.bind(index++, cell(stored, field));
    st.step();
    if (sqlite3_changes(m_db->handle()) == 1)
        return;

    // Refused: the typing stays in the buffer; what the other copy saved comes in beside it.
    const Row before = stored;
    const int rowIndex = rowIndexOf(m_cursor);
    if (!rereadRow(rowIndex))
        throw DbError(DbError::Kind::RowDeleted,
                      QStringLiteral("%1: the row is no longer in %2").arg(objectName(), m_table));
    const Row &now = m_rows[size_t(rowIndex)];
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (sameValue(m_buffer[size_t(i)], cell(before, i)))
            m_buffer[size_t(i)] = cell(now, i);
    Q_EMIT rowUpdated(m_cursor);
    throw DbError(DbError::Kind::RowChanged,
                  QStringLiteral("%1: the row changed in %2").arg(objectName(), m_table));
}

bool Dataset::rereadRow(int index)
{
    const int fields = int(m_fieldNames.size());
    QStringList columns;
    std::vector<int> read;
    for (int i = 0; i < fields; ++i)
        if (!m_columns[i].isEmpty()) {
            columns << m_columns[i];
            read.push_back(i);
        }
    Statement st(m_db->handle(),
                 QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                     .arg(columns.join(QStringLiteral(", ")), m_table, m_columns[m_keyField]));
    const Row old = m_rows[size_t(index)];
    st.bind(1, cell(old, m_keyField));
    if (!st.step())
        return false;
    std::vector<int> columnOf(size_t(fields), -1);
    for (size_t c = 0; c < read.size(); ++c)
        columnOf[size_t(read[c])] = int(c);
    storeRow(index, packRow(fields, [&](int i, bool &isNull) {
                 const int column = columnOf[size_t(i)];
                 if (column < 0) {
                     isNull = old.isNull(i);
                     return old.text(i, fields);
                 }
                 auto text = reinterpret_cast<const char *>(sqlite3_column_text(st.get(), column));
                 isNull = text == nullptr;
                 return QByteArrayView(text, text ? sqlite3_column_bytes(st.get(), column) : 0);
             }));
    return true;
}

void Dataset::storeRow(int index, QByteArray bytes)
{
    m_rows[size_t(index)]->bytes = std::move(bytes);
    const int fields = int(m_fieldNames.size());
    for (size_t f = 0; f < m_foldCache.size(); ++f)
        if (!m_foldCache[f].empty()) {
            m_foldCache[f].resize(m_rows.size());
            m_foldCache[f][size_t(index)] = m_rows[size_t(index)].searchText(int(f), fields);
        }
}

void Dataset::writeBack()
{
    const std::vector<int> fields = fieldsToWrite();
    checkMasks(fields);
    if (m_state == State::Insert)
        insertRow(fields);
    else
        updateRow(fields);
}

void Dataset::post()
{
    if (!isEditing())
        return;
    if (m_postCheck && !m_postCheck(this))
        throw DbError(DbError::Kind::Declined, QStringLiteral("%1: not saved").arg(objectName()));
    Q_EMIT beforePost(this);
    const bool inserting = m_state == State::Insert;
    writeBack();

    const int index = rowIndexOf(m_cursor);
    const int fields = int(m_fieldNames.size());
    std::vector<QByteArray> utf8(static_cast<size_t>(fields));
    storeRow(index, packRow(fields, [&](int i, bool &isNull) {
                 const QVariant &v = m_buffer[size_t(i)];
                 isNull = v.isNull();
                 if (v.typeId() == QMetaType::Bool)
                     utf8[size_t(i)] = v.toBool() ? "1" : "0";
                 else
                     utf8[size_t(i)] = v.toString().toUtf8();
                 return QByteArrayView(utf8[size_t(i)]);
             }));
    // The columns left out of the insert hold their defaults now; a later save checks
    // against what the table holds. The row is stored whatever this reading meets: a
    // failure here must not leave the row to be inserted a second time.
    if (inserting) {
        try {
            rereadRow(index);
        } catch (const DbError &) {
        }
    }
    m_pendingRow = -1;
    m_state = State::Browse;
    m_modified = false;
    m_buffer.clear();
    Q_EMIT stateChanged(m_state);
    Q_EMIT rowUpdated(m_cursor);
    Q_EMIT afterPost(this);
    notifyDetails(); // a new unit has its key only now
}

void Dataset::dropPendingRow()
{
    int viewRow = m_cursor;
    Q_EMIT rowAboutToBeRemoved(viewRow);
    m_rows.pop_back();
    m_order.pop_back();
    m_view.erase(m_view.begin() + viewRow);
    m_pendingRow = -1;
    Q_EMIT rowRemoved(viewRow);
}

void Dataset::cancel()
{
    if (m_state == State::Edit) {
        m_state = State::Browse;
        m_modified = false;
        m_buffer.clear();
        Q_EMIT stateChanged(m_state);
        Q_EMIT rowUpdated(m_cursor);
        return;
    }
    if (m_state != State::Insert)
        return;
    m_state = State::Browse;
    m_modified = false;
    m_buffer.clear();
    dropPendingRow();
    int back = m_view.empty() ? 0 : std::min(m_cursorBeforeInsert, int(m_view.size()) - 1);
    m_eof = m_bof = m_view.empty();
    // Bound controls read the current row on the state change: it must be a row that exists.
    m_cursor = back;
    Q_EMIT stateChanged(m_state);
    setCursor(back, true);
}

void Dataset::remove()
{
    ensureActive("Delete");
    if (m_state == State::Insert) {
        cancel(); // a row that was never posted is simply discarded
        return;
    }
    if (m_view.empty())
        throw DbError(QStringLiteral("Boş bir veri kümesinde silme işlemi yapılamaz"));
    if (m_state == State::Edit)
        cancel();
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("%1: bu sorgunun kayıtları silinemez").arg(objectName()));

    const int index = rowIndexOf(m_cursor);
    const QVariant key = cell(*m_rows[size_t(index)], m_keyField);
    Statement st(m_db->handle(), QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                     .arg(m_table, m_columns[m_keyField]));
    st.bind(1, key);
    st.step();

    // The slot stays empty so that row indexes held by the caches stay valid.
    m_rows[size_t(index)].reset();
    std::erase(m_order, index);
    const int viewRow = m_cursor;
    Q_EMIT rowAboutToBeRemoved(viewRow);
    m_view.erase(m_view.begin() + viewRow);
    Q_EMIT rowRemoved(viewRow);
    Q_EMIT afterDelete(this);
    m_eof = m_bof = m_view.empty();
    setCursor(m_view.empty() ? 0 : std::min(viewRow, int(m_view.size()) - 1), true);
}

int Dataset::removeListed(const QString &keepCondition, const std::function<void(int)> &progress)
{
    ensureActive("Delete");
    if (isEditing())
        cancel();
    if (m_view.empty())
        return 0;
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("%1: bu sorgunun kayıtları silinemez").arg(objectName()));

    QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_columns[m_keyField]);
    if (!keepCondition.isEmpty())
        sql += QStringLiteral(" AND NOT (%1)").arg(keepCondition);
    // In key order, the deletes walk the table's pages once from end to end; in the listed
    // order they would jump between pages and overflow the page cache at every few rows.
    std::vector<std::pair<qlonglong, int>> keys;
    keys.reserve(m_view.size());
    for (int index : m_view)
        keys.emplace_back(cell(*m_rows[size_t(index)], m_keyField).toLongLong(), index);
    std::sort(keys.begin(), keys.end());
    std::vector<bool> gone(m_rows.size(), false);
    int deleted = 0;
    // The transaction changes every page of the table and its indexes: a page cache that
    // holds them all spares spilling them to the file, with a journal sync each time.
    const qlonglong cacheSize = m_db->scalar(QStringLiteral("PRAGMA cache_size")).toLongLong();
    const auto restoreCache = qScopeGuard([&] {
        const QByteArray pragma = "PRAGMA cache_size = " + QByteArray::number(cacheSize);
        sqlite3_exec(m_db->handle(), pragma.constData(), nullptr, nullptr, nullptr);
    });
    m_db->exec(QStringLiteral("PRAGMA cache_size = -262144"));
    Transaction transaction(*m_db);
    {
        // Listing every row of the table, the dataset empties it: the engine then frees its
        // pages whole instead of taking the rows out one by one.
        const bool wholeTable =
            keepCondition.isEmpty() &&
            m_db->scalar(QStringLiteral("SELECT count(*) FROM %1").arg(m_table)).toLongLong() ==
                qlonglong(keys.size());
        if (wholeTable) {
            m_db->exec(QStringLiteral("DELETE FROM %1").arg(m_table));
            for (const auto &[key, index] : keys)
                gone[size_t(index)] = true;
            deleted = int(keys.size());
            if (progress)
                progress(deleted);
        }
        Statement st(m_db->handle(), sql);
        for (size_t i = 0; i < keys.size() && !wholeTable; ++i) {
            const auto [key, index] = keys[i];
            st.bind(1, key);
            st.step();
            if (sqlite3_changes(m_db->handle()) > 0) {
                gone[size_t(index)] = true;
                ++deleted;
            }
            sqlite3_reset(st.get());
            if (progress)
                progress(int(i + 1));
        }
    }
    transaction.commit();
    if (deleted == 0)
        return 0;

    // Slots stay empty, as after a single delete, so that the caches' row indexes stay valid.
    for (size_t index = 0; index < gone.size(); ++index)
        if (gone[index])
            m_rows[index].reset();
    std::erase_if(m_order, [&](int index) { return gone[size_t(index)]; });
    rebuildView();
    m_cursor = 0;
    m_bof = true;
    m_eof = m_view.empty();
    Q_EMIT rowsReset();
    Q_EMIT afterDelete(this);
    setCursor(0, true);
    return deleted;
}

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
        const int fields = int(m_fieldNames.size());
        std::vector<QByteArray> keys(m_rows.size());
        const Kind kind = m_kinds[size_t(field)];
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const Row *row = m_rows[i].get();
            if (!row || row->isNull(field))
                continue; // nulls sort first, as empty text
            QByteArrayView bytes = row->text(field, fields);
            keys[i] = kind == Kind::Text   ? turkish::sortKey(QString::fromUtf8(bytes))
                      : kind == Kind::Real ? realKey(bytes.toByteArray().toDouble())
                                           : numericKey(bytes.toByteArray().toLongLong());
        }
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

// ---------------------------------------------------------------- master link

void Dataset::setMaster(Dataset *master, const QString &linkField)
{
    if (m_master)
        std::erase(m_master->m_details, this);
    m_master = master;
    m_linkField = linkField;
    m_linkApplied = false;
    if (master)
        master->m_details.push_back(this);
}

void Dataset::notifyDetails()
{
    // Plain calls, not signals, so that an error while a detail follows reaches the caller.
    for (Dataset *detail : m_details)
        detail->followMaster();
}

void Dataset::followMaster()
{
    if (!isOpen() || !m_master)
        return;
    const QVariant key = masterKey();
    if (linkUsesParameter()) {
        if (m_linkApplied && sameValue(key, m_appliedKey))
            return;
        leaveEditForMove();
        requery();
        return;
    }
    const bool active = m_master->isOpen();
    if (m_linkApplied && active == m_filterActive && sameValue(key, m_filterKey))
        return;
    leaveEditForMove();
    m_filterActive = active;
    m_filterKey = key;
    m_appliedKey = key;
    m_linkApplied = true;
    rebuildView();
    m_bof = true;
    m_eof = m_view.empty();
    Q_EMIT rowsReset();
    setCursor(0, true);
}
