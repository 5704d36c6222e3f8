// The dataset itself: its statement and parameters, opening and closing, and the fields of
// its rows. Reading, the cursor, writing back, search and sort, and the master link each have
// a file of their own beside this one.

#include "dataset.h"

#include "datasetinternal.h"

#include "database.h"
#include "dberror.h"
#include "schema.h"

#include <QScopeGuard>
#include <algorithm>
#include <numeric>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

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

// ---------------------------------------------------------------- open and close

void Dataset::open()
{
    if (isOpen())
        return;
    if (!m_db || !m_db->isOpen())
        throw DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
    const Reading what = reading();
    const ReadMark readAt = m_db->markFor(what.sql);
    std::shared_ptr<Fetched> fetched = read(*m_db, what);
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
    if (!isOpen() || !m_readAt || !sameReading(m_rowsRead, reading()))
        return false;
    // Every change of the table has come into the rows since they were read.
    if (m_followedLive)
        return !m_followAllLater && m_followLater.isEmpty();
    return m_db && m_db->unchangedSince(*m_readAt);
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
    const bool live = m_followedLive;
    Fetched kept = closeKeepingRows();
    m_readAt = readAt;
    m_followedLive = live;
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
    kept.readStarted = m_readStarted;
    // Rows another office added wait at the end of the slots: they go where the statement's
    // own order puts them, as a reading would.
    if (std::exchange(m_rowsFollowed, false))
        if (const std::optional<ClientOrder> order = clientOrder(m_rowsRead.sql)) {
            int field = -1;
            for (int f = 0; f < kept.fieldNames.size() && field < 0; ++f)
                if (kept.fieldNames[f].compare(order->column, Qt::CaseInsensitive) == 0)
                    field = f;
            if (field >= 0)
                orderRows(kept.rows, kept.folded, field, int(kept.fieldNames.size()), order->descending);
        }
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
    m_followedLive = false;
    m_rowsFollowed = false;
    m_followAllLater = false;
    m_followLater.clear();
    m_changedElsewhere = false;
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
