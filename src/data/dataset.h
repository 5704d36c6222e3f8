#pragma once

#include "database.h"
#include "progress.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>


// A query whose whole result is fetched into memory when it opens: record count and
// number, moves, locate and sort work on the fetched rows. Rows are edited in a buffer
// and written back to their table on post. A detail dataset can follow a master's
// current row through a link field, as a parameter or, for statements without that
// parameter, as a row filter.
//
// Operations that the engine or the rules refuse throw DbError.
class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)

    Dataset(Database *db, const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    // Statement, as lines joined with line breaks.
    void clearSql();
    void addSql(const QString &line);
    void setSql(const QString &statement);
    QString sql() const { return m_sqlLines.join(QLatin1Char('\n')); }
    QStringList sqlLines() const { return m_sqlLines; }

    // Values for named parameters (":name") of the statement; typed text travels this way.
    void setParam(const QString &name, const QVariant &value);
    void clearParams();

    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }

    // A result read apart from the dataset, on a connection and a thread of its own, for the
    // dataset to take when it opens, as if it had read the rows itself.
    struct Fetched;
    // What open() reads: the statement and the values of its parameters, as they are now.
    struct Reading {
        QString sql;
        QHash<QString, QVariant> params;
        QString prefixSearchField;
    };
    Reading reading() const;
    // Reads on `db`, which must have the Turkish functions; throws DbError. Null when
    // `cancelled` was set while reading.
    static std::shared_ptr<Fetched> read(Database &db, const Reading &what,
                                         const std::atomic<bool> *cancelled = nullptr);
    // Opens with rows read by read(), which they leave; `readAt` is the mark of the dataset's
    // connection taken before they were read. Does nothing when already open.
    void open(const std::shared_ptr<Fetched> &fetched, const ReadMark &readAt);
    // Opens the statement and parameters set now, as close() and open() would, but keeps the
    // rows held when they are what a reading would give: read by the same statement with the
    // same parameters, and no table they come from changed since, by this program or another.
    void reopen();
    // Whether reopen() would keep the rows held.
    bool holdsCurrentRows();
    // Runs the statement again (close and open) and moves to the first row.
    void requery();

    int recordCount() const { return int(m_view.size()); }
    int recNo() const { return m_view.empty() ? 0 : m_cursor + 1; } // 1 for the first row
    bool isEmpty() const { return m_view.empty(); }
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    // Moves to a record number (1-based); used by grids.
    void setRecNo(int recNo);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    QStringList fieldNames() const;
    // Fields of the result that the program may not read through this dataset; they still
    // travel with the rows.
    void setHiddenFields(const QStringList &fields) { m_hiddenFields = fields; }
    int fieldIndex(const QString &name) const;
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    // Characters the field's column holds; 0 when unlimited or not a table column.
    int fieldSize(const QString &name) const;
    // Current row; a null value reads as empty text. Unknown fields throw.
    QString fieldText(const QString &name) const;
    QVariant value(const QString &name) const;
    void setFieldText(const QString &name, const QString &text);
    void setValue(const QString &name, const QVariant &value);
    // Any row of the view, 0-based; for item models.
    QString textAt(int row, int field) const;
    QVariant valueAt(int row, int field) const;

    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool isModified() const { return m_modified; }
    void append();
    void edit();
    void post();
    // Asked at the start of every post whether to go on. False leaves the row being edited
    // and ends the post, and the command that posted (a move, a close), with
    // DbError::Kind::Declined, which is shown to nobody.
    void setPostCheck(std::function<bool(Dataset *)> check) { m_postCheck = std::move(check); }
    void cancel();
    void remove();
    // Deletes every row the dataset lists from its table in one transaction: all of them
    // or, when the engine refuses one, none (DbError). A row for which `keepCondition`
    // holds (an SQL condition on the table's columns, written by the program, never typed
    // text) is not deleted and stays listed. Listeners hear of the change once, as after a
    // reopening, however many rows go. `progress` hears how many rows were handled so far.
    // Returns the number of rows deleted.
    int removeListed(const QString &keepCondition = QString(), Progress *progress = nullptr);

    // Makes current the first row whose field begins with prefix, ignoring case.
    bool locate(const QString &field, const QString &prefix);
    // Among the rows whose field begins with prefix, ignoring case, makes current the one
    // whose field comes first in Turkish alphabetical order.
    bool locateLeast(const QString &field, const QString &prefix);
    // A field searched by prefix at every keystroke: folded for the search while the rows
    // are fetched, so that the first keystroke is as quick as the others.
    void setPrefixSearchField(const QString &field) { m_prefixSearchField = field; }

    // "field ASC" or "field DESC"; sorts the fetched rows, keeping the current row current.
    void setSort(const QString &sortText);
    QString sort() const { return m_sortText; }

    // Brings the rows of `keys` in line with the table as the statement reads them now, after
    // another office changed, added or deleted them; followAllChanges() compares every row.
    // The current row stays current wherever it moves, and rows land where the list's order
    // puts them (at the end of a list without one). The row being edited is left as the user
    // has it and marked (isChangedElsewhere()): the save's check decides. While a new row is
    // being entered, the changes wait until it is saved or given up. Throws DbError.
    void followChanges(const QList<qlonglong> &keys);
    void followAllChanges();
    // Whether another office changed the row being edited since the edit began.
    bool isChangedElsewhere() const { return m_changedElsewhere; }
    // Said by whoever hands the list the changes of its table: every change reaches the rows
    // through followChanges() while it stays open, so reopen() may keep them on a server too.
    // Closing the list ends it.
    void setFollowedLive(bool live) { m_followedLive = live && isOpen(); }
    bool isFollowedLive() const { return m_followedLive; }
    // When the reading of the rows held began, on the steady clock (ns).
    qint64 readStarted() const { return m_readStarted; }
    static qint64 steadyNow();

    // Master link; the detail follows every change of the master's current row.
    void setMaster(Dataset *master, const QString &linkField);
    Dataset *master() const { return m_master; }

    QString name() const { return objectName(); }
    // The table the rows are written back to; empty for a statement whose rows cannot be.
    QString table() const { return m_table; }

