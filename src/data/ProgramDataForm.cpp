#include "data/ProgramDataForm.h"

#include "data/ErrorDisplay.h"

namespace kv::data {

TProgramDataForm::TProgramDataForm(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("ProgramDataForm"));
    // A failed window operation cancels the edits it left in these tables.
    WatchDataModule(this);
    setUp(PictureInfoTable, PictureInfoSource, "PictureInfo.db", "PictureInfoTable", "PictureInfoSource");
    setUp(PicturePeopleTable, PicturePeopleSource, "PicturePeople.db", "PicturePeopleTable", "PicturePeopleSource");
    setUp(AlbumListTable, AlbumListSource, "AlbumList.db", "AlbumListTable", "AlbumListSource");
    setUp(AlbumTable, AlbumSource, "Album.db", "AlbumTable", "AlbumSource");
    setUp(PersonTable, PersonSource, "Person.db", "PersonTable", "PersonSource");
    setUp(PersonGroupTable, PersonGroupSource, "PersonGroup.DB", "PersonGroupTable", "PersonGroupSource");
    setUp(PlaceTable, PlaceSource, "Place.db", "PlaceTable", "PlaceSource");
    setUp(CategoryTable, CategorySource, "Catagory.db", "CategoryTable", "CategorySource");
    setUp(SubCategoryTable, SubCategorySource, "SubCatagory.db", "SubCategoryTable", "SubCategorySource");
    setUp(RatingTable, RatingSource, "Rating.db", "RatingTable", "RatingSource");
    setUp(RatingListTable, RatingListSource, "RatingList.db", "RatingListTable", "RatingListSource");
    setUp(MediaTypeTable, MeditaTypeSource, "MediaType.db", "MediaTypeTable", "MeditaTypeSource");
    setUp(StorageLocationTable, StorageLocationSource, "StorageLocation.db", "StorageLocationTable",
          "StorageLocationSource");
    setUp(UserSettingsTable, UserSettingsSource, "User.db", "UserSettingsTable", "UserSettingsSource");
    setUp(SecurityTable, SecuritySource, "Security.db", "SecurityTable", "SecuritySource");
    setUp(SettingsTable, SettingsSource, "Settings.db", "SettingsTable", "SettingsSource");
    setUp(SearchTable, SearchSource, "Search.DB", "SearchTable", "SearchSource");
    setUp(FileExtensionsTable, FileExtensionsSource, "FileExtensions.db", "FileExtensionsTable",
          "FileExtensionsSource");
    setUp(UpdateTable, UpdateSource, "Update.db", "UpdateTable", "UpdateSource");

    const std::pair<Query*, const char*> queryNames[] = {
        {&PictureInfoQuery, "PictureInfoQuery"},   {&PicturePeopleQuery, "PicturePeopleQuery"},
        {&AlbumListQuery, "AlbumListQuery"},       {&AlbumQuery, "AlbumQuery"},
        {&PersonQuery, "PersonQuery"},             {&PersonGroupQuery, "PersonGroupQuery"},
        {&PlaceQuery, "PlaceQuery"},               {&CategoryQuery, "CategoryQuery"},
        {&SubCategoryQuery, "SubCategoryQuery"},   {&RatingQuery, "RatingQuery"},
        {&RatingListQuery, "RatingListQuery"},     {&MediaTypeQuery, "MediaTypeQuery"},
        {&StorageLocationQuery, "StorageLocationQuery"}, {&UserSettingsQuery, "UserSettingsQuery"},
        {&SecurityQuery, "SecurityQuery"},         {&SettingsQuery, "SettingsQuery"},
        {&FileExtensionsQuery, "FileExtensionsQuery"}, {&UpdateQuery, "UpdateQuery"},
        {&UpdateStatmentQuery, "UpdateStatmentQuery"}};
    for (const auto& [query, name] : queryNames)
        query->setObjectName(QString::fromLatin1(name));

    // Browse orders.
    PictureInfoTable.setIndexFieldNames(QStringLiteral("PictureDescription"));
    PicturePeopleTable.setIndexFieldNames(QStringLiteral("PictureID"));
    AlbumListTable.setIndexName(QStringLiteral("AlbumPictuerIDIndex"));
    AlbumTable.setIndexFieldNames(QStringLiteral("AlbumDescription"));
    PersonTable.setIndexName(QStringLiteral("PersonDescriptionIndex"));
    PersonGroupTable.setIndexName(QStringLiteral("PersonGroupDescriptionI"));
    PlaceTable.setIndexName(QStringLiteral("PlaceDescriptionIndex"));
    CategoryTable.setIndexName(QStringLiteral("CatatoryDescriptionIndex"));
    SubCategoryTable.setIndexName(QStringLiteral("CategoryID"));
    RatingTable.setIndexName(QStringLiteral("RatingDescriptionIndex"));
    RatingListTable.setIndexName(QStringLiteral("UserIDIndex"));
    MediaTypeTable.setIndexFieldNames(QStringLiteral("MediaTypeDescription"));
    StorageLocationTable.setIndexName(QStringLiteral("MediaTypeIdIdx"));
    SecurityTable.setIndexFieldNames(QStringLiteral("SecurityDescription"));
    SearchTable.setIndexName(QStringLiteral("SearchDescriptionidx"));
    FileExtensionsTable.setIndexName(QStringLiteral("FileExtensionDescIDX"));

