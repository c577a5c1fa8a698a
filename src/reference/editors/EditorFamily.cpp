#include "reference/editors/EditorFamily.h"

#include "data/ProgramDataForm.h"
#include "security/SecurityData.h"

namespace kv::reference {

namespace {

using S = security::TSecurityData;
using DM = data::TProgramDataForm;

std::vector<EditorFamily> makeFamilies()
{
    std::vector<EditorFamily> f;
    f.push_back({EditorKind::Place, "TPlaceForm", "Places", "Place Information",
                 [](DM& dm) -> data::Table& { return dm.PlaceTable; }, "Place.db", "PlaceID", "PlaceDescription",
                 "PlaceComments", "PlaceModifiedBy", "PlaceModifiedDate",
                 {{"PlaceID", "ID"}, {"PlaceDescription", "Description"}}, 2110, &S::CanAddPlace, &S::CanEditPlace,
                 &S::CanDeletePlace, "Place", "Are you sure you want to delete this Place?",
                 [](DM& dm, qint64 id) {
                     dm.ClearPlaceInPictures(id);
                     dm.ClearSettingsDefault(data::SettingsDefault::Place, id);
                 },
                 {"Place ID\t10\tPlaceID\tPlaceID\tInteger", "Description\t50\tPlaceDescription\tPlaceDescription\tText"},
                 {"From \"Place.db\""}, "PersonQuery",
                 {"Place Description (*)\tPlaceDescription\tRequired\tText"}, "PlaceDescription", "Place.db"});
    f.push_back({EditorKind::Category, "TCategoryForm", "Category", "Category Information",
                 [](DM& dm) -> data::Table& { return dm.CategoryTable; }, "Catagory.db", "CatagoryID",
                 "CatagoryDescription", "CatagoryComments", "CatagoryModifiedBy", "CatagoryModifiedDate",
                 {{"CatagoryID", "ID"}, {"CatagoryDescription", "Description"}}, 2210, &S::CanAddCatatory,
                 &S::CanEditCatagory, &S::CanDeleteCatagory, "Category",
                 "Are you sure you want to delete this Category?",
                 [](DM& dm, qint64 id) {
                     dm.ClearCategoryInPictures(id);
                     dm.ClearSettingsDefault(data::SettingsDefault::Category, id);
                 },
                 {"Category ID\t10\tCatagoryID\tCatagoryID\tInteger",
                  "Description\t50\tCatagoryDescription\tCatagoryDescription\tText"},
                 {"From \"Catagory.db\""}, "PersonQuery",
                 {"Category Description (*)\tCatagoryDescription\tRequired\tText"}, "CatagoryDescription",
                 "Catagory.db"});
    f.push_back({EditorKind::SubCategory, "TSubCategoryForm", "Sub-Category", "Sub-Category Information",
                 [](DM& dm) -> data::Table& { return dm.SubCategoryTable; }, "SubCatagory.db", "SubCatagoryID",
                 "SubCatagoryDescription", "SubCatagoryComments", "SubCatagoryModifiedBy", "SubCatagoryModifiedDate",
                 {{"CatagoryID", "ID"}, {"CatDescription", "Category"}, {"SubCatagoryDescription", "Description"}},
                 2410, &S::CanAddSubCat, &S::CanEditSubCat, &S::CanDeleteSubCat, "Sub-Category",
                 "Are you sure you want to delete this Sub-Category?",
                 [](DM& dm, qint64 id) { dm.ClearSubCategoryInPictures(id); },
                 {"Sub-Category ID\t10\tSC.SubCatagoryID\tSubCatagoryID\tInteger",
                  "Description\t50\tSC.SubCatagoryDescription\tSubCatagoryDescription\tText",
                  "Category\t50\tC.CatagoryDescription\tCatagoryDescription\tText"},
                 {"From \"SubCatagory.db\" SC", "LEFT OUTER JOIN \"Catagory.db\" C", "ON (SC.CatagoryID = C.CatagoryID)"},
                 "PersonQuery", {}, {}, {}});
    f.push_back({EditorKind::Rating, "TRatingForm", "Ratings", "Rating Information",
                 [](DM& dm) -> data::Table& { return dm.RatingTable; }, "Rating.db", "RatingID", "RatingDescription",
                 "RatingComments", "RatingModifedBy", "RatingModifedDate",
                 {{"RatingID", "ID"}, {"RatingDescription", "Description"}}, 2010, &S::CanAddRating,
                 &S::CanEditRating, &S::CanDeleteRating, "Rating", "Are you sure you want to delete this Rating?",
                 nullptr,
                 {"Rating ID\t10\tRatingID\tRatingID\tInteger", "Description\t50\tRatingDescription\tRatingDescription\tText"},
                 {"From \"Rating.db\""}, "PersonQuery",
                 {"Rating Description (*)\tRatingDescription\tRequired\tText"}, "RatingDescription", "Rating.db"});
    f.push_back({EditorKind::PersonGroup, "TPersonGroupForm", "Person Group", "Person Group Information",
                 [](DM& dm) -> data::Table& { return dm.PersonGroupTable; }, "PersonGroup.DB", "PersonGroupID",
                 "PersonGroupDescription", "PersonGroupComments", "PersonGroupModifiedBy", "PersonGroupModifiedDate",
                 {{"PersonGroupID", "ID"}, {"PersonGroupDescription", "Description"}}, 2910, &S::CanAddGroup,
                 &S::CanEditGroup, &S::CanDeleteGroup, "Person Group",
                 "Are You Sure You Want To Delete This Person Group?", nullptr,
                 {"Person Group ID\t10\tPersonGroupID\tPersonGroupID\tInteger",
                  "Description\t50\tPersonGroupDescription\tPersonGroupDescription\tText"},
                 {"From \"PersonGroup.db\""}, "PersonGroupQuery",
                 {"Person Group Description (*)\tPersonGroupDescription\tRequired\tText"}, "PersonGroupDescription",
                 "PersonGroup.db"});
    f.push_back({EditorKind::Album, "TAlbumForm", "Albums", "Album Information",
                 [](DM& dm) -> data::Table& { return dm.AlbumTable; }, "Album.db", "AlbumID", "AlbumDescription",
                 "AlbumComments", "AlbumModifiedBy", "AlbumModifiedDate",
                 {{"AlbumID", "ID"}, {"AlbumDescription", "Description"}}, 2710, &S::CanAddAlbum, &S::CanEditAlbum,
                 &S::CanDeleteAlbum, "Albums", "Are you sure you want to delete this Album?",
                 [](DM& dm, qint64 id) {
                     dm.RemoveAlbumFromPictures(id);
                     dm.ClearSettingsDefault(data::SettingsDefault::Album, id);
                 },
                 {"Album ID\t10\tAlbumID\tAlbumID\tInteger", "Description\t50\tAlbumDescription\tAlbumDescription\tText",
                  "Index Template\t200\tAlbumIndexTemplate\tAlbumIndexTemplate\tText",
                  "Detail Template\t200\tAlbumDetailTemplate\tAlbumDetailTemplate\tText"},
                 {"From \"Album.db\""}, "PersonQuery",
                 {"Album Description (*)\tAlbumDescription\tRequired\tText",
                  "Index Template\tAlbumIndexTemplate\tNot Required\tText",
                  "Detail Template\tAlbumDetailTemplate\tNot Required\tText"},
                 "AlbumDescription", "Album.db"});
    f.push_back({EditorKind::MediaType, "TMediaTypeForm", "Media Type", "Media Information",
                 [](DM& dm) -> data::Table& { return dm.MediaTypeTable; }, "MediaType.db", "MediaTypeID",
                 "MediaTypeDescription", "MediaTypeComments", "MediaTypeModifedBy", "MediaTypeModifiedDate",
                 {{"MediaTypeID", "ID"}, {"MediaTypeDescription", "Description"}}, 2510, &S::CanAddMedia,
                 &S::CanEditMedia, &S::CanDeleteMedia, "Media Type", "Are you sure you want to delete this Media Type?",
                 [](DM& dm, qint64 id) {
                     dm.ClearMediaTypeInPictures(id);
                     dm.ClearMediaTypeInStorageLocations(id);
                     dm.ClearSettingsDefault(data::SettingsDefault::MediaType, id);
                 },
                 {"Media Type ID\t10\tMediaTypeID\tMediaTypeID\tInteger",
                  "Description\t50\tMediaTypeDescription\tMediaTypeDescription\tText",
                  "Show File Name\t10\tShowFileName\tShowFileName\tBoolean",
                  "Show Slide\t10\tShowSlide\tShowSlide\tBoolean",
                  "Show Picture\t10\tShowPicture\tShowPicture\tBoolean",
                  "Show Time Index\t10\tShowTimeIndex\tShowTimeIndex\tBoolean",
                  "Show Disc Label\t10\tShowDiscLabel\tShowDiscLabel\tBoolean",
                  "Show Page\t10\tShowPage\tShowPage\tBoolean",
                  "Removable Media\t10\tRemovableMedia\tRemovableMedia\tBoolean"},
                 {"From \"MediaType.db\""}, "PersonQuery",
                 {"Media Type Description (*)\tMediaTypeDescription\tRequired\tText",
                  "Show File Name\tShowFileName\tNot Required\tBoolean", "Show Slide\tShowSlide\tNot Required\tBoolean",
                  "Show Picture\tShowPicture\tNot Required\tBoolean",
                  "Show Time Index\tShowTimeIndex\tNot Required\tBoolean",
                  "Show Disc Label\tShowDiscLabel\tNot Required\tBoolean", "Show Page\tShowPage\tNot Required\tBoolean",
                  "Removable Media\tRemovableMedia\tNot Required\tBoolean"},
                 "MediaTypeDescription", "MediaType.db"});
    f.push_back({EditorKind::StorageLocation, "TStorageLocationForm", "Storage Location", "Storage Information",
                 [](DM& dm) -> data::Table& { return dm.StorageLocationTable; }, "StorageLocation.db",
                 "StorageLocationID", "StorageLocationDescriptio", "StorageLocationComments",
                 "StorageLocationModifiedBy", "StorageLocaitonModifiedDa",
                 {{"StorageLocationID", "ID"}, {"MediaTypeDescription", "Media Type"},
                  {"StorageLocationDescriptio", "Description"}},
                 2610, &S::CanAddStorageLoc, &S::CanEditStorageLoc, &S::CanDeleteStorageLoc, "Storage Location",
                 "Are you sure you want to delete this Storage Location?",
                 [](DM& dm, qint64 id) {
                     dm.ClearStorageLocationInPictures(id);
                     dm.ClearSettingsDefault(data::SettingsDefault::StorageLocation, id);
                 },
                 {"Storage Location ID\t10\tSL.StorageLocationID\tStorageLocationID\tInteger",
                  "Description\t50\tSL.StorageLocationDescriptio\tStorageLocationDescriptio\tText",
                  "Media Type\t50\tM.MediaTypeDescription\tMediaTypeDescription\tText",
                  "Directory\t50\tSL.Directory\tDirectory\tText", "Disc Label\t50\tSL.DiscLabel\tDiscLabel\tText",
                  "Tray\t50\tSL.Tray\tTray\tText", "Book\t50\tSL.Book\tBook\tText", "Shelve\t50\tSL.Shelve\tShelve\tText",
                  "Location Where Stored\t50\tSL.LocaitonWhereStored\tLocaitonWhereStored\tText"},
                 {"From \"StorageLocation.db\" SL", "LEFT OUTER JOIN \"MediaType.db\" M",
                  "ON (SL.MediaType = M.MediaTypeID)"},
                 "PersonQuery", {}, {}, {}});
    // The export names the group by its description under "Group"; the
    // import reads "Group" as the group's ID.
    f.push_back({.kind = EditorKind::Person,
                 .className = "TPersonForm",
                 .caption = "Person",
                 .groupCaption = "Detail",
                 .table = [](DM& dm) -> data::Table& { return dm.PersonTable; },
                 .fileName = "Person.db",
                 .idField = "PersonID",
                 .descriptionField = "PersonDescription",
                 .commentsField = "PersonComments",
                 .modifiedByField = "PersonModifiedBy",
                 .modifiedDateField = "PersonModifiedDate",
                 .gridColumns = {{"PersonID", "ID"},
                                 {"PersonDescription", "Name"},
                                 {"PersonGroupDescription", "Group"},
                                 {"HomePhone", "Home Phone"}},
                 .helpContext = 2310,
                 .addRight = &S::CanAddPerson,
                 .editRight = &S::CanEditPerson,
                 .deleteRight = &S::CanDeletePerson,
                 .positionKey = "Person",
                 .deleteQuestion = "Are you sure you want to delete this Person?",
                 .afterDelete =
                     [](DM& dm, qint64 id) {
                         dm.ClearPhotographerInPictures(id);
                         dm.RemovePersonFromPictures(id);
                         dm.ClearSettingsDefault(data::SettingsDefault::Photographer, id);
                     },
                 .exportSpecs = {"Person ID\t10\tPersonID\tPersonID\tInteger",
                                 "Name\t50\tPersonDescription\tPersonDescription\tText",
                                 "Birthday\t15\tBirthdate\tBirthdate\tDate",
                                 "Date Of Death\t15\tDeathDate\tDeathDate\tDate",
                                 "Person Preview Picture ID\t10\tPersonPicture\tPersonPicture\tInteger",
                                 "Group\t10\tPG.PersonGroupDescription\tPersonGroupDescription\tInteger",
                                 "Address Line 1\t40\tAddress1\tAddress1\tText",
                                 "Address Line 2\t40\tAddress2\tAddress2\tText",
                                 "City\t40\tCity\tCity\tText",
                                 "State\t40\tState\tState\tText",
                                 "Counrty\t40\tCountry\tCountry\tText",
                                 "Zip Code\t10\tZipCode\tZipCode\tText",
                                 "Home Phone\t14\tHomePhone\tHomePhone\tText",
                                 "Work Phone\t14\tWorkPhone\tWorkPhone\tText",
                                 "Cell Phone\t14\tCellPhone\tCellPhone\tText",
                                 "Email Address\t40\tEmail\tEmail\tText",
                                 "Web Page Address\t50\tWebPage\tWebPage\tText"},
                 .exportFromLines = {"From \"Person.db\" P", "LEFT OUTER JOIN \"PersonGroup.db\" PG",
                                     "ON (P.GroupType = PG.PersonGroupID)"},
                 .exportQuery = "PersonQuery",
                 .importSpecs = {"Name (*)\tPersonDescription\tRequired\tText",
                                 "Birthday\tBirthdate\tNot Required\tDate",
                                 "Group\tGroupType\tNot Required\tInteger",
                                 "Date Of Death\tDeathDate\tNot Required\tDate",
                                 "AddressLine 1\tAddress1\tNot Required\tText",
                                 "Address Line 2\tAddress2\tNot Required\tText",
                                 "City\tCity\tNot Required\tText",
                                 "State\tState\tNot Required\tText",
                                 "Country\tCountry\tNot Required\tText",
                                 "Zip Code\tZipCode\tNot Required\tText",
                                 "Home Phone\tHomePhone\tNot Required\tText",
                                 "Work Phone\tWorkPhone\tNot Required\tText",
                                 "Cell Phone\tCellPhone\tNot Required\tText",
                                 "Email Address\tEmail\tNot Required\tText",
                                 "Web Page Address\tWebPage\tNot Required\tText"},
                 .importKeyField = "PersonDescription",
                 .importTableFile = "Person.db",
                 .transfersDates = true});
    return f;
}

}  // namespace

const EditorFamily& editorFamily(EditorKind kind)
{
    static const std::vector<EditorFamily> families = makeFamilies();
    for (const EditorFamily& f : families)
        if (f.kind == kind)
            return f;
    return families.front();
}

}  // namespace kv::reference
