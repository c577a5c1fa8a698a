#pragma once

#include "data/DataSet.h"
#include "data/IdList.h"
#include "data/Database.h"
#include "data/Query.h"
#include "data/Table.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace kv::data {

// One entry of the catalogue table list walked by pack, clear and the
// table information window.
struct CatalogueTable {
    QString caption;
    QString tableName;
    Table* component = nullptr;
};

// The defaults of the settings that name a reference row.
enum class SettingsDefault { Place, Category, Photographer, Rating, MediaType, StorageLocation, Album };

class TProgramDataForm;

// Watches the data module's tables while a piece of work runs. When the work
// fails, recover() cancels the edits the work began and reads again the
// tables whose rows it wrote (through a table or a statement); every other
// table, and an edit another window has pending, stays as it was.
class TouchedTables {
public:
    explicit TouchedTables(TProgramDataForm& dm);
    TouchedTables(const TouchedTables&) = delete;
    TouchedTables& operator=(const TouchedTables&) = delete;
    void recover();

private:
    std::vector<std::pair<Table*, DataSet::State>> m_before;
    WrittenTables m_written;
};

// The data module: one table component, data source and scratch query per
// catalogue table, shared by every window for the life of the program.
class TProgramDataForm : public QObject {
    Q_OBJECT
public:
    explicit TProgramDataForm(QObject* parent = nullptr);
    ~TProgramDataForm() override;

    // The catalogue connection the components work on (owned here).
    void setDatabase(std::unique_ptr<Database> database);
    Database* KestrelviewDatabase() const { return m_database.get(); }

    // Opens the catalogue in the directory as the program does at start-up:
    // the connection, every table read-only when the catalogue is, Settings
    // first, then (writable catalogues only) Update with the schema updates,
    // then the other tables in their fixed order, then the table list.
    // Stops at the first engine error, which is passed on.
    void OpenCatalogue(const QString& directory, bool readOnly);

    // Runs while Update is open during OpenCatalogue (writable catalogues).
    std::function<void(TProgramDataForm&)> runSchemaUpdates;

    // Opens every table but Update in the catalogue's opening order; each
    // read-only when the catalogue is.
    void openTables(bool readOnly);
    void closeTables();

    // Every table component in opening order (Settings first, Update last).
    std::vector<Table*> tables();
    std::vector<Query*> queries();

    void BuildCatalogueTables();
    const std::vector<CatalogueTable>& CatalogueTables() const { return m_catalogueTables; }

    // ---- Shared state (record rules, searches)
    // Interactive record checks on or off (the gated checks).
    bool ValidateOnPost = false;
    // Upper-cased text of the last find; rows "contain" it for the filters.
    QString FindText;
    QString LoginNameFilter;   // upper-cased login name for the user table filter
    QString SearchTypeFilter;  // search type while the saved searches are filtered
    IdList SearchResult;       // picture IDs of the last search, in order
    bool ShowSearchResult = false;
    IdList PermittedRatings;   // rating IDs the logged-on user may see
    qint64 PreviousCategory = -1;
    qint64 PreviousMediaType = -1;

