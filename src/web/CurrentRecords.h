#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace kv::web {

// The current records every template value comes from: one process-wide
// instance each, overwritten by each load. "None" for an ID is -1; dates
// are desktop dates (days since 12/30/1899, 0: no date). Comments are memo
// lines through MemoToHtml (no lines, or one line of HTML).

struct TPictureInfoData {
    qint64 PictureID = -1;
    QString Description;
    double DateTaken = 0.0;
    qint64 PlaceID = -1;
    qint64 CategoryID = -1;
    qint64 SubCategoryID = -1;
    qint64 PhotographerID = -1;
    qint64 RatingID = -1;
    qint64 MediaTypeID = -1;
    qint64 StorageLocationID = -1;
    qint64 RotateImage = 0;
    QString FileName;
    QString Slide;
    QString PageName;
    QString PictureLocation;
    QString TimeIndex;
    QString TimeLength;
    QStringList Comments;
    // Set by the page generator, kept by the load.
    QString NextLink;
    QString PreviousLink;
    // The image tags of the picture for index and detail pages.
    QString PreviewIndexTag;
    QString PreviewDetailTag;
};

// Place, category, sub-category, rating and media type share one shape.
struct TReferenceData {
    qint64 ID = -1;
    QString Description;
    QStringList Comments;
};
using TPlaceData = TReferenceData;
using TCategoryData = TReferenceData;
using TSubCategoryData = TReferenceData;
using TRatingData = TReferenceData;
using TMediaType = TReferenceData;

struct TStorageLocation {
    qint64 StorageLocationID = -1;
    QString Description;
    QString Directory;
    QString DiscLabel;
    QString Tray;
    QString Book;
    QString Shelve;
    QString LocationWhereStored;
    QStringList Comments;
};

struct TAlbum {
    qint64 AlbumID = -1;
    QString Name;
    QString IndexTemplate = QStringLiteral("Index.html");
    QString DetailTemplate = QStringLiteral("Detail.html");
    QStringList Comments;
};

struct TPersonData {
    qint64 PersonID = -1;
    QString Name;
    QString LastFirst;
    QString BirthSortKey;
    double Birthdate = 0.0;
    double DeathDate = 0.0;
    QString CurrentAge;
    QString AgeWhenTaken;
    QString AgeThisYear;
    // The person's default picture; -1 also when the user may not see it.
    qint64 PictureID = -1;
    QString PreviewIndexTag;
    QString PreviewDetailTag;
    QStringList Comments;
    QString GroupName;
    QString Address1;
    QString Address2;
    QString City;
    QString State;
    QString Country;
    QString ZipCode;
    QString HomePhone;
    QString WorkPhone;
    QString CellPhone;
    QString EmailLink;  // HTML
    QString Email;
    QString WebPageLink;  // HTML
    QString WebPage;
};

struct TCurrentRecords {
    TPictureInfoData Picture;
    TPlaceData Place;
    TCategoryData Category;
    TSubCategoryData SubCategory;
    TPersonData Photographer;
    TRatingData Rating;
    TMediaType MediaType;
    TStorageLocation StorageLocation;
    TAlbum Album;
    TPersonData Person;
    // The comments of the current picture-person link.
    QStringList PersonPictureComments;
};

TCurrentRecords& CurrentRecords();

// What a page generation collects and the texts its windows set.
struct TGenerationState {
    // Picture IDs as decimal text, sorted, without duplicates; "-1" stands
    // for the placeholder picture.
    QStringList NeededPreviews;
    // Person IDs as decimal text, sorted, without duplicates.
    QStringList PersonPages;
    // PersonPageLink registers people in PersonPages only while this is set.
    bool CollectPersonPages = false;
    QString AlbumReportText;
    QString BirthdayReportText;
    QString AddressReportText;
    // The clock of "%Today%", "%Time%", "%Year%" and of today's ages.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    // Whether the PersonTemplate file exists, asked once per run.
    std::optional<bool> PersonTemplateExists;
};

TGenerationState& Generation();

// Begins a generation run: NeededPreviews, PersonPages and what is kept for
// one run are cleared, so that nothing of an earlier site reaches this one.
// The generation values of the settings (PicturePreviewSize,
// PersonPreviewSize, IndexName) are left as they are.
void BeginGenerationRun();

// Adds an ID to NeededPreviews or PersonPages (sorted, once each).
void AddNeededPreview(qint64 pictureId);
void AddPersonPage(qint64 personId);

}  // namespace kv::web
