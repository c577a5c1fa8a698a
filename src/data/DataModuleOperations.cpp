// The data module's operations: cascades run when a referenced row goes,
// moves, and the lookups the record rules need. Each gives its SQL lines to
// its scratch query; the long ones show a status text meanwhile.
#include "data/ProgramDataForm.h"

#include "common/MessageService.h"
#include "data/LoginData.h"
#include "data/StatusNotice.h"
#include "data/SystemInfo.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace kv::data {

namespace {

QString id(qint64 value) { return QString::number(value); }

struct DefaultField {
    SettingsDefault which;
    const char* field;
    qint64 TSystemInfo::*member;
};

constexpr DefaultField kDefaultFields[] = {
    {.which = SettingsDefault::Place, .field = "DefaultPlaceID", .member = &TSystemInfo::DefaultPlaceID},
    {.which = SettingsDefault::Category, .field = "DefaultCatagoryID", .member = &TSystemInfo::DefaultCatagoryID},
    {.which = SettingsDefault::Photographer, .field = "DefaultPhotographerID", .member = &TSystemInfo::DefaultPhotographerID},
    {.which = SettingsDefault::Rating, .field = "DefaultRatingID", .member = &TSystemInfo::DefaultRatingID},
    {.which = SettingsDefault::MediaType, .field = "DefaultMediaTypeID", .member = &TSystemInfo::DefaultMediaTypeID},
    {.which = SettingsDefault::StorageLocation, .field = "DefaultStorageLocationID",
     .member = &TSystemInfo::DefaultStorageLocationID},
    {.which = SettingsDefault::Album, .field = "DefaultAlbumID", .member = &TSystemInfo::DefaultAlbumID},
};

bool editing(const Table& t) { return t.state() == DataSet::State::Edit || t.state() == DataSet::State::Insert; }

}  // namespace

void TProgramDataForm::runStatement(Query& query, const QStringList& lines)
{
    query.execLines(lines);
}

// "Update X / Set F = Null / Where F = id" behind a status text.
void TProgramDataForm::clearReference(Query& query, const char* status, const char* tableFile, const char* field,
                                      qint64 value)
{
    StatusNotice notice(QString::fromLatin1(status));
    const QString f = QString::fromLatin1(field);
    runStatement(query, {QStringLiteral("Update \"%1\"").arg(QString::fromLatin1(tableFile)),
                         QStringLiteral("Set %1 = Null").arg(f), QStringLiteral("Where %1 = ").arg(f) + id(value)});
}

// "Delete From X / Where F = id" behind a status text.
void TProgramDataForm::deleteLinks(Query& query, const char* status, const char* tableFile, const char* field,
                                   qint64 value)
{
    StatusNotice notice(QString::fromLatin1(status));
    runStatement(query, {QStringLiteral("Delete From \"%1\"").arg(QString::fromLatin1(tableFile)),
                         QStringLiteral("Where %1 = ").arg(QString::fromLatin1(field)) + id(value)});
}

void TProgramDataForm::ReplaceRatingInRatingLists(qint64 oldRating, qint64 newRating)
{
    if (newRating < 0) {
        StatusNotice notice(QStringLiteral("Please Wait: Deleting Rating From User Access Lists"));
        runStatement(RatingListQuery, {QStringLiteral("Delete From \"RatingList.db\""),
                                       QStringLiteral("Where RatingID = ") + id(oldRating)});
    } else {
        StatusNotice notice(QStringLiteral("Please Wait: Changing Rating To New Rating In User Access Lists"));
        // A user who may see both ratings keeps one row of the new one.
        runStatement(RatingListQuery, {QStringLiteral("Delete From \"RatingList.db\""),
                                       QStringLiteral("Where RatingID = ") + id(oldRating) + QStringLiteral(" And UserID In"),
                                       QStringLiteral("(Select UserID From \"RatingList.db\" Where RatingID = ") +
                                           id(newRating) + QStringLiteral(")")});
        runStatement(RatingListQuery, {QStringLiteral("Update \"RatingList.db\""),
                                       QStringLiteral("Set RatingID = ") + id(newRating),
                                       QStringLiteral("Where RatingID = ") + id(oldRating)});
    }
}

