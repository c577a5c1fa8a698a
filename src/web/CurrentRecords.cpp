#include "web/CurrentRecords.h"

#include <algorithm>

namespace kv::web {

namespace {

// Inserts the ID's text in order unless the list has it (letter case
// ignored, as the lists compare their entries).
void insertSorted(QStringList& list, qint64 id)
{
    const QString text = QString::number(id);
    auto lessThan = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    const auto at = std::lower_bound(list.begin(), list.end(), text, lessThan);
    if (at != list.end() && at->compare(text, Qt::CaseInsensitive) == 0)
        return;
    list.insert(at, text);
}

}  // namespace

TCurrentRecords& CurrentRecords()
{
    static TCurrentRecords records;
    return records;
}

TGenerationState& Generation()
{
    static TGenerationState state;
    return state;
}

void BeginGenerationRun()
{
    TGenerationState& state = Generation();
    state.NeededPreviews.clear();
    state.PersonPages.clear();
    state.PersonTemplateExists.reset();
}

void AddNeededPreview(qint64 pictureId) { insertSorted(Generation().NeededPreviews, pictureId); }

void AddPersonPage(qint64 personId) { insertSorted(Generation().PersonPages, personId); }

}  // namespace kv::web
