// Writing back: the edit buffer of the current row, its post to the table (only the columns
// that changed, and only while they still hold what was read), and the deletes.

#include "dataset.h"

#include "datasetinternal.h"

#include "database.h"
#include "dberror.h"
#include "schema.h"
#include "transaction.h"

#include <QHash>
#include <QScopeGuard>
#include <algorithm>

using datasetinternal::packRow;
using datasetinternal::sameValue;

// ---------------------------------------------------------------- field values

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
    Statement st(*m_db, sql);
    int index = 1;
    for (int field : fields)
        st.bind(index++, m_buffer[size_t(field)]);
    st.step();
    m_buffer[size_t(m_keyField)] = st.insertedKey();
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
    Statement st(*m_db, sql);
    int index = 1;
    for (int field : fields)
        st.bind(index++, m_buffer[size_t(field)]);
    st.bind(index++, cell(stored, m_keyField));
    for (int field : fields)
        st.bind(index++, cell(stored, field));
    st.step();
    if (st.changes() == 1)
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
    Statement st(*m_db,
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
                 const QByteArrayView text = st.text(column);
                 isNull = text.data() == nullptr;
                 return text;
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
    followDeferred();
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
        followDeferred();
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
    followDeferred();
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
    Statement st(*m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
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

int Dataset::deleteAtOnce(const std::vector<std::pair<qlonglong, int>> &keys, const QString &keepCondition,
                          std::vector<bool> &gone, Progress *progress)
{
    // A server answers each statement across the network: every key goes in one statement,
    // as one array, and the rows deleted come back with the answer.
    QHash<qlonglong, int> indexOf;
    indexOf.reserve(qsizetype(keys.size()));
    QStringList list;
    list.reserve(qsizetype(keys.size()));
    for (const auto &[key, index] : keys) {
        indexOf.insert(key, index);
        list << QString::number(key);
    }
    const QString &key = m_columns[m_keyField];
    QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ANY (CAST(? AS bigint[]))").arg(m_table, key);
    if (!keepCondition.isEmpty())
        sql += QStringLiteral(" AND NOT (%1)").arg(keepCondition);
    sql += QStringLiteral(" RETURNING %1").arg(key);
    Statement st(*m_db, sql);
    st.bind(1, QStringLiteral("{%1}").arg(list.join(u',')));
    int deleted = 0;
    while (st.step()) {
        gone[size_t(indexOf.value(st.integer(0)))] = true;
        ++deleted;
    }
    progress::advance(progress, int(keys.size()));
    return deleted;
}

int Dataset::removeListed(const QString &keepCondition, Progress *progress)
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
    Engine *engine = m_db->engine();
    if (engine)
        engine->hintLargeWork(true);
    const auto endHint = qScopeGuard([engine] {
        if (engine)
            engine->hintLargeWork(false);
    });
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
            progress::advance(progress, deleted);
        }
        if (!wholeTable && m_db->isServer()) {
            deleted = deleteAtOnce(keys, keepCondition, gone, progress);
        }
        Statement st(*m_db, sql);
        for (size_t i = 0; i < keys.size() && !wholeTable && !m_db->isServer(); ++i) {
            const auto [key, index] = keys[i];
            st.bind(1, key);
            st.step();
            if (st.changes() > 0) {
                gone[size_t(index)] = true;
                ++deleted;
            }
            st.reset();
            progress::advance(progress, int(i + 1));
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