void TProgramDataForm::ReplaceRatingInPictures(qint64 oldRating, qint64 newRating)
{
    if (newRating < 0) {
        StatusNotice notice(QStringLiteral("Please Wait: Deleting Rating From Pictures"));
        runStatement(PictureInfoQuery, {QStringLiteral("Update \"PictureInfo.db\""), QStringLiteral("Set RatingID = Null"),
                                        QStringLiteral("Where RatingID = ") + id(oldRating)});
    } else {
        StatusNotice notice(QStringLiteral("Please Wait: Changing Rating to New Rating In Pictures"));
        runStatement(PictureInfoQuery, {QStringLiteral("Update \"PictureInfo.db\""),
                                        QStringLiteral("Set RatingID = ") + id(newRating),
                                        QStringLiteral("Where RatingID = ") + id(oldRating)});
    }
}

void TProgramDataForm::ReplaceGroupInPersons(qint64 oldGroup, qint64 newGroup)
{
    runStatement(PersonQuery, {QStringLiteral("Update \"Person.db\""),
                               newGroup < 0 ? QStringLiteral("Set GroupType = Null")
                                            : QStringLiteral("Set GroupType = ") + id(newGroup),
                               QStringLiteral("Where GroupType = ") + id(oldGroup)});
}

void TProgramDataForm::RemovePictureFromAlbums(qint64 picture)
{
    deleteLinks(PictureInfoQuery, "Please Wait: Removing Picture From All Albums!", "AlbumList.db", "AlbumPictureID", picture);
}

void TProgramDataForm::RemoveAlbumFromPictures(qint64 album)
{
    deleteLinks(PictureInfoQuery, "Please Wait: Removing Album From Pictures!", "AlbumList.db", "AlbumID", album);
}

void TProgramDataForm::ClearPlaceInPictures(qint64 place)
{
    clearReference(PictureInfoQuery, "Please Wait: Deleting Place From Pictures", "PictureInfo.db", "PlaceID", place);
}

void TProgramDataForm::ClearMediaTypeInStorageLocations(qint64 mediaType)
{
    clearReference(StorageLocationQuery, "Please Wait: Deleting Media Type From Storage Location", "StorageLocation.db", "MediaType", mediaType);
}

void TProgramDataForm::ClearMediaTypeInPictures(qint64 mediaType)
{
    clearReference(PictureInfoQuery, "Please Wait: Deleting Media Type From Pictures", "PictureInfo.db", "MediaTypeID", mediaType);
}

void TProgramDataForm::ClearStorageLocationInPictures(qint64 location)
{
    clearReference(PictureInfoQuery, "Please Wait: Deleting Storage Location From Pictures", "PictureInfo.db", "StorageLocationID", location);
}

void TProgramDataForm::ClearSubCategoryInPictures(qint64 subCategory)
{
    clearReference(PictureInfoQuery, "Please Wait: Deleting SubCategory From Pictures", "PictureInfo.db", "SubCatagoryID", subCategory);
}

void TProgramDataForm::ClearCategoryInPictures(qint64 category)
{
    clearReference(PictureInfoQuery, "Please Wait: Deleting Category From Pictures", "PictureInfo.db", "CatagoryID", category);
}

void TProgramDataForm::ClearPhotographerInPictures(qint64 person)
{
    clearReference(PictureInfoQuery, "Please Wait: Deleting Photographer From Pictures", "PictureInfo.db", "PhotograherID", person);
}

void TProgramDataForm::DeletePicturePeopleLinks(qint64 picture)
{
    deleteLinks(PicturePeopleQuery, "Please Wait: Deleting All Records Linked To Picture", "PicturePeople.db", "PictureID", picture);
}

void TProgramDataForm::RemovePersonFromPictures(qint64 person)
{
    deleteLinks(PicturePeopleQuery, "Please Wait: Deleting Person From Pictures", "PicturePeople.db", "PersonID", person);
}