Q_SIGNALS:
    void afterOpen(Dataset *dataset);
    void afterScroll(Dataset *dataset);
    void beforePost(Dataset *dataset);
    void afterPost(Dataset *dataset);
    void afterDelete(Dataset *dataset);

    // For item models and data-bound widgets.
    void rowsReset();
    void rowUpdated(int row);
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void currentMoved(int row);
    void stateChanged(Dataset::State state);
    void fieldEdited(const QString &field);
    // Rows came, went or changed by followChanges(); the count may be another.
    void changesFollowed(Dataset *dataset);
    // The row being edited was changed or deleted elsewhere.
    void changedElsewhere(Dataset *dataset);

private:
    struct Row;
    enum class Kind { Text, Integer, Real, YesNo };

    struct ClientOrder;
    // The field the list is kept in order by, by the user's sort or the statement's own order;
    // -1 for the statement's order, which a new row cannot be placed in.
    struct RowOrder {
        int field = -1;
        bool descending = false;
    };
    RowOrder rowOrder() const;
    QByteArray orderKeyOf(const Row &row, int field) const;
    // Where a row belongs in m_order: after the rows that sort before it or equal to it.
    size_t orderPlaceOf(int index, const RowOrder &order) const;
    void follow(const std::optional<QList<qlonglong>> &keys);
    void followWhenBrowsing(const std::optional<QList<qlonglong>> &keys);
    void markChangedElsewhere(qlonglong key);
    // removeListed() on a server: the rows of `keys` (key, row index) deleted in one
    // statement; marks them in `gone`. Returns how many went.
    int deleteAtOnce(const std::vector<std::pair<qlonglong, int>> &keys, const QString &keepCondition,
                        std::vector<bool> &gone, Progress *progress);
    // Once an edit has ended: the changes that waited for it.
    void followDeferred();
    // Whether a row shows under the master link's filter: a slot of m_rows, or a row's cells.
    bool passesFilter(int index) const;
    bool passesFilter(const Row &row) const;
    // Applies a reading of changed rows: the keys it was asked for, or every row.
    struct Followed;
    void applyFollowed(Followed &&changes);
    static std::optional<ClientOrder> clientOrder(const QString &statement);
    // The columns of a statement; `declared` tells those whose type the table declares.
    static void readColumns(const Statement &s, Fetched *fetched, std::vector<bool> *declared);
    // Every row of a statement being stepped, with their search texts when the fetched result
    // names a field to fold; its kinds learn the types of undeclared columns. False, with the
    // reading left unfinished, when `cancelled` was set meanwhile.
    static bool readRows(Statement &s, const std::vector<bool> &declared,
                         const std::atomic<bool> *cancelled, Fetched *fetched);
    // Puts the rows, and their search texts when there are any, in the Turkish order of a field.
    static void orderRows(std::vector<Row> &rows, std::vector<QString> &folded, int field, int fields,
                          bool descending);
    void take(Fetched &&fetched);
    void openWith(Fetched &&fetched);
    // Closes, giving back the rows held for openWith().
    Fetched closeKeepingRows();
    // Whether two readings give the same rows from the same file.
    static bool sameReading(const Reading &a, const Reading &b);
    // Closes; the memory of a large result is given back at once when asked for.
    void closeRows(bool giveBackMemory);
    void dropRows(bool giveBackMemory);
    void rebuildView();
    void applyOrder();
    void setCursor(int row, bool alwaysNotify);
    void leaveEditForMove();
    void dropPendingRow();
    void ensureActive(const char *operation) const;
    void ensureBrowsing();
    void writeBack();
    // The fields a post writes: the changed ones of a stored row, the given ones of a new row.
    std::vector<int> fieldsToWrite() const;
    void checkMasks(const std::vector<int> &fields) const;
    void insertRow(const std::vector<int> &fields);
    void updateRow(const std::vector<int> &fields);
    // Reads a fetched row (m_rows index) again from its table; false when it is gone.
    bool rereadRow(int index);
    void storeRow(int index, QByteArray bytes);
    QVariant cell(const Row &row, int field) const;
    const Row *currentRow() const;
    int rowIndexOf(int viewRow) const { return m_view[size_t(viewRow)]; }
    QVariant masterKey() const;
    bool linkUsesParameter() const;
    void followMaster();
    void notifyDetails();
    const std::vector<QString> &foldedColumn(int field);

    Database *m_db;
    QStringList m_sqlLines;
    QHash<QString, QVariant> m_params;

    State m_state = State::Inactive;
    QStringList m_fieldNames;
    std::vector<Kind> m_kinds;
    QString m_table;     // table the rows are written back to; empty when read-only
    int m_keyField = -1; // the table's row key among the fields
    std::vector<bool> m_writable;
    QStringList m_columns; // the table's column behind each field, for writing back
    QStringList m_hiddenFields;

    std::vector<Row> m_rows; // fetched rows, in statement order; deleted ones leave empty slots
    // What the rows were read by, and where the file stood then; none for rows that cannot
    // be kept on a reopening.
    Reading m_rowsRead;
    std::optional<ReadMark> m_readAt;
    std::vector<int> m_order;                 // m_rows indexes in sort order
    std::vector<int> m_view;                  // m_order filtered by the master link
    int m_cursor = 0;
    bool m_eof = true;
    bool m_bof = true;

    // Edit buffer of the current row.
    std::vector<QVariant> m_buffer;
    bool m_modified = false;
    int m_pendingRow = -1;   // m_rows index of an appended row not posted yet
    int m_cursorBeforeInsert = 0;

    QString m_sortText;
    QString m_prefixSearchField;
    std::function<bool(Dataset *)> m_postCheck;
    int findPrefix(int field, const QString &prefix, bool least);
    bool moveToPrefix(const QString &fieldName, const QString &prefix, bool least);
    std::vector<std::vector<QString>> m_foldCache;

    Dataset *m_master = nullptr;
    std::vector<Dataset *> m_details;
    QString m_linkField;
    bool m_linkApplied = false;
    QVariant m_appliedKey;
    bool m_filterActive = false;
    QVariant m_filterKey;

    bool m_changedElsewhere = false;
    bool m_followedLive = false;
    bool m_rowsFollowed = false; // rows came, went or changed since the reading
    qint64 m_readStarted = 0;
    // Changes heard while a row was being edited or entered, applied once it is done.
    bool m_followAllLater = false;
    QList<qlonglong> m_followLater;
};