    // ---- Operations on the catalogue (cascades and lookups)
    void ReplaceRatingInRatingLists(qint64 oldRating, qint64 newRating);
    void ReplaceRatingInPictures(qint64 oldRating, qint64 newRating);
    // Persons of the old group go to the new one; a negative new group
    // leaves them in none.
    void ReplaceGroupInPersons(qint64 oldGroup, qint64 newGroup);
    void RemovePictureFromAlbums(qint64 picture);
    void RemoveAlbumFromPictures(qint64 album);
    void ClearPlaceInPictures(qint64 place);
    void ClearMediaTypeInStorageLocations(qint64 mediaType);
    void ClearMediaTypeInPictures(qint64 mediaType);
    void ClearStorageLocationInPictures(qint64 location);
    void ClearSubCategoryInPictures(qint64 subCategory);
    void ClearCategoryInPictures(qint64 category);
    void ClearPhotographerInPictures(qint64 person);
    void DeletePicturePeopleLinks(qint64 picture);
    void RemovePersonFromPictures(qint64 person);
    // The row goes with its preview file; deleteFile also deletes the
    // picture's own file. Files go only once the delete is committed.
    void DeletePictureRecord(qint64 picture, bool deleteFile);
    void SetCategoryOfSubCategoryPictures(qint64 subCategory, qint64 category);
    void SetMediaTypeOfLocationPictures(qint64 location, qint64 mediaType);
    void MovePictureToLocation(qint64 picture, qint64 location, qint64 mediaType);
    void LoadPermittedRatings();
    bool PictureFileExists(const QString& fileName, qint64 location, qint64 picture);
    // A person's default picture: the PersonPicture of the person, -1 when
    // it is Null or there is no such person.
    qint64 PersonPictureOf(qint64 person);
    // Every person whose default picture is this picture loses it.
    void ClearPersonPictureRefs(qint64 picture);
    // The person's default picture becomes this picture.
    void SetPersonPicture(qint64 person, qint64 picture);
    // A settings default that names a deleted row names none any more: Null
    // in the Settings row, -1 in the loaded settings once the delete commits.
    // When the deleted row's references moved to another row (replacementId
    // not negative), the default follows them to that row instead.
    void ClearSettingsDefault(SettingsDefault which, qint64 deletedId, qint64 replacementId = -1);
    // Every settings default set to Null at once (the rows they named are
    // all gone), -1 in the loaded settings once the change commits.
    void ClearSettingsDefaults();

    // Runs several changes as one transaction (a delete and its cascade):
    // all stand or none. On failure the tables the work touched are
    // cancelled and read again (TouchedTables).
    void InOneTransaction(const std::function<void()>& work);

    // Closes the table, switches it to exclusive use and opens it again;
    // while that is refused, asks whether to try again ("Could not open
    // Tables exclusively - Try again?"). Cancel passes the error on.
    void ReopenExclusive(Table& table);

    // The record filters (also used by the find operations).
    bool PictureAccepted(Table& table) const;

    Table PictureInfoTable;
    Table PicturePeopleTable;
    Table AlbumListTable;
    Table AlbumTable;
    Table PersonTable;
    Table PersonGroupTable;
    Table PlaceTable;
    Table CategoryTable;
    Table SubCategoryTable;
    Table RatingTable;
    Table RatingListTable;
    Table MediaTypeTable;
    Table StorageLocationTable;
    Table UserSettingsTable;
    Table SecurityTable;
    Table SettingsTable;
    Table SearchTable;
    Table FileExtensionsTable;
    Table UpdateTable;

    DataSource PictureInfoSource;
    DataSource PicturePeopleSource;
    DataSource AlbumListSource;
    DataSource AlbumSource;
    DataSource PersonSource;
    DataSource PersonGroupSource;
    DataSource PlaceSource;
    DataSource CategorySource;
    DataSource SubCategorySource;
    DataSource RatingSource;
    DataSource RatingListSource;
    DataSource MeditaTypeSource;
    DataSource StorageLocationSource;
    DataSource UserSettingsSource;
    DataSource SecuritySource;
    DataSource SettingsSource;
    DataSource SearchSource;
    DataSource FileExtensionsSource;
    DataSource UpdateSource;

    Query PictureInfoQuery;
    Query PicturePeopleQuery;
    Query AlbumListQuery;
    Query AlbumQuery;
    Query PersonQuery;
    Query PersonGroupQuery;
    Query PlaceQuery;
    Query CategoryQuery;
    Query SubCategoryQuery;
    Query RatingQuery;
    Query RatingListQuery;
    Query MediaTypeQuery;
    Query StorageLocationQuery;
    Query UserSettingsQuery;
    Query SecurityQuery;
    Query SettingsQuery;
    Query FileExtensionsQuery;
    Query UpdateQuery;
    Query UpdateStatmentQuery;

private:
    void installRecordRules();
    void runStatement(Query& query, const QStringList& lines);
    void clearReference(Query& query, const char* status, const char* tableFile, const char* field, qint64 value);
    void deleteLinks(Query& query, const char* status, const char* tableFile, const char* field, qint64 value);
    void setUp(Table& table, DataSource& source, const char* tableName, const char* componentName,
               const char* sourceName);

    std::unique_ptr<Database> m_database;
    std::vector<CatalogueTable> m_catalogueTables;
};

}  // namespace kv::data
