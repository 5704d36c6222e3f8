#include "excelimport.h"

#include "data/transaction.h"
#include "data/database.h"
#include "data/dataset.h"
#include "data/schema.h"
#include "excelphone.h"
#include "excelprotocol.h"

#include <algorithm>

namespace excelimport
{

namespace
{

const QString kStaging = QStringLiteral("veriler");
const QString kUnits = QStringLiteral("okul");
constexpr QChar kEndOfFile = QChar(26);
constexpr size_t kPhone = 3; // telefonu among the fields

// A statement run once for each row: bound again and reset after each run.
void runAgain(Statement &statement)
{
    statement.step();
    statement.reset();
    statement.clearBindings();
}

QVariant columnValue(const Statement &statement, int column)
{
    if (statement.isNull(column))
        return QVariant();
    return statement.string(column);
}

// "?, ?, ?" for n values.
QString marks(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("?");
    return out.join(QStringLiteral(", "));
}

// A range box's number, or nothing when it holds anything but digits.
std::optional<int> boxNumber(const QString &text, int max)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9 ||
        !std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const int n = t.toInt();
    if (n < 1 || n > max)
        return std::nullopt;
    return n;
}

QString phonePass(PhonePass pass, const QString &value)
{
    switch (pass) {
    case PhonePass::Strip:
        return excelphone::strip(value);
    case PhonePass::Pad:
        return excelphone::pad(value);
    case PhonePass::Group:
        return excelphone::group(value);
    }
    return value;
}

} // namespace

const QStringList &fields()
{
    static const QStringList names = {QStringLiteral("okul_adi"), QStringLiteral("okul_muduru"),
                                      QStringLiteral("adresi"),   QStringLiteral("telefonu"),
                                      QStringLiteral("ili"),      QStringLiteral("ilcesi")};
    return names;
}

const QStringList &fieldTitles()
{
    static const QStringList titles = {
        QStringLiteral("Birim Adı"),    QStringLiteral("Birim Müdürü"),
        QStringLiteral("Birim Adresi"), QStringLiteral("Birim Telefonu"),
        QStringLiteral("İli"),          QStringLiteral("İlçesi")};
    return titles;
}

RangeCheck checkRange(const RangeTexts &texts)
{
    RangeCheck check;
    const QString boxes[] = {texts.firstRow, texts.lastRow, texts.firstColumn, texts.lastColumn};
    std::optional<int> numbers[4];
    for (int i = 0; i < 4; ++i) {
        const bool row = i < 2;
        numbers[i] = boxNumber(boxes[i], row ? xlsread::kMaxRows : kFieldCount);
        if (numbers[i])
            continue;
        check.badBox = i;
        if (boxes[i].trimmed().isEmpty())
            check.message = row ? QStringLiteral("Excel satır aralığı boş bırakılamaz.")
                                : QStringLiteral("Excel sütun aralığı boş bırakılamaz.");
        else if (row)
            check.message =
                QStringLiteral("Excel satır aralığındaki \"%1\" geçerli bir satır numarası "
                               "değil.\nSatır numarası 1 ile %2 arasında bir sayı olmalıdır.")
                    .arg(boxes[i].trimmed())
                    .arg(xlsread::kMaxRows);
        else
            check.message =
                QStringLiteral("Excel sütun aralığındaki \"%1\" geçerli bir sütun numarası "
                               "değil.\nSütun numarası 1 (Birim Adı) ile 6 (İlçesi) arasında "
                               "olmalıdır.")
                    .arg(boxes[i].trimmed());
        return check;
    }
    if (*numbers[2] > *numbers[3]) {
        check.badBox = 2;
        check.message =
            QStringLiteral("Excel sütun aralığının ilk sütunu son sütundan büyük olamaz.");
        return check;
    }
    check.range = ExcelRange{*numbers[0], *numbers[1], *numbers[2], *numbers[3]};
    return check;
}

ExcelRange cellsToRead(const ExcelRange &range)
{
    ExcelRange read = range;
    read.firstColumn = 1;
    return read;
}

