#include "data/CatalogueSchema.h"

#include "data/TextWidthChecks.h"

#include "data/localsql/LocalSqlAdapter.h"

namespace kv::data {

namespace {

using T = FieldType;

FieldDef A(const char* name, int width) { return {QString::fromLatin1(name), T::Alpha, width}; }
FieldDef F(const char* name, T type) { return {QString::fromLatin1(name), type, 0}; }

IndexDef I(const char* name, QStringList fields) { return {QString::fromLatin1(name), std::move(fields)}; }

LookupDef L(const char* name, const char* key, const char* table, const char* tableKey, const char* result)
{
    return {QString::fromLatin1(name), QString::fromLatin1(key), QString::fromLatin1(table),
            QString::fromLatin1(tableKey), QString::fromLatin1(result), 50};
}

// The widths of descriptions follow the 50 columns that lookups and text
// exports give them; picture descriptions get more room.
std::vector<TableDef> makeSchema()
{
    std::vector<TableDef> s;

    s.push_back({"Settings", "Settings.db",
                 {F("DisableLogin", T::Logical), F("AutoLogin", T::Logical), F("ShowPreview", T::Logical),
                  F("FTPPassive", T::Logical), F("ShowOnTop", T::Logical), F("ProgramSoundEnabled", T::Logical),
                  F("PreviewSizeX", T::Integer), F("PreviewSizeY", T::Integer), F("DefaultPlaceID", T::Integer),
                  F("DefaultCatagoryID", T::Integer), F("DefaultPhotographerID", T::Integer),
                  F("DefaultRatingID", T::Integer), F("DefaultMediaTypeID", T::Integer),
                  F("DefaultStorageLocationID", T::Integer), F("DefaultAlbumID", T::Integer),
                  F("FTPPort", T::Integer), F("ShowBackground", T::Integer), F("ShowInterval", T::Integer),
                  F("ShowMinutes", T::Integer), F("ShowMaxSize", T::Integer), A("BackgroundBitmap", 255),
                  A("EncryptionKey", 255), A("CalDirectory", 255), A("PreviewDir", 255),
                  A("DefaultIndexTemplate", 255), A("DefaultDetailTemplate", 255), A("GenerateLocation", 255),
                  A("ImageDirectory", 255), A("FTPSite", 255), A("FTPUserName", 255), A("FTPPassword", 255),
                  A("FTPLocation", 255), A("ExtraFiles", 255), A("AddressTemplate", 255),
                  A("BirthdayTemplate", 255), A("PersonTemplate", 255), A("ProductID", 12)},
                 {},
                 {},
                 {}});

    s.push_back({"Update", "Update.db",
                 {A("ProductID", 12), F("Sequance", T::Number), F("QueryStatement", T::Memo)},
                 {I("ProductIDIndex", {"ProductID", "Sequance"})},
                 {},
                 {}});

    QStringList rights = {"CanModifySettings", "CanViewSettings", "CanAddUsers", "CanPackDatabase",
                          "CanViewSecurity", "CanAddPicture", "CanEditPicture", "CanDeletePicture",
                          "CanCopyPictures", "CanAddPlace", "CanEditPlace", "CanDeletePlace", "CanAddPerson",
                          "CanEditPerson", "CanDeletePerson", "CanAddCatatory", "CanEditCatagory",
                          "CanDeleteCatagory", "CanAddSubCat", "CanEditSubCat", "CanDeleteSubCat",
                          "CanAddRating", "CanEditRating", "CanDeleteRating", "CanAddMedia", "CanEditMedia",
                          "CanDeleteMedia", "CanAddStorageLoc", "CanEditStorageLoc", "CanDeleteStorageLoc",
                          "CanMoveLocations", "CanViewModified", "CanAddAlbum", "CanEditAlbum",
                          "CanDeleteAlbum", "CanSaveSearch", "CanEditSearch", "CanDeleteSearch", "CanImport",
                          "CanExport", "CanUploadHTML", "CanAddGroup", "CanEditGroup", "CanDeleteGroup"};
    TableDef security{"Security", "Security.db",
                      {F("SecurityID", T::AutoInc), A("SecurityDescription", 50), F("Supervisor", T::Logical),
                       F("EnforceRating", T::Logical)},
                      {I("SecurityDescription", {"SecurityDescription"})},
                      {},
                      {}};
    for (const QString& r : rights)
        security.fields.push_back({r, T::Logical, 0});
    s.push_back(security);

    s.push_back({"User", "User.db",
                 {F("UserID", T::AutoInc), A("LoginName", 50), A("UserName", 50), A("UserPassword", 50),
                  F("SecurityID", T::Integer)},
                 {I("LoginName", {"LoginName"})},
                 {},
                 {}});

    auto simpleReference = [](const char* table, const char* prefix, const char* index, const char* by,
                              const char* date) {
        const QString p = QString::fromLatin1(prefix);
        return TableDef{QString::fromLatin1(table),
                        QString::fromLatin1(table) + QStringLiteral(".db"),
                        {{p + QStringLiteral("ID"), T::AutoInc, 0},
                         {p + QStringLiteral("Description"), T::Alpha, 50},
                         {p + QStringLiteral("Comments"), T::Memo, 0},
                         {p + QStringLiteral("CommentsChar"), T::Alpha, 250},
                         {QString::fromLatin1(by), T::Number, 0},
                         {QString::fromLatin1(date), T::Timestamp, 0}},
                        {{QString::fromLatin1(index), {p + QStringLiteral("Description")}}},
                        {},
                        {}};
    };
    s.push_back(simpleReference("Place", "Place", "PlaceDescriptionIndex", "PlaceModifiedBy", "PlaceModifiedDate"));
    s.push_back(simpleReference("Catagory", "Catagory", "CatatoryDescriptionIndex", "CatagoryModifiedBy",
                                "CatagoryModifiedDate"));

    s.push_back({"Person", "Person.db",
                 {F("PersonID", T::AutoInc), A("PersonDescription", 50), F("GroupType", T::Number),
                  F("Birthdate", T::Date), F("DeathDate", T::Date), F("PersonModifiedBy", T::Number),
                  F("PersonModifiedDate", T::Timestamp), F("PersonComments", T::Memo),
                  F("PersonPicture", T::Number), A("Address1", 40), A("Address2", 40), A("City", 40),
                  A("State", 40), A("Country", 40), A("ZipCode", 10), A("HomePhone", 14), A("WorkPhone", 14),
                  A("CellPhone", 14), A("Email", 40), A("WebPage", 50), A("PersonCommentsChar", 250)},
                 {I("PersonDescriptionIndex", {"PersonDescription"})},
                 {I("GroupType", {"GroupType"}), I("PersonPicture", {"PersonPicture"})},
                 {L("PersonGroupDescription", "GroupType", "PersonGroup", "PersonGroupID",
                    "PersonGroupDescription")}});

    s.push_back(simpleReference("Rating", "Rating", "RatingDescriptionIndex", "RatingModifedBy",
                                "RatingModifedDate"));

    s.push_back({"MediaType", "MediaType.db",
                 {F("MediaTypeID", T::AutoInc), A("MediaTypeDescription", 50), F("ShowFileName", T::Logical),
                  F("ShowSlide", T::Logical), F("ShowPicture", T::Logical), F("ShowTimeIndex", T::Logical),
                  F("ShowDiscLabel", T::Logical), F("ShowPage", T::Logical), F("RemovableMedia", T::Logical),
                  F("MediaTypeComments", T::Memo), A("MediaTypeCommentsChar", 250),
                  F("MediaTypeModifedBy", T::Number), F("MediaTypeModifiedDate", T::Timestamp)},
                 {I("MediaTypeDescription", {"MediaTypeDescription"})},
                 {},
                 {}});

    s.push_back({"StorageLocation", "StorageLocation.db",
                 {F("StorageLocationID", T::AutoInc), F("MediaType", T::Number),
                  A("StorageLocationDescriptio", 200), A("Directory", 200), A("DiscLabel", 200), A("Tray", 200),
                  A("Book", 200), A("Shelve", 200), A("LocaitonWhereStored", 200),
                  F("StorageLocationModifiedBy", T::Number), F("StorageLocaitonModifiedDa", T::Timestamp),
                  F("StorageLocationComments", T::Memo), A("StorageLocationCommentsCh", 250)},
                 {I("MediaTypeIdIdx", {"MediaType"}),
                  I("StorageLocationDescriptio", {"StorageLocationDescriptio"})},
                 {},
                 {L("MediaTypeDescription", "MediaType", "MediaType", "MediaTypeID", "MediaTypeDescription")}});

    s.push_back({"RatingList", "RatingList.db",
                 {F("UserID", T::Number), F("RatingID", T::Number)},
                 {I("UserIDIndex", {"UserID"})},
                 {I("RatingID", {"RatingID"})},
                 {L("RatingDescription", "RatingID", "Rating", "RatingID", "RatingDescription")}});

    s.push_back({"PictureInfo", "PictureInfo.db",
                 {F("PictureID", T::AutoInc), A("PictureDescription", 100), F("DateTaken", T::Date),
                  F("PlaceID", T::Number), F("CatagoryID", T::Number), F("SubCatagoryID", T::Number),
                  F("PhotograherID", T::Number), F("RatingID", T::Number), F("MediaTypeID", T::Number),
                  F("StorageLocationID", T::Number), A("FileName", 255), A("PictureLocation", 100),
                  A("Slide", 50), A("PageName", 50), A("TimeIndex", 50), A("TimeLength", 50),
                  F("RotateImage", T::Integer), F("PreviewAvailable", T::Logical), F("ImageSizeX", T::Integer),
                  F("ImageSizeY", T::Integer), F("PictureComments", T::Memo), A("PictureCommentsChar", 250),
                  F("PictureModifiedBy", T::Number), F("PictureModifiedDate", T::Timestamp)},
                 {I("PictureDescriptionIndex", {"PictureDescription"}), I("DateTakenIDX", {"DateTaken"})},
                 {I("PlaceID", {"PlaceID"}), I("CatagoryID", {"CatagoryID"}), I("SubCatagoryID", {"SubCatagoryID"}),
                  I("PhotograherID", {"PhotograherID"}), I("RatingID", {"RatingID"}),
                  I("MediaTypeID", {"MediaTypeID"}), I("StorageLocationFile", {"StorageLocationID", "FileName"})},
                 {}});

    s.push_back({"PicturePeople", "PicturePeople.db",
                 {F("PicturePeopleID", T::AutoInc), F("PictureID", T::Number), F("PersonID", T::Number),
                  F("PicturePeopleModifedBy", T::Number), F("PicturePeopleModifedDate", T::Timestamp),
                  F("PicturePeopleComments", T::Memo), A("PicturePeopleCommentsChar", 250)},
                 {I("PictureID", {"PictureID"})},
                 {I("PersonID", {"PersonID"})},
                 {L("PersonName", "PersonID", "Person", "PersonID", "PersonDescription")}});

    s.push_back({"SubCatagory", "SubCatagory.db",
                 {F("SubCatagoryID", T::AutoInc), F("CatagoryID", T::Number), A("SubCatagoryDescription", 50),
                  F("SubCatagoryModifiedBy", T::Number), F("SubCatagoryModifiedDate", T::Timestamp),
                  F("SubCatagoryComments", T::Memo), A("SubCatagoryCommentsChar", 250)},
                 {I("CategoryID", {"CatagoryID"}), I("SubCatagoryDescription", {"SubCatagoryDescription"})},
                 {},
                 {L("CatDescription", "CatagoryID", "Catagory", "CatagoryID", "CatagoryDescription")}});

    s.push_back({"Album", "Album.db",
                 {F("AlbumID", T::AutoInc), A("AlbumDescription", 50), A("AlbumIndexTemplate", 200),
                  A("AlbumDetailTemplate", 200), F("AlbumComments", T::Memo), A("AlbumCommentsChar", 250),
                  F("AlbumModifiedBy", T::Number), F("AlbumModifiedDate", T::Timestamp)},
                 {I("AlbumDescription", {"AlbumDescription"})},
                 {},
                 {}});

    s.push_back({"AlbumList", "AlbumList.db",
                 {F("AlbumListID", T::AutoInc), F("AlbumID", T::Number), F("AlbumPictureID", T::Number),
                  F("AlbumListModifiedBy", T::Number), F("AlbumListModifiedDate", T::Timestamp)},
                 {I("AlbumPictuerIDIndex", {"AlbumPictureID"})},
                 {I("AlbumID", {"AlbumID"})},
                 {L("AlbumDescription", "AlbumID", "Album", "AlbumID", "AlbumDescription")}});

    s.push_back({"Search", "Search.DB",
                 {F("SearchID", T::AutoInc), A("SearchDescription", 50), A("SearchType", 10),
                  F("SearchData", T::Memo), F("SearchComments", T::Memo), A("SearchCommentsChar", 250),
                  F("SearchModifiedBy", T::Number), F("SearchModifiedDate", T::Timestamp)},
                 {I("SearchDescriptionidx", {"SearchDescription"})},
                 {},
                 {}});

    s.push_back(simpleReference("PersonGroup", "PersonGroup", "PersonGroupDescriptionI", "PersonGroupModifiedBy",
                                "PersonGroupModifiedDate"));
    s.back().fileName = QStringLiteral("PersonGroup.DB");

    s.push_back({"FileExtensions", "FileExtensions.db",
                 {F("FileExtensionID", T::AutoInc), A("FileExtensionDescription", 20),
                  F("FileExtensionAllowDelete", T::Logical), F("IsVideoExtension", T::Logical),
                  F("FileExtensionComments", T::Memo), F("FileExtensionModifiedBy", T::Number),
                  F("FileExtensionModifiedDate", T::Timestamp)},
                 {I("FileExtensionDescIDX", {"FileExtensionDescription"})},
                 {},
                 {}});
    return s;
}

QString indexColumns(const TableDef& t, const IndexDef& index)
{
    QStringList cols;
    for (const QString& f : index.fields) {
        const FieldDef* def = t.field(f);
        const bool text = def && (def->type == FieldType::Alpha || def->type == FieldType::Memo);
        cols << sqliteIdentifier(f) + (text ? QStringLiteral(" COLLATE NOCASE") : QString());
    }
    return cols.join(QStringLiteral(", "));
}

}  // namespace

const FieldDef* TableDef::field(const QString& fieldName) const
{
    for (const FieldDef& f : fields)
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const IndexDef* TableDef::index(const QString& indexName) const
{
    for (const auto* list : {&indexes, &searchIndexes})
        for (const IndexDef& i : *list)
            if (i.name.compare(indexName, Qt::CaseInsensitive) == 0)
                return &i;
    return nullptr;
}

QString TableDef::keyField() const
{
    for (const FieldDef& f : fields)
        if (f.type == FieldType::AutoInc)
            return f.name;
    return {};
}

const std::vector<TableDef>& catalogueSchema()
{
    static const std::vector<TableDef> schema = makeSchema();
    return schema;
}

const TableDef* findTableDef(const QString& nameOrFileName)
{
    QString name = nameOrFileName.trimmed();
    if (name.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive))
        name.chop(3);
    for (const TableDef& t : catalogueSchema())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString sqliteIndexName(const QString& table, const QString& index)
{
    return table + QLatin1Char('_') + index;
}

QStringList catalogueCreateStatements()
{
    QStringList out;
    for (const TableDef& t : catalogueSchema()) {
        QStringList cols;
        for (const FieldDef& f : t.fields) {
            QString col = sqliteIdentifier(f.name) + QLatin1Char(' ') + declaredSqliteType(f.type, f.width);
            if (f.type == FieldType::AutoInc)
                col += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
            cols << col;
        }
        out << QStringLiteral("CREATE TABLE %1 (%2)").arg(sqliteIdentifier(t.name), cols.join(QStringLiteral(", ")));
        for (const auto* list : {&t.indexes, &t.searchIndexes})
            for (const IndexDef& i : *list)
                out << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                           .arg(sqliteIdentifier(sqliteIndexName(t.name, i.name)), sqliteIdentifier(t.name), indexColumns(t, i));
        for (const WidthTrigger& w : textWidthTriggers(t.name, t.fields))
            out << w.sql;
    }
    return out;
}

}  // namespace kv::data