void TProgramDataForm::DeletePictureRecord(qint64 picture, bool deleteFile)
{
    // The picture's file is found before its row goes, and deleted only once
    // the row is gone for good: a refused delete leaves the files as they were.
    QString pictureFile;
    if (deleteFile) {
        Query lookup(m_database.get());
        lookup.addLine(QStringLiteral("Select PI.FileName, SL.Directory From \"PictureInfo.db\" PI"));
        lookup.addLine(QStringLiteral("LEFT OUTER JOIN \"StorageLocation.db\" SL"));
        lookup.addLine(QStringLiteral("ON (PI.StorageLocationID = SL.StorageLocationID)"));
        lookup.addLine(QStringLiteral("Where PI.PictureID = ") + id(picture));
        lookup.open();
        const QString name = readText(lookup, QStringLiteral("FileName"));
        const QString directory = readText(lookup, QStringLiteral("Directory"));
        if (!lookup.isEmpty() && !name.isEmpty() && !directory.isEmpty())
            pictureFile = QDir(directory).filePath(name);
    }
    runStatement(PictureInfoQuery, {QStringLiteral("Delete From \"PictureInfo.db\""),
                                    QStringLiteral("Where PictureID = ") + id(picture)});
    m_database->afterCommit([picture, pictureFile] {
        if (!pictureFile.isEmpty())
            QFile::remove(pictureFile);  // a missing file is no error
        // The preview always goes with its picture, from where the settings
        // keep previews now.
        const QString previews = SystemInfo().PreviewDir;
        if (!previews.isEmpty())
            QFile::remove(QDir(previews).filePath(id(picture) + QStringLiteral(".jpg")));
    });
}

void TProgramDataForm::SetCategoryOfSubCategoryPictures(qint64 subCategory, qint64 category)
{
    runStatement(PictureInfoQuery, {QStringLiteral("Update \"PictureInfo.db\""), QStringLiteral("Set CatagoryID = ") + id(category),
                                    QStringLiteral("Where SubCatagoryID = ") + id(subCategory)});
}

void TProgramDataForm::SetMediaTypeOfLocationPictures(qint64 location, qint64 mediaType)
{
    runStatement(PictureInfoQuery, {QStringLiteral("Update \"PictureInfo.db\""), QStringLiteral("Set MediaTypeID = ") + id(mediaType),
                                    QStringLiteral("Where StorageLocationID = ") + id(location)});
}

void TProgramDataForm::MovePictureToLocation(qint64 picture, qint64 location, qint64 mediaType)
{
    runStatement(PictureInfoQuery, {QStringLiteral("Update \"PictureInfo.db\""),
                                    QStringLiteral("Set MediaTypeID = ") + id(mediaType) + QStringLiteral(", "),
                                    QStringLiteral("StorageLocationID = ") + id(location),
                                    QStringLiteral("Where PictureID = ") + id(picture)});
}

void TProgramDataForm::LoadPermittedRatings()
{
    RatingListQuery.close();
    RatingListQuery.clearSql();
    RatingListQuery.addLine(QStringLiteral("Select RatingID From \"RatingList.db\""));
    RatingListQuery.addLine(QStringLiteral("Where UserID = ") + id(LoginData().UserID));
    RatingListQuery.prepare();
    RatingListQuery.open();
    PermittedRatings.clear();
    for (RatingListQuery.first(); !RatingListQuery.eof(); RatingListQuery.next())
        if (!RatingListQuery.isNull(QStringLiteral("RatingID")))
            PermittedRatings.append(readInteger(RatingListQuery, QStringLiteral("RatingID")));
    RatingListQuery.close();
    RatingListQuery.unprepare();
}

bool TProgramDataForm::PictureFileExists(const QString& fileName, qint64 location, qint64 picture)
{
    if (fileName.isEmpty())
        return false;
    PictureInfoQuery.close();
    PictureInfoQuery.clearSql();
    PictureInfoQuery.addLine(QStringLiteral("Select PictureID From \"PictureInfo.db\""));
    PictureInfoQuery.addLine(QStringLiteral("Where StorageLocationID = ") + id(location) + QStringLiteral(" And "));
    PictureInfoQuery.addLine(QStringLiteral("Upper(FileName) = ") + localSqlText(fileName.toUpper()) + QStringLiteral(" And"));
    PictureInfoQuery.addLine(QStringLiteral("PictureID <> ") + id(picture));
    PictureInfoQuery.prepare();
    PictureInfoQuery.open();
    const bool exists = !PictureInfoQuery.isEmpty();
    PictureInfoQuery.close();
    PictureInfoQuery.unprepare();
    return exists;
}