std::vector<StagedRow> rowsFromSheet(const SheetCells &cells, const ExcelRange &range,
                                     const QString &emptyText)
{
    const int phoneSize = schema::textSize(kStaging, fields()[kPhone]);
    std::vector<StagedRow> rows;
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        const QString first = cells.text(r, 1);
        if (first.isEmpty() || first == QString(kEndOfFile))
            continue;
        StagedRow row;
        row.sheetRow = r;
        for (int c = range.firstColumn; c <= range.lastColumn; ++c)
            row.values[size_t(c - 1)] = cells.text(r, c);
        for (QString &value : row.values)
            if (value.isEmpty())
                value = emptyText;
        // "0090 (312) 456-78-90" does not fit the phone field; as the normaliser's first pass
        // leaves it, it does. A value that is no phone number loses only its blanks and
        // separators: no digit is lost either way.
        QString &phone = row.values[kPhone];
        if (phone.size() > phoneSize)
            phone = excelphone::strip(phone);
        if (phone.size() > phoneSize)
            phone = excelphone::withoutSeparators(phone);
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList overlongValues(const std::vector<StagedRow> &rows)
{
    std::array<int, kFieldCount> sizes;
    for (int f = 0; f < kFieldCount; ++f)
        sizes[size_t(f)] = schema::textSize(kStaging, fields()[f]);
    QStringList lines;
    for (const StagedRow &row : rows) {
        for (int f = 0; f < kFieldCount; ++f) {
            const int size = sizes[size_t(f)];
            const qsizetype length = row.values[size_t(f)].size();
            if (size > 0 && length > size)
                lines << QStringLiteral("Satır %1, %2: %3 karakter (en fazla %4)")
                             .arg(row.sheetRow)
                             .arg(fieldTitles()[f])
                             .arg(length)
                             .arg(size);
        }
    }
    return lines;
}

void StagingTable::append(const std::vector<StagedRow> &rows,
                          const std::function<void(const StagedRow &)> &staged)
{
    Transaction transaction(m_db);
    Statement insert(m_db,
                     QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(kStaging, fields().join(QStringLiteral(", ")), marks(kFieldCount)));
    for (const StagedRow &row : rows) {
        for (int f = 0; f < kFieldCount; ++f) {
            const QString &value = row.values[size_t(f)];
            insert.bind(f + 1, value.isEmpty() ? QVariant() : QVariant(value));
        }
        runAgain(insert);
        if (staged)
            staged(row);
    }
    transaction.commit();
}

void StagingTable::applyPhonePass(PhonePass pass)
{
    struct Phone {
        qint64 key;
        QString value;
    };
    std::vector<Phone> changed;
    {
        Statement select(m_db,
                         QStringLiteral("SELECT KayitNo, telefonu FROM %1").arg(kStaging));
        while (select.step()) {
            const QString value = columnValue(select, 1).toString();
            const QString next = phonePass(pass, value);
            if (next != value)
                changed.push_back({select.integer(0), next});
        }
    }
    Transaction transaction(m_db);
    Statement update(m_db,
                     QStringLiteral("UPDATE %1 SET telefonu = ? WHERE KayitNo = ?").arg(kStaging));
    for (const Phone &phone : changed) {
        update.bind(1, phone.value.isEmpty() ? QVariant() : QVariant(phone.value));
        update.bind(2, phone.key);
        runAgain(update);
    }
    transaction.commit();
}

QList<int> StagingTable::phonesLeftAsTheyWere(const QString &emptyText)
{
    QList<int> places;
    Statement select(
        m_db,
        QStringLiteral("SELECT %1 FROM %2 ORDER BY KayitNo").arg(fields()[kPhone], kStaging));
    int place = 0;
    while (select.step()) {
        ++place;
        const QString phone = columnValue(select, 0).toString();
        if (!phone.isEmpty() && phone != emptyText && !excelphone::isStored(phone))
            places << place;
    }
    return places;
}

void StagingTable::clear()
{
    m_db.exec(QStringLiteral("DELETE FROM %1").arg(kStaging));
}

int StagingTable::count()
{
    return m_db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(kStaging)).toInt();
}

QList<int> StagingTable::namesTooLongForUnits()
{
    QList<int> places;
    const int size = schema::textSize(kUnits, fields()[0]);
    Statement select(
        m_db,
        QStringLiteral("SELECT %1 FROM %2 ORDER BY KayitNo").arg(fields()[0], kStaging));
    int place = 0;
    while (select.step()) {
        ++place;
        if (columnValue(select, 0).toString().size() > size)
            places << place;
    }
    return places;
}

StagingTable::Transfer StagingTable::moveToUnits(Progress *progress)
{
    Transfer result;
    progress::begin(progress, QString(), count());
    Transaction transaction(m_db);
    {
        const QString columns = fields().join(QStringLiteral(", "));
        Statement select(
            m_db,
            QStringLiteral("SELECT %1 FROM %2 ORDER BY KayitNo").arg(columns, kStaging));
        Statement insert(m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                            .arg(kUnits, columns, marks(kFieldCount)));
        while (select.step()) {
            for (int f = 0; f < kFieldCount; ++f)
                insert.bind(f + 1, columnValue(select, f));
            runAgain(insert);
            result.lastKey = insert.insertedKey();
            ++result.count;
            progress::advance(progress, result.count);
        }
    }
    clear();
    transaction.commit();
    return result;
}

void showNewUnits(Dataset *okul, const QVariant &key)
{
    const QString sort = okul->sort();
    okul->requery();
    if (!sort.isEmpty())
        okul->setSort(sort);
    const int field = okul->fieldIndex(QStringLiteral("SiraNo"));
    if (key.isNull() || field < 0)
        return;
    for (int row = okul->recordCount() - 1; row >= 0; --row) {
        if (okul->valueAt(row, field).toLongLong() == key.toLongLong()) {
            okul->setRecNo(row + 1);
            return;
        }
    }
}

} // namespace excelimport
