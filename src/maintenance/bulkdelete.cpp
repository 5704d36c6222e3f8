#include "bulkdelete.h"

#include "data/dataset.h"
#include "data/dberror.h"
#include "data/sharedqueries.h"

namespace maintenance
{

namespace
{

// A unit stays while any staff row names it: deleting it would leave those staff without one.
const QString kUnitHasStaff =
    QStringLiteral("EXISTS (SELECT 1 FROM uyeler WHERE uyeler.SiraNo = okul.SiraNo)");

} // namespace

QList<BulkDelete::Kind> BulkDelete::allKinds()
{
    return {Kind::Unions, Kind::Staff, Kind::Units, Kind::FixedInformation, Kind::Authority};
}

QString BulkDelete::label(Kind kind)
{
    switch (kind) {
    case Kind::Unions:
        return QStringLiteral("Sendika kayıtları");
    case Kind::Staff:
        return QStringLiteral("Personel kayıtları");
    case Kind::Units:
        return QStringLiteral("Birim kayıtları");
    case Kind::FixedInformation:
        return QStringLiteral("Sabit bilgi kayıtları");
    case Kind::Authority:
        return QStringLiteral("Program yetkili kayıtları");
    }
    return QString();
}

BulkDelete::BulkDelete(SharedQueries *data) : m_data(data) {}

Dataset *BulkDelete::dataset(Kind kind) const
{
    switch (kind) {
    case Kind::Unions:
        return m_data->unions();
    case Kind::Staff:
        return m_data->staff();
    case Kind::Units:
        return m_data->units();
    case Kind::FixedInformation:
        return m_data->fixedInformation();
    case Kind::Authority:
        return m_data->authority();
    }
    return nullptr;
}

int BulkDelete::listed(Kind kind)
{
    Dataset *query = dataset(kind);
    // A list the main window has not opened stands for the rows of its statement all the
    // same: the kind deletes those, never silently nothing.
    if (!query->isOpen())
        query->open();
    return query->recordCount();
}

bool BulkDelete::run(Kind kind, Progress *progress, Outcome *outcome, QString *error)
{
    Dataset *query = dataset(kind);
    *outcome = {};
    try {
        const int total = listed(kind);
        if (progress)
            progress->begin(label(kind), total);
        if (total == 0)
            return true;
        outcome->deleted =
            query->removeListed(kind == Kind::Units ? kUnitHasStaff : QString(), progress);
        outcome->kept = total - outcome->deleted;
    } catch (const DbError &e) {
        if (error)
            *error = QStringLiteral("%1 silinemedi; bunlardan hiçbiri silinmedi.\n%2")
                         .arg(label(kind), e.describedText());
        return false;
    }
    refreshListsAfter(kind);
    return true;
}

void BulkDelete::refreshListsAfter(Kind kind)
{
    if (kind != Kind::Staff)
        return; // the other tables are shown by their own query alone
    // The staff of the current unit are a second list over the same table; the all-staff
    // list is read again for its count, which it takes when it opens.
    for (Dataset *query : {m_data->unitStaff(), m_data->staff()})
        if (query->isOpen())
            query->requery();
}

} // namespace maintenance