    // Master-detail links.
    SubCategoryTable.setMasterLink(&CategorySource, QStringLiteral("CatagoryID"), QStringLiteral("CatagoryID"));
    StorageLocationTable.setMasterLink(&MeditaTypeSource, QStringLiteral("MediaTypeID"), QStringLiteral("MediaType"));
    PicturePeopleTable.setMasterLink(&PictureInfoSource, QStringLiteral("PictureID"), QStringLiteral("PictureID"));
    RatingListTable.setMasterLink(&UserSettingsSource, QStringLiteral("UserID"), QStringLiteral("UserID"));
    AlbumListTable.setMasterLink(&PictureInfoSource, QStringLiteral("PictureID"), QStringLiteral("AlbumPictureID"));

    installRecordRules();
}

TProgramDataForm::~TProgramDataForm()
{
    UnwatchDataModule(this);
    // Details first, so that no link reacts to a closing master.
    closeTables();
}

void TProgramDataForm::setUp(Table& table, DataSource& source, const char* tableName, const char* componentName,
                             const char* sourceName)
{
    table.setTableName(QString::fromLatin1(tableName));
    table.setObjectName(QString::fromLatin1(componentName));
    source.setObjectName(QString::fromLatin1(sourceName));
    source.setDataSet(&table);
}

void TProgramDataForm::setDatabase(std::unique_ptr<Database> database)
{
    closeTables();
    m_database = std::move(database);
    for (Table* t : tables())
        t->setDatabase(m_database.get());
    for (Query* q : queries())
        q->setDatabase(m_database.get());
}

std::vector<Table*> TProgramDataForm::tables()
{
    return {&SettingsTable,        &SecurityTable,       &UserSettingsTable,  &PlaceTable,
            &CategoryTable,        &PersonTable,         &RatingTable,        &MediaTypeTable,
            &StorageLocationTable, &RatingListTable,     &PictureInfoTable,   &PicturePeopleTable,
            &SubCategoryTable,     &AlbumTable,          &AlbumListTable,     &SearchTable,
            &PersonGroupTable,     &FileExtensionsTable, &UpdateTable};
}

std::vector<Query*> TProgramDataForm::queries()
{
    return {&PictureInfoQuery,  &PicturePeopleQuery,   &AlbumListQuery,   &AlbumQuery,
            &PersonQuery,       &PersonGroupQuery,     &PlaceQuery,       &CategoryQuery,
            &SubCategoryQuery,  &RatingQuery,          &RatingListQuery,  &MediaTypeQuery,
            &StorageLocationQuery, &UserSettingsQuery, &SecurityQuery,    &SettingsQuery,
            &FileExtensionsQuery, &UpdateQuery,        &UpdateStatmentQuery};
}

void TProgramDataForm::OpenCatalogue(const QString& directory, bool readOnly)
{
    setDatabase(Database::open(directory, readOnly));
    for (Table* t : tables())
        if (t != &UpdateTable)
            t->setReadOnly(readOnly);
    SettingsTable.open();
    if (!readOnly) {
        UpdateTable.open();
        if (runSchemaUpdates)
            runSchemaUpdates(*this);
        UpdateTable.close();
    }
    for (Table* t : tables())
        if (t != &SettingsTable && t != &UpdateTable)
            t->open();
    BuildCatalogueTables();
}

void TProgramDataForm::openTables(bool readOnly)
{
    for (Table* t : tables()) {
        if (t == &UpdateTable)
            continue;
        t->setReadOnly(readOnly);
        t->open();
    }
    BuildCatalogueTables();
}

void TProgramDataForm::closeTables()
{
    auto all = tables();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        (*it)->close();
    for (Query* q : queries())
        q->close();
}

void TProgramDataForm::BuildCatalogueTables()
{
    m_catalogueTables = {
        {QStringLiteral("Users"), QStringLiteral("User"), &UserSettingsTable},
        {QStringLiteral("Security-Profile"), QStringLiteral("Security"), &SecurityTable},
        {QStringLiteral("Place"), QStringLiteral("Place"), &PlaceTable},
        {QStringLiteral("Category"), QStringLiteral("Catagory"), &CategoryTable},
        {QStringLiteral("Person"), QStringLiteral("Person"), &PersonTable},
        {QStringLiteral("Rating"), QStringLiteral("Rating"), &RatingTable},
        {QStringLiteral("Media Type"), QStringLiteral("MediaType"), &MediaTypeTable},
        {QStringLiteral("Storage Location"), QStringLiteral("StorageLocation"), &StorageLocationTable},
        {QStringLiteral("Rating"), QStringLiteral("RatingList"), &RatingListTable},
        {QStringLiteral("Pictures"), QStringLiteral("PictureInfo"), &PictureInfoTable},
        {QStringLiteral("People in Pictures"), QStringLiteral("PicturePeople"), &PicturePeopleTable},
        {QStringLiteral("Sub Category"), QStringLiteral("SubCatagory"), &SubCategoryTable},
        {QStringLiteral("Albums"), QStringLiteral("Album"), &AlbumTable},
        {QStringLiteral("Album List"), QStringLiteral("AlbumList"), &AlbumListTable},
        {QStringLiteral("Saved Searches"), QStringLiteral("Search"), &SearchTable},
        {QStringLiteral("Person Group"), QStringLiteral("PeopleGroups"), &PersonGroupTable},
        {QStringLiteral("File Extensions"), QStringLiteral("FileExtensions"), &FileExtensionsTable},
    };
}

}  // namespace kv::data
