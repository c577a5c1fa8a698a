#include "storage/MediaTypeFlags.h"

#include "data/FieldValue.h"
#include "data/Query.h"

namespace kv::storage {

const std::vector<MediaTypeFlagDef>& mediaTypeFlagDefs()
{
    using F = MediaTypeFlags;
    static const std::vector<MediaTypeFlagDef> defs = {
        {.field = "ShowFileName", .caption = "Show File Name", .member = &F::ShowFileName},
        {.field = "ShowSlide", .caption = "Show Slide", .member = &F::ShowSlide},
        {.field = "ShowPicture", .caption = "Show Picture", .member = &F::ShowPicture},
        {.field = "ShowPage", .caption = "Show Page", .member = &F::ShowPage},
        {.field = "ShowTimeIndex", .caption = "Show Time Index", .member = &F::ShowTimeIndex},
        {.field = "ShowDiscLabel", .caption = "Show Disc Label", .member = &F::ShowDiscLabel},
        {.field = "RemovableMedia", .caption = "Removable Media", .member = &F::RemovableMedia},
    };
    return defs;
}

OpenFields FieldsOpenedBy(const MediaTypeFlags& f)
{
    return {
        .directory = f.ShowFileName,
        .discLabel = f.ShowDiscLabel,
        .tray = f.ShowSlide,
        .book = f.ShowPage || f.ShowPicture,
        .fileName = f.ShowFileName,
        .slide = f.ShowSlide,
        .pageAndLocation = f.ShowPage || f.ShowPicture,
        .timeIndex = f.ShowTimeIndex,
    };
}

std::optional<MediaTypeFlags> ReadMediaTypeFlags(data::Database& db, const QVariant& mediaTypeId)
{
    const qint64 id = data::valueInteger(mediaTypeId, -1);
    if (id < 0)
        return std::nullopt;
    data::Query query(&db);
    QString select;
    for (const MediaTypeFlagDef& d : mediaTypeFlagDefs())
        select += (select.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromLatin1(d.field);
    query.addLine(QStringLiteral("Select ") + select);
    query.addLine(QStringLiteral("From \"MediaType.db\""));
    query.addLine(QStringLiteral("Where MediaTypeID = ") + QString::number(id));
    query.open();
    if (query.isEmpty())
        return std::nullopt;
    MediaTypeFlags flags;
    for (const MediaTypeFlagDef& d : mediaTypeFlagDefs())
        flags.*d.member = data::readBool(query, QString::fromLatin1(d.field));
    return flags;
}

std::optional<OpenFields> LocationFieldRules(data::Database& db, const QVariant& mediaTypeId)
{
    const std::optional<MediaTypeFlags> flags = ReadMediaTypeFlags(db, mediaTypeId);
    if (!flags)
        return std::nullopt;
    return FieldsOpenedBy(*flags);
}

}  // namespace kv::storage
