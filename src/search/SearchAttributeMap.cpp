#include "search/SearchAttributeMap.h"

#include "data/ProgramDataForm.h"

namespace kv::search {

namespace {

struct Row {
    const char* label;
    data::DataSource data::TProgramDataForm::*source;
    const char* shownFields;
    const char* keyField;
    const char* tableFile;
    const char* prefix;
    const char* pictureField;
};

using DM = data::TProgramDataForm;

constexpr Row kRows[] = {
    {"Place", &DM::PlaceSource, "PlaceDescription", "PlaceID", "Place.db", "PI.", "PlaceID"},
    {"Category", &DM::CategorySource, "CatagoryDescription", "CatagoryID", "Catagory.db", "PI.", "CatagoryID"},
    {"Photographer", &DM::PersonSource, "PersonDescription", "PersonID", "Person.db", "PI.", "PhotograherID"},
    {"Rating", &DM::RatingSource, "RatingDescription", "RatingID", "Rating.db", "PI.", "RatingID"},
    {"Media Type", &DM::MeditaTypeSource, "MediaTypeDescription", "MediaTypeID", "MediaType.db", "PI.",
     "MediaTypeID"},
    {"Person", &DM::PersonSource, "PersonDescription", "PersonID", "Person.db", "PP.", "PersonID"},
    {"Album", &DM::AlbumSource, "AlbumDescription", "AlbumID", "Album.db", "AL.", "AlbumID"},
    {"Sub-Category", &DM::SubCategorySource, "SubCatagoryDescription;CatDescription", "SubCatagoryID",
     "SubCatagory.db", "PI.", "SubCatagoryID"},
    {"Storage Location", &DM::StorageLocationSource, "StorageLocationDescriptio;MediaTypeDescription",
     "StorageLocationID", "StorageLocation.db", "PI.", "StorageLocationID"},
};

}  // namespace

std::optional<SearchAttribute> SearchAttributeMap(data::TProgramDataForm& dm, const QString& label)
{
    for (const Row& r : kRows) {
        if (label != QLatin1String(r.label))
            continue;
        return SearchAttribute{&(dm.*r.source),
                               QString::fromLatin1(r.shownFields),
                               QString::fromLatin1(r.keyField),
                               QString::fromLatin1(r.tableFile),
                               QString::fromLatin1(r.prefix),
                               QString::fromLatin1(r.pictureField)};
    }
    return std::nullopt;
}

}  // namespace kv::search
