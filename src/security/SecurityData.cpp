#include "security/SecurityData.h"

#include "data/ProgramDataForm.h"

namespace kv::security {

TSecurityData& SecurityData()
{
    static TSecurityData rights;
    return rights;
}

bool* TSecurityData::right(const QString& field)
{
#define KV_RIGHT_LOOKUP(name, caption)                                                                         \
    if (field.compare(QLatin1String(#name), Qt::CaseInsensitive) == 0)                                         \
        return &name;
    KV_SECURITY_RIGHTS(KV_RIGHT_LOOKUP)
#undef KV_RIGHT_LOOKUP
    if (field.compare(QLatin1String("Supervisor"), Qt::CaseInsensitive) == 0)
        return &Supervisor;
    if (field.compare(QLatin1String("EnforceRating"), Qt::CaseInsensitive) == 0)
        return &EnforceRating;
    return nullptr;
}

const std::vector<RightInfo>& rightsList()
{
    static const std::vector<RightInfo> list = {
#define KV_RIGHT_INFO(name, caption) {#name, caption},
        KV_SECURITY_RIGHTS(KV_RIGHT_INFO)
#undef KV_RIGHT_INFO
    };
    return list;
}

void ReduceToViewingRights(TSecurityData& r)
{
    for (bool* right : {&r.CanModifySettings, &r.CanAddUsers, &r.CanPackDatabase, &r.CanAddPicture, &r.CanEditPicture,
                        &r.CanDeletePicture, &r.CanAddPlace, &r.CanEditPlace, &r.CanDeletePlace, &r.CanAddPerson,
                        &r.CanEditPerson, &r.CanDeletePerson, &r.CanAddCatatory, &r.CanEditCatagory,
                        &r.CanDeleteCatagory, &r.CanAddSubCat, &r.CanEditSubCat, &r.CanDeleteSubCat,
                        &r.CanAddRating, &r.CanEditRating, &r.CanDeleteRating, &r.CanAddMedia, &r.CanEditMedia,
                        &r.CanDeleteMedia, &r.CanAddStorageLoc, &r.CanEditStorageLoc, &r.CanDeleteStorageLoc,
                        &r.CanAddAlbum, &r.CanEditAlbum, &r.CanDeleteAlbum, &r.CanAddGroup, &r.CanEditGroup,
                        &r.CanDeleteGroup, &r.CanMoveLocations, &r.CanSaveSearch, &r.CanEditSearch,
                        &r.CanDeleteSearch, &r.CanImport})
        *right = false;
    r.ViewingOnly = true;
}

void LoadRights(data::TProgramDataForm& dm, qint64 securityId, bool databaseReadOnly, TSecurityData& rights)
{
    rights = TSecurityData();
    rights.SecurityID = securityId;
    data::Query& q = dm.SecurityQuery;
    q.close();
    q.clearSql();
    // The ID goes in double quotes; the catalogue compares it with the
    // integer key by value.
    q.addLine(QStringLiteral("Select * From \"Security.db\" Where SecurityID = \"") + QString::number(securityId)
              + QStringLiteral("\""));
    q.prepare();
    q.open();
    if (!q.isEmpty()) {
        rights.SecurityDescription = data::readText(q, QStringLiteral("SecurityDescription"), QStringLiteral("Undefined"));
        rights.Supervisor = data::readBool(q, QStringLiteral("Supervisor"), false);
        for (const RightInfo& info : rightsList())
            *rights.right(QString::fromLatin1(info.field)) = data::readBool(q, QString::fromLatin1(info.field), false);
        rights.EnforceRating = data::readBool(q, QStringLiteral("EnforceRating"), true);
    }
    q.close();
    q.unprepare();
    if (databaseReadOnly)
        ReduceToViewingRights(rights);
}

void LoadRights(data::TProgramDataForm& dm, qint64 securityId, bool databaseReadOnly)
{
    LoadRights(dm, securityId, databaseReadOnly, SecurityData());
}

SecurityFormControls securityFormControls(qint64 loggedOnProfile, qint64 shownProfile, const TSecurityData& rights)
{
    SecurityFormControls c;
    if (loggedOnProfile != kAdministratorProfile || rights.ViewingOnly)
        return c;  // other users may only look, and so may everyone on a read-only catalogue
    c.insert = true;
    if (shownProfile == kAdministratorProfile || shownProfile < 0)
        return c;
    c.save = c.remove = c.description = c.rights = true;
    return c;
}

SetupUsersControls setupUsersControls(const TSecurityData& rights, bool builtInUser)
{
    const bool change = rights.CanAddUsers;
    return {
        .userInsert = change,
        .userSave = change,
        .userDelete = change && !builtInUser,
        .userFields = change,
        .security = change && !builtInUser,
        .ratings = change,
    };
}

}  // namespace kv::security
