#include "web/RecordLoads.h"

#include "common/DateText.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "search/QueryBuilder.h"
#include "security/SecurityData.h"
#include "web/PageLinks.h"
#include "web/ValueText.h"

#include <algorithm>
#include <limits>

namespace kv::web {

using data::Query;
using data::QueryScope;
using data::TProgramDataForm;
using data::readFloat;
using data::readInteger;
using data::readText;

namespace {

QString field(const Query& q, const char* name) { return readText(q, QLatin1String(name)); }
qint64 integer(const Query& q, const char* name, qint64 none = -1)
{
    return readInteger(q, QLatin1String(name), none);
}
double date(const Query& q, const char* name) { return readFloat(q, QLatin1String(name), 0.0); }
QStringList memo(const Query& q, const char* name) { return MemoToHtml(field(q, name)); }

// Gives the query its lines, whose "?" stands for the ID, and opens it on
// the statement the connection keeps prepared.
void openWithId(Query& q, const QStringList& lines, qint64 id)
{
    q.close();
    q.clearSql();
    q.sql() = lines;
    q.openWith({id});
}

// "Select *", "From "<table>"", "Where <id> = ?".
QStringList selectById(const char* tableFile, const char* idField)
{
    return {QStringLiteral("Select *"), QStringLiteral("From \"%1\"").arg(QLatin1String(tableFile)),
            QStringLiteral("Where %1 = ?").arg(QLatin1String(idField))};
}

// The loads of the records that share the reference shape.
struct ReferenceLoad {
    Query TProgramDataForm::*query;
    TReferenceData TCurrentRecords::*record;
    const char* tableFile;
    const char* idField;
    const char* descriptionField;
    const char* commentsField;
};

const ReferenceLoad kPlaceLoad{.query = &TProgramDataForm::PlaceQuery,
                               .record = &TCurrentRecords::Place,
                               .tableFile = "Place.db",
                               .idField = "PlaceID",
                               .descriptionField = "PlaceDescription",
                               .commentsField = "PlaceComments"};
const ReferenceLoad kCategoryLoad{.query = &TProgramDataForm::CategoryQuery,
                                  .record = &TCurrentRecords::Category,
                                  .tableFile = "Catagory.db",
                                  .idField = "CatagoryID",
                                  .descriptionField = "CatagoryDescription",
                                  .commentsField = "CatagoryComments"};
const ReferenceLoad kSubCategoryLoad{.query = &TProgramDataForm::SubCategoryQuery,
                                     .record = &TCurrentRecords::SubCategory,
                                     .tableFile = "SubCatagory.db",
                                     .idField = "SubCatagoryID",
                                     .descriptionField = "SubCatagoryDescription",
                                     .commentsField = "SubCatagoryComments"};
const ReferenceLoad kRatingLoad{.query = &TProgramDataForm::RatingQuery,
                                .record = &TCurrentRecords::Rating,
                                .tableFile = "Rating.db",
                                .idField = "RatingID",
                                .descriptionField = "RatingDescription",
                                .commentsField = "RatingComments"};
const ReferenceLoad kMediaTypeLoad{.query = &TProgramDataForm::MediaTypeQuery,
                                   .record = &TCurrentRecords::MediaType,
                                   .tableFile = "MediaType.db",
                                   .idField = "MediaTypeID",
                                   .descriptionField = "MediaTypeDescription",
                                   .commentsField = "MediaTypeComments"};

void loadReference(TProgramDataForm& dm, const ReferenceLoad& load, qint64 id)
{
    TReferenceData& record = CurrentRecords().*load.record;
    record = TReferenceData();
    Query& q = dm.*load.query;
    QueryScope closed(q);
    openWithId(q, selectById(load.tableFile, load.idField), id);
    if (q.isEmpty())
        return;
    record.ID = integer(q, load.idField);
    record.Description = field(q, load.descriptionField);
    record.Comments = memo(q, load.commentsField);
}

int boxSize(qint64 size)
{
    return static_cast<int>(std::clamp<qint64>(size, 0, std::numeric_limits<int>::max()));
}

// Both image tags of a picture, its preview measured once.
void makeImageTags(TProgramDataForm& dm, qint64 pictureId, qint64 box, QString& indexTag, QString& detailTag)
{
    const QSize size = ImageTagSize(dm, pictureId, boxSize(box));
    indexTag = ImageTag(true, pictureId, size);
    detailTag = ImageTag(false, pictureId, size);
}

void resetPicture(TPictureInfoData& picture)
{
    TPictureInfoData reset;
    reset.NextLink = picture.NextLink;
    reset.PreviousLink = picture.PreviousLink;
    reset.PreviewIndexTag = picture.PreviewIndexTag;
    reset.PreviewDetailTag = picture.PreviewDetailTag;
    picture = std::move(reset);
}

double today() { return common::DesktopDays(Generation().Now().date()); }

}  // namespace

void LoadPlaceData(TProgramDataForm& dm, qint64 placeId) { loadReference(dm, kPlaceLoad, placeId); }
void LoadCategoryData(TProgramDataForm& dm, qint64 categoryId) { loadReference(dm, kCategoryLoad, categoryId); }
void LoadSubCategoryData(TProgramDataForm& dm, qint64 subCategoryId)
{
    loadReference(dm, kSubCategoryLoad, subCategoryId);
}
void LoadRatingData(TProgramDataForm& dm, qint64 ratingId) { loadReference(dm, kRatingLoad, ratingId); }
void LoadMediaTypeData(TProgramDataForm& dm, qint64 mediaTypeId) { loadReference(dm, kMediaTypeLoad, mediaTypeId); }

void LoadStorageLocationData(TProgramDataForm& dm, qint64 storageLocationId)
{
    TStorageLocation& location = CurrentRecords().StorageLocation;
    location = TStorageLocation();
    Query& q = dm.StorageLocationQuery;
    QueryScope closed(q);
    openWithId(q, selectById("StorageLocation.db", "StorageLocationID"), storageLocationId);
    if (q.isEmpty())
        return;
    location.StorageLocationID = integer(q, "StorageLocationID");
    location.Description = field(q, "StorageLocationDescriptio");
    location.Directory = field(q, "Directory");
    location.DiscLabel = field(q, "DiscLabel");
    location.Tray = field(q, "Tray");
    location.Book = field(q, "Book");
    location.Shelve = field(q, "Shelve");
    location.LocationWhereStored = field(q, "LocaitonWhereStored");
    location.Comments = memo(q, "StorageLocationComments");
}

void LoadAlbumData(TProgramDataForm& dm, qint64 albumId)
{
    TAlbum& album = CurrentRecords().Album;
    album = TAlbum();
    Query& q = dm.AlbumQuery;
    QueryScope closed(q);
    openWithId(q, selectById("Album.db", "AlbumID"), albumId);
    if (q.isEmpty())
        return;
    album.AlbumID = integer(q, "AlbumID");
    album.Name = field(q, "AlbumDescription");
    if (!q.isNull(QStringLiteral("AlbumIndexTemplate")))
        album.IndexTemplate = field(q, "AlbumIndexTemplate");
    if (!q.isNull(QStringLiteral("AlbumDetailTemplate")))
        album.DetailTemplate = field(q, "AlbumDetailTemplate");
    album.Comments = memo(q, "AlbumComments");
}

void LoadPersonData(TProgramDataForm& dm, TPersonData& person, qint64 personId, double ref)
{
    person = TPersonData();
    {
        static const QStringList lines = {
            QStringLiteral("Select P.*, PG.*"),
            QStringLiteral("From \"Person.db\" P"),
            QStringLiteral("LEFT OUTER JOIN \"PersonGroup.db\" PG"),
            QStringLiteral("ON (P.GroupType = PG.PersonGroupID)"),
            QStringLiteral("Where P.PersonID = ?"),
        };
        Query& q = dm.PersonQuery;
        QueryScope closed(q);
        openWithId(q, lines, personId);
        if (!q.isEmpty()) {
            person.PersonID = integer(q, "PersonID");
            person.Name = field(q, "PersonDescription");
            person.Birthdate = date(q, "Birthdate");
            person.DeathDate = date(q, "DeathDate");
            person.CurrentAge = AgeText(today(), person.DeathDate, person.Birthdate);
            person.AgeWhenTaken = AgeText(ref, person.DeathDate, person.Birthdate);
            person.AgeThisYear = AgeText(BirthdayInYear(person.Birthdate, Generation().Now().date().year()),
                                         person.DeathDate, person.Birthdate);
            person.PictureID = integer(q, "PersonPicture");
            person.Address1 = field(q, "Address1");
            person.Address2 = field(q, "Address2");
            person.City = field(q, "City");
            person.Country = field(q, "Country");
            person.State = field(q, "State");
            person.ZipCode = TrimZipCode(field(q, "ZipCode"));
            person.WorkPhone = field(q, "WorkPhone");
            person.HomePhone = field(q, "HomePhone");
            person.CellPhone = field(q, "CellPhone");
            person.Email = field(q, "Email");
            person.WebPage = field(q, "WebPage");
            person.GroupName = field(q, "PersonGroupDescription");
            person.LastFirst = LastNameFirst(person.Name);
            person.BirthSortKey = BirthdaySortKey(person.Birthdate);
            person.EmailLink = EmailLink(person.Email);
            person.WebPageLink = WebPageLink(person.WebPage);
            person.Comments = memo(q, "PersonComments");
        }
    }
    // Asked after the person query is closed: the rating check runs a query
    // of its own. (The user's own EnforceRating flag decides.)
    if (person.PictureID != -1
        && !search::IsPictureRatingAllowed(dm, person.PictureID, security::SecurityData().EnforceRating))
        person.PictureID = -1;
    makeImageTags(dm, person.PictureID, data::SystemInfo().PersonPreviewSize, person.PreviewIndexTag,
                  person.PreviewDetailTag);
}

void LoadPictureAlbums(TProgramDataForm& dm, qint64 pictureId)
{
    static const QStringList lines = {
        QStringLiteral("Select AL.AlbumID, "),
        QStringLiteral("A.AlbumDescription"),
        QStringLiteral("From \"AlbumList.db\" AL"),
        QStringLiteral("LEFT OUTER JOIN \"Album.db\" A"),
        QStringLiteral("ON (AL.AlbumID = A.AlbumID)"),
        QStringLiteral("Where AL.AlbumPictureID = ?"),
        QStringLiteral("Order By A.AlbumDescription"),
    };
    Query& q = dm.AlbumListQuery;
    openWithId(q, lines, pictureId);
    if (q.isEmpty())
        CurrentRecords().Album = TAlbum();
    else
        LoadAlbumData(dm, integer(q, "AlbumID"));
}

void LoadPicturePeople(TProgramDataForm& dm, qint64 pictureId)
{
    static const QStringList lines = {
        QStringLiteral("Select PP.PersonID, "),
        QStringLiteral("P.PersonDescription,"),
        QStringLiteral("PP.PicturePeopleComments"),
        QStringLiteral("From \"PicturePeople.db\" PP"),
        QStringLiteral("LEFT OUTER JOIN \"Person.db\" P"),
        QStringLiteral("ON (PP.PersonID = P.PersonID)"),
        QStringLiteral("Where PP.PictureID = ?"),
        QStringLiteral("Order By P.PersonDescription"),
    };
    Query& q = dm.PicturePeopleQuery;
    openWithId(q, lines, pictureId);
    if (!q.isEmpty()) {
        LoadPictureRowPerson(dm);
        return;
    }
    // No people: nothing of the previous picture's person may remain.
    TCurrentRecords& records = CurrentRecords();
    records.PersonPictureComments.clear();
    LoadPersonData(dm, records.Person, -1, records.Picture.DateTaken);
}

void LoadPictureRowPerson(TProgramDataForm& dm)
{
    TCurrentRecords& records = CurrentRecords();
    const Query& q = dm.PicturePeopleQuery;
    const qint64 personId = integer(q, "PersonID");
    records.PersonPictureComments = memo(q, "PicturePeopleComments");
    LoadPersonData(dm, records.Person, personId, records.Picture.DateTaken);
}

void LoadPictureDetails(TProgramDataForm& dm, qint64 pictureId)
{
    TCurrentRecords& records = CurrentRecords();
    TPictureInfoData& picture = records.Picture;
    resetPicture(picture);
    {
        Query& q = dm.PictureInfoQuery;
        QueryScope closed(q);
        openWithId(q, selectById("PictureInfo.db", "PictureID"), pictureId);
        if (!q.isEmpty()) {
            picture.PictureID = integer(q, "PictureID");
            picture.Description = field(q, "PictureDescription");
            picture.DateTaken = date(q, "DateTaken");
            picture.PlaceID = integer(q, "PlaceID");
            picture.CategoryID = integer(q, "CatagoryID");
            picture.SubCategoryID = integer(q, "SubCatagoryID");
            picture.PhotographerID = integer(q, "PhotograherID");
            picture.RatingID = integer(q, "RatingID");
            picture.MediaTypeID = integer(q, "MediaTypeID");
            picture.StorageLocationID = integer(q, "StorageLocationID");
            picture.RotateImage = integer(q, "RotateImage", 0);
            picture.FileName = field(q, "FileName");
            picture.Slide = field(q, "Slide");
            picture.PageName = field(q, "PageName");
            picture.PictureLocation = field(q, "PictureLocation");
            picture.TimeIndex = field(q, "TimeIndex");
            picture.TimeLength = field(q, "TimeLength");
            picture.Comments = memo(q, "PictureComments");
        }
    }
    // The related records are loaded even for a picture that does not
    // exist (every ID -1), so that none shows a value of the picture before.
    LoadPlaceData(dm, picture.PlaceID);
    LoadCategoryData(dm, picture.CategoryID);
    LoadSubCategoryData(dm, picture.SubCategoryID);
    LoadPersonData(dm, records.Photographer, picture.PhotographerID, picture.DateTaken);
    LoadRatingData(dm, picture.RatingID);
    LoadMediaTypeData(dm, picture.MediaTypeID);
    LoadStorageLocationData(dm, picture.StorageLocationID);
    LoadPictureAlbums(dm, picture.PictureID);
    LoadPicturePeople(dm, picture.PictureID);
    makeImageTags(dm, picture.PictureID, data::SystemInfo().PicturePreviewSize, picture.PreviewIndexTag,
                  picture.PreviewDetailTag);
}

QString PersonAgeText(TProgramDataForm& dm, qint64 personId, double ref)
{
    Query& q = dm.PersonQuery;
    QueryScope closed(q);
    openWithId(q, selectById("Person.db", "PersonID"), personId);
    if (q.isEmpty())
        return {};
    return AgeText(ref, date(q, "DeathDate"), date(q, "Birthdate"));
}

QString CurrentPersonAgeText(TProgramDataForm& dm, double ref)
{
    const data::DataSet& person = dm.PersonTable;
    if (person.isEmpty())
        return {};
    return AgeText(ref, readFloat(person, QStringLiteral("DeathDate"), 0.0),
                   readFloat(person, QStringLiteral("Birthdate"), 0.0));
}

}  // namespace kv::web
