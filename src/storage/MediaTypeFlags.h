#pragma once

#include <QVariant>

#include <optional>
#include <vector>

namespace kv::data {
class Database;
}

namespace kv::storage {

// The flags of a media type (a Null flag counts as false).
struct MediaTypeFlags {
    bool ShowFileName = false;
    bool ShowSlide = false;
    bool ShowPicture = false;
    bool ShowPage = false;
    bool ShowTimeIndex = false;
    bool ShowDiscLabel = false;
    bool RemovableMedia = false;
};

// One flag: its field of MediaType, its check box caption, its member.
struct MediaTypeFlagDef {
    const char* field;
    const char* caption;
    bool MediaTypeFlags::*member;
};

// The seven flags in the order of their check boxes.
const std::vector<MediaTypeFlagDef>& mediaTypeFlagDefs();

// The fields a media type opens, on its storage locations and on its
// pictures. Fields it does not open are not used and are kept empty.
struct OpenFields {
    // storage location
    bool directory = true;  // Directory, its browse button, "Move" and "Scan"
    bool discLabel = true;
    bool tray = true;
    bool book = true;
    // picture
    bool fileName = true;
    bool slide = true;
    bool pageAndLocation = true;  // PageName and PictureLocation
    bool timeIndex = true;        // TimeIndex and TimeLength
};

OpenFields FieldsOpenedBy(const MediaTypeFlags& flags);

// The flags of the media type row with this ID; nothing when the ID is
// Null or names no row.
std::optional<MediaTypeFlags> ReadMediaTypeFlags(data::Database& db, const QVariant& mediaTypeId);

// The field rules of a media type: which fields its ID opens, read from
// that row's own flags; nothing ("unknown") when the ID is Null or names
// no row, in which case no field is to be closed or cleared.
std::optional<OpenFields> LocationFieldRules(data::Database& db, const QVariant& mediaTypeId);

}  // namespace kv::storage
