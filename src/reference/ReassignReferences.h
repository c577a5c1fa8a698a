#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace kv::data {
class Query;
class Table;
class TProgramDataForm;
}

namespace kv::reference {

// The rows whose deletion leaves references for the user to move or clear.
enum class ReassignKind { Rating, PersonGroup };

// Everything in which the Move Rating and Move Group windows differ.
struct ReassignFamily {
    ReassignKind kind;
    QString className;   // "TMoveRatingForm"
    QString caption;     // window title
    QString tableFile;   // "Rating.db"
    QString idField;
    QString descriptionField;
    data::Table& (*table)(data::TProgramDataForm&);
    data::Query& (*query)(data::TProgramDataForm&);
    int helpContext;
    QString positionKey;
    QString noSelectionText;
    QString moveQuestion;
    QString moveConfirmation;
    QString deleteQuestion;
    QString deleteConfirmation;
    QString closingText;
    // Moves every reference to the old row to the new one, or clears them
    // when the new ID is negative, and whatever else follows the row (the
    // settings default). Runs inside the change's transaction.
    void (*replace)(data::TProgramDataForm&, qint64 oldId, qint64 newId);
    // Reads again what the committed change made stale.
    void (*refresh)(data::TProgramDataForm&);
};

const ReassignFamily& reassignFamily(ReassignKind kind);

// The rows the references may move to: every row of the table but the one
// going, as (ID, description) in description order.
std::vector<std::pair<qint64, QString>> ReassignTargets(data::TProgramDataForm& dm, const ReassignFamily& family,
                                                        qint64 goingId);

// Deletes the row oldId and moves its references to newId (clears them when
// newId is negative), in one transaction: the row, the references and the
// settings default change together or not at all. A move to a row another
// workstation has deleted meanwhile is refused. Engine errors are passed on
// once everything is rolled back and the touched tables read again. Once
// the change stands, the tables and lists it made stale are read again; an
// error there is shown (the change itself is kept) and the call returns.
void ReassignReferences(data::TProgramDataForm& dm, const ReassignFamily& family, qint64 oldId, qint64 newId);

}  // namespace kv::reference
