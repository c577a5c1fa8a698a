#pragma once

#include <QString>

#include <vector>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::security {

// Every right of a security profile: its Security field and the caption of
// its check box in the Security window, in the window's order.
#define KV_SECURITY_RIGHTS(X)                                   \
    X(CanModifySettings, "Change System Settings")              \
    X(CanViewSettings, "View Settings")                         \
    X(CanAddUsers, "Modify Users")                              \
    X(CanPackDatabase, "Pack Database")                         \
    X(CanViewSecurity, "View Security")                         \
    X(CanAddPicture, "Add Picture")                             \
    X(CanEditPicture, "Edit Picture")                           \
    X(CanDeletePicture, "Delete Picture")                       \
    X(CanCopyPictures, "Copy Pictures")                         \
    X(CanAddPlace, "Add Place")                                 \
    X(CanEditPlace, "Edit Place")                               \
    X(CanDeletePlace, "Delete Place")                           \
    X(CanAddPerson, "Add Person")                               \
    X(CanEditPerson, "Edit Person")                             \
    X(CanDeletePerson, "Delete Person")                         \
    X(CanAddCatatory, "Add Category")                           \
    X(CanEditCatagory, "Edit Catetory")                         \
    X(CanDeleteCatagory, "Delete Category")                     \
    X(CanAddSubCat, "Add Sub Category")                         \
    X(CanEditSubCat, "Edit Sub Category")                       \
    X(CanDeleteSubCat, "Delete Sub Category")                   \
    X(CanAddRating, "Add Rating")                               \
    X(CanEditRating, "Edit Rating")                             \
    X(CanDeleteRating, "Delete Rating")                         \
    X(CanAddMedia, "Add Media")                                 \
    X(CanEditMedia, "Edit Media")                               \
    X(CanDeleteMedia, "Delete Media")                           \
    X(CanAddStorageLoc, "Add Storage Location")                 \
    X(CanEditStorageLoc, "Edit Storage Location")               \
    X(CanDeleteStorageLoc, "Delete Storage Location")           \
    X(CanMoveLocations, "Move Location")                        \
    X(CanViewModified, "View Modified")                         \
    X(CanAddAlbum, "Add Album")                                 \
    X(CanEditAlbum, "Edit Album")                               \
    X(CanDeleteAlbum, "Delete Album")                           \
    X(CanSaveSearch, "Save Searches")                           \
    X(CanEditSearch, "Edit Searches")                           \
    X(CanDeleteSearch, "Delete Searches")                       \
    X(CanImport, "Can Import")                                  \
    X(CanExport, "Can Export")                                  \
    X(CanUploadHTML, "Can Upload HTML")                         \
    X(CanAddGroup, "Add Person Group")                          \
    X(CanEditGroup, "Edit Person Group")                        \
    X(CanDeleteGroup, "Delete Person Group")

// The logged-on user's rights, loaded at logon from his profile.
struct TSecurityData {
    qint64 SecurityID = -1;
    QString SecurityDescription = QStringLiteral("Undefined");
    bool Supervisor = false;
    bool EnforceRating = true;
    // Set by the read-only reduction: nothing in the catalogue may change.
    // Windows whose changes no single right governs (the profiles, say)
    // offer viewing only.
    bool ViewingOnly = false;
#define KV_RIGHT_MEMBER(name, caption) bool name = false;
    KV_SECURITY_RIGHTS(KV_RIGHT_MEMBER)
#undef KV_RIGHT_MEMBER

    // A right by its field name; nullptr when there is none of that name.
    bool* right(const QString& field);
};

TSecurityData& SecurityData();

struct RightInfo {
    const char* field;
    const char* caption;
};
// Every right in the window's order ("Supervisor" and "Enforce Rating
// Restrictions" are not among them).
const std::vector<RightInfo>& rightsList();

// The built-in administrator profile.
inline constexpr qint64 kAdministratorProfile = 1;

// Fills the record from the profile's Security row; defaults when there is
// none. On a read-only catalogue only the viewing rights remain.
void LoadRights(data::TProgramDataForm& dm, qint64 securityId, bool databaseReadOnly, TSecurityData& rights);
void LoadRights(data::TProgramDataForm& dm, qint64 securityId, bool databaseReadOnly);

// The read-only reduction, the one place it is made: clears every right
// that changes the catalogue and marks the record ViewingOnly.
void ReduceToViewingRights(TSecurityData& rights);

// Which controls of the Security window are enabled, for the logged-on
// user's profile and the profile shown; none after the read-only reduction.
struct SecurityFormControls {
    bool insert = false;
    bool save = false;
    bool remove = false;
    bool description = false;
    bool rights = false;  // every check box but "Supervisor"
};
SecurityFormControls securityFormControls(qint64 loggedOnProfile, qint64 shownProfile, const TSecurityData& rights);

// Which controls of the User Setup window change something. The window is
// governed by CanAddUsers; the built-in first user keeps his profile and
// cannot be deleted.
struct SetupUsersControls {
    bool userInsert = false;
    bool userSave = false;
    bool userDelete = false;
    bool userFields = false;  // login name, password, full name
    bool security = false;    // the profile drop-down
    bool ratings = false;     // the rating drop-down, its pick button, Insert, Save, Delete
};
SetupUsersControls setupUsersControls(const TSecurityData& rights, bool builtInUser);

}  // namespace kv::security
