#pragma once

#include "data/progress.h"

#include <QList>
#include <QString>

class Dataset;
class SharedQueries;

namespace maintenance
{

// Empties the main window's lists of units, staff, unions, fixed information and program
// authority: each kind deletes the rows its shared query lists at that moment (a narrowed
// staff list loses only the staff it shows), in one transaction, so that either all of them
// go or none. A unit that staff rows still name is not deleted. The main window's lists show
// the result at once; each list hears of it once per kind, not once per row.
class BulkDelete
{
public:
    // In the order in which they are processed.
    enum class Kind { Unions, Staff, Units, FixedInformation, Authority };
    static QList<Kind> allKinds();
    // "Personel kayıtları" and so on, for messages.
    static QString label(Kind kind);

    explicit BulkDelete(SharedQueries *data);

    Dataset *dataset(Kind kind) const;
    // Rows the kind would delete now; a list not open yet is opened on its statement.
    int listed(Kind kind);

    struct Outcome {
        int deleted = 0;
        int kept = 0; // units left because staff rows still name them
    };
    // Deletes one kind. False with a Turkish message when the database refused: nothing of
    // that kind was deleted then.
    bool run(Kind kind, Progress *progress, Outcome *outcome, QString *error);

private:
    void refreshListsAfter(Kind kind);

    SharedQueries *m_data;
};

} // namespace maintenance