qint64 TProgramDataForm::PersonPictureOf(qint64 person)
{
    PersonQuery.close();
    PersonQuery.clearSql();
    for (const QString& line : {QStringLiteral("Select *"), QStringLiteral("From \"Person.db\""),
                                QStringLiteral("Where PersonID = ") + id(person)})
        PersonQuery.addLine(line);
    PersonQuery.open();
    const qint64 picture = PersonQuery.isEmpty() ? -1 : readInteger(PersonQuery, QStringLiteral("PersonPicture"));
    PersonQuery.close();
    return picture;
}

void TProgramDataForm::ClearPersonPictureRefs(qint64 picture)
{
    runStatement(PersonQuery, {QStringLiteral("Update \"Person.db\""), QStringLiteral("Set PersonPicture = Null"),
                               QStringLiteral("Where PersonPicture = ") + id(picture)});
}

void TProgramDataForm::SetPersonPicture(qint64 person, qint64 picture)
{
    runStatement(PersonQuery, {QStringLiteral("Update \"Person.db\""), QStringLiteral("Set PersonPicture = ") + id(picture),
                               QStringLiteral("Where PersonID = ") + id(person)});
}

void TProgramDataForm::ClearSettingsDefault(SettingsDefault which, qint64 deletedId, qint64 replacementId)
{
    const auto* d = std::find_if(std::begin(kDefaultFields), std::end(kDefaultFields),
                                 [which](const DefaultField& f) { return f.which == which; });
    const QString field = QString::fromLatin1(d->field);
    const qint64 next = replacementId < 0 ? -1 : replacementId;
    runStatement(SettingsQuery, {QStringLiteral("Update \"Settings.db\""),
                                 next < 0 ? QStringLiteral("Set %1 = Null").arg(field)
                                          : QStringLiteral("Set %1 = ").arg(field) + id(next),
                                 QStringLiteral("Where %1 = ").arg(field) + id(deletedId)});
    m_database->afterCommit([this, member = d->member, field, deletedId, next] {
        TSystemInfo& info = SystemInfo();
        if (info.*member == deletedId)
            info.*member = next;
        // The settings row as the data module shows it; a pending edit of it
        // (the settings window) no longer offers the deleted row either.
        if (!SettingsTable.active())
            return;
        if (!editing(SettingsTable))
            SettingsTable.refresh();
        else if (readInteger(SettingsTable, field) == deletedId)
            SettingsTable.setFieldValue(field, next < 0 ? QVariant() : QVariant(next));
    });
}

void TProgramDataForm::ClearSettingsDefaults()
{
    QStringList assignments;
    for (const DefaultField& d : kDefaultFields)
        assignments << QStringLiteral("%1 = Null").arg(QString::fromLatin1(d.field));
    runStatement(SettingsQuery, {QStringLiteral("Update \"Settings.db\""),
                                 QStringLiteral("Set ") + assignments.join(QStringLiteral(", "))});
    m_database->afterCommit([this] {
        for (const DefaultField& d : kDefaultFields)
            SystemInfo().*d.member = -1;
        if (SettingsTable.active() && !editing(SettingsTable))
            SettingsTable.refresh();
    });
}

TouchedTables::TouchedTables(TProgramDataForm& dm)
    : m_written(*dm.KestrelviewDatabase())
{
    for (Table* t : dm.tables())
        m_before.emplace_back(t, t->state());
}

void TouchedTables::recover()
{
    for (const auto& [table, before] : m_before) {
        if (!table->active())
            continue;
        const bool begun = before == DataSet::State::Browse && editing(*table);
        if (begun)
            table->cancel();
        if (table->state() != DataSet::State::Browse || !(begun || m_written.contains(table->tableName())))
            continue;
        try {
            table->refresh();
        } catch (const EngineError&) {
            // the work's own error is the one to report
        }
    }
}

void TProgramDataForm::InOneTransaction(const std::function<void()>& work)
{
    TouchedTables touched(*this);
    try {
        WriteTransaction tx(*m_database);
        work();
        tx.commit();
    } catch (...) {
        touched.recover();
        throw;
    }
}

void TProgramDataForm::ReopenExclusive(Table& table)
{
    table.close();
    table.setExclusive(true);
    while (true) {
        try {
            table.open();
            return;
        } catch (const EngineError&) {
            if (!common::askOkCancel(QStringLiteral("Could not open Tables exclusively - Try again?"),
                                     common::MessageKind::DestructiveQuestion))
                throw;
        }
    }
}

}  // namespace kv::data
