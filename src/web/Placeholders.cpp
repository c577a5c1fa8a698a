#include "web/Placeholders.h"

#include "common/DateText.h"
#include "common/TextHelpers.h"
#include "data/SystemInfo.h"
#include "web/CurrentRecords.h"
#include "web/PageLinks.h"
#include "web/ValueText.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace kv::web {

using common::DateTimeOrNotAvailable;
using data::TSystemInfo;

namespace {

// What a row's value is read from: the current records and, for the rows
// of the photographer and person groups, the person record of the group.
struct Source {
    const TCurrentRecords& records;
    const TPersonData& person;
};

using ValueOf = QString (*)(const Source&);

enum class Fill {
    Escaped,  // plain text: HTML-escaped
    Html,     // links, image tags, comments: as they are
};

struct Row {
    const char* placeholder;
    ValueOf value = nullptr;
    Fill fill = Fill::Escaped;
};

// The photographer group (B) and the person group (E) take the same rows
// from their own person record; a group without a name has no such row.
struct PersonRow {
    const char* photographer;
    const char* person;
    ValueOf value = nullptr;
    Fill fill = Fill::Escaped;
};

// The directives: a tag followed by digits (a box size) or by a file name.
// They are taken from the line as the template has it, before any value goes
// in, so a name stops where the template's text does ("%IndexName%=a.html%X%"
// takes a.html whatever %X% becomes) and no catalogue value is ever read as
// a directive.
struct Directive {
    const char* tag;
    qint64 TSystemInfo::*size = nullptr;
    QString TSystemInfo::*name = nullptr;
};

const Directive kDirectives[] = {
    {.tag = "%PicturePreviewSize%=", .size = &TSystemInfo::PicturePreviewSize},
    {.tag = "%IndexName%=", .name = &TSystemInfo::IndexName},
    {.tag = "%PersonPreviewSize%=", .size = &TSystemInfo::PersonPreviewSize},
};

QString id(qint64 value) { return QString::number(value); }
QString endTag(const Source&) { return QStringLiteral("</A>"); }

// Group A: the current picture.
const Row kPictureRows[] = {
    {.placeholder = "%PictureID%", .value = [](const Source& s) { return id(s.records.Picture.PictureID); }},
    {.placeholder = "%PictureDescription%", .value = [](const Source& s) { return s.records.Picture.Description; }},
    {.placeholder = "%PictureDateTaken%",
     .value = [](const Source& s) { return DateTimeOrNotAvailable(s.records.Picture.DateTaken); }},
    {.placeholder = "%PicturePlace%", .value = [](const Source& s) { return s.records.Place.Description; }},
    {.placeholder = "%PictureCategory%", .value = [](const Source& s) { return s.records.Category.Description; }},
    {.placeholder = "%PictureSub-Category%",
     .value = [](const Source& s) { return s.records.SubCategory.Description; }},
    {.placeholder = "%PicturePhotographer%", .value = [](const Source& s) { return s.records.Photographer.Name; }},
    {.placeholder = "%PictureRating%", .value = [](const Source& s) { return s.records.Rating.Description; }},
    {.placeholder = "%PictureMediaType%", .value = [](const Source& s) { return s.records.MediaType.Description; }},
    {.placeholder = "%PictureStorageLocation%",
     .value = [](const Source& s) { return s.records.StorageLocation.Description; }},
    {.placeholder = "%PictureFileName%", .value = [](const Source& s) { return s.records.Picture.FileName; }},
    {.placeholder = "%PictureSlide%", .value = [](const Source& s) { return s.records.Picture.Slide; }},
    {.placeholder = "%PicturePage%", .value = [](const Source& s) { return s.records.Picture.PageName; }},
    {.placeholder = "%PictureTimeIndex%", .value = [](const Source& s) { return s.records.Picture.TimeIndex; }},
    {.placeholder = "%PictureLength%", .value = [](const Source& s) { return s.records.Picture.TimeLength; }},
    {.placeholder = "%PictureComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.Picture.Comments); },
     .fill = Fill::Html},
    {.placeholder = "%PicturePreviewIndex%",
     .value = [](const Source& s) { return s.records.Picture.PreviewIndexTag; },
     .fill = Fill::Html},
    {.placeholder = "%PicturePreviewDetail%",
     .value = [](const Source& s) { return s.records.Picture.PreviewDetailTag; },
     .fill = Fill::Html},
    {.placeholder = "%PicturePreviewHyperLinkStartDetail%",
     .value = [](const Source& s) { return PreviewLink(false, s.records.Picture.PictureID); },
     .fill = Fill::Html},
    {.placeholder = "%PicturePreviewHyperLinkEndDetail%", .value = endTag, .fill = Fill::Html},
    {.placeholder = "%PicturePreviewHyperLinkStartIndex%",
     .value = [](const Source& s) { return PreviewLink(true, s.records.Picture.PictureID); },
     .fill = Fill::Html},
    {.placeholder = "%PicturePreviewHyperLinkEndIndex%", .value = endTag, .fill = Fill::Html},
    {.placeholder = "%PictureDetailHyperlinkStart%",
     .value = [](const Source& s) { return PictureDetailLink(s.records.Picture.PictureID); },
     .fill = Fill::Html},
    {.placeholder = "%PictureDetailHyperlinkEnd%", .value = endTag, .fill = Fill::Html},
    {.placeholder = "%PlaceComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.Place.Comments); },
     .fill = Fill::Html},
    {.placeholder = "%CategoryComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.Category.Comments); },
     .fill = Fill::Html},
    {.placeholder = "%Sub-CategoryComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.SubCategory.Comments); },
     .fill = Fill::Html},
};

// Groups B and E, in group B's order. Only the two image-tag rows register
// a preview for copying.
const PersonRow kPersonRows[] = {
    {"%PhotographerID%", "%PersonID%", [](const Source& s) { return id(s.person.PersonID); }},
    {"%PhotographerLastNameFirstName%", "%PersonLastNameFirstName%",
     [](const Source& s) { return s.person.LastFirst; }},
    {nullptr, "%PersonFirstLetterOfLastName%", [](const Source& s) { return s.person.LastFirst.left(1).toUpper(); }},
    {nullptr, "%PersonName%", [](const Source& s) { return s.person.Name; }},
    {"%PhotographerComments%", "%PersonComments%", [](const Source& s) { return CommentsValue(s.person.Comments); },
     Fill::Html},
    {"%PhotographerBirthday%", "%PersonBirthday%",
     [](const Source& s) { return DateTimeOrNotAvailable(s.person.Birthdate); }},
    {nullptr, "%PersonBirthMonthShort%",
     [](const Source& s) { return common::ShortMonthName(common::DesktopDate(s.person.Birthdate)); }},
    {nullptr, "%PersonBirthMonthLong%",
     [](const Source& s) { return common::MonthName(common::DesktopDate(s.person.Birthdate)); }},
    {"%PhotographerDeceased%", "%PersonDeceased%",
     [](const Source& s) { return DateTimeOrNotAvailable(s.person.DeathDate); }},
    {"%PhotographerPicturePreviewID%", "%PersonPicturePreviewID%", [](const Source& s) { return id(s.person.PictureID); }},
    {"%PhotographerCurrentAge%", "%PersonCurrentAge%", [](const Source& s) { return s.person.CurrentAge; }},
    {"%PhotographerAgeWhenTaken%", "%PersonAgeWhenTaken%", [](const Source& s) { return s.person.AgeWhenTaken; }},
    {"%PhotographerAgeThisYear%", "%PersonAgeThisYear%", [](const Source& s) { return s.person.AgeThisYear; }},
    {"%PhotographerGroup%", "%PersonGroup%", [](const Source& s) { return s.person.GroupName; }},
    {"%PhotographerAddress1%", "%PersonAddress1%", [](const Source& s) { return s.person.Address1; }},
    {"%PhotographerAddress2%", "%PersonAddress2%", [](const Source& s) { return s.person.Address2; }},
    {"%PhotographerCity%", "%PersonCity%", [](const Source& s) { return s.person.City; }},
    {"%PhotographerCounrty%", "%PersonCountry%", [](const Source& s) { return s.person.Country; }},
    {"%PhotographerState%", "%PersonState%", [](const Source& s) { return s.person.State; }},
    {"%PhotographerZipCode%", "%PersonZipCode%", [](const Source& s) { return s.person.ZipCode; }},
    {"%PhotographerHomePhone%", "%PersonHomePhone%", [](const Source& s) { return s.person.HomePhone; }},
    {"%PhotographerWorkPhone%", "%PersonWorkPhone%", [](const Source& s) { return s.person.WorkPhone; }},
    {"%PhotographerCellPhone%", "%PersonCellPhone%", [](const Source& s) { return s.person.CellPhone; }},
    {"%PhotographerEMailAddress%", "%PersonEMailAddress%", [](const Source& s) { return s.person.EmailLink; },
     Fill::Html},
    {"%PhotographerWebPageAddress%", "%PersonWebPageAddress%", [](const Source& s) { return s.person.WebPageLink; },
     Fill::Html},
    {"%PhotographerDetailPageHyperLinkStartIndex%", "%PersonDetailPageHyperLinkStartIndex%",
     [](const Source& s) { return PersonPageLink(true, s.person.PersonID); }, Fill::Html},
    {"%PhotographerDetailPageHyperLinkEndIndex%", "%PersonDetailPageHyperLinkEndIndex%",
     [](const Source&) { return PersonPageLinkEnd(); }, Fill::Html},
    {"%PhotographerDetailPageHyperLinkStartDetail%", "%PersonDetailPageHyperLinkStartDetail%",
     [](const Source& s) { return PersonPageLink(false, s.person.PersonID); }, Fill::Html},
    {"%PhotographerDetailPageHyperLinkEndDetailk%", "%PersonDetailPageHyperLinkEndDetail%",
     [](const Source&) { return PersonPageLinkEnd(); }, Fill::Html},
    {"%PhotographerPreviewHyperLinkStartIndex%", "%PersonPreviewHyperLinkStartIndex%",
     [](const Source& s) { return PreviewLink(true, s.person.PictureID); }, Fill::Html},
    {"%PhotographerPreviewHyperLinkEndIndex%", "%PersonPreviewHyperLinkEndIndex%", endTag, Fill::Html},
    {"%PhotographerPreviewHyperLinkStartDetail%", "%PersonPreviewHyperLinkStartDetail%",
     [](const Source& s) { return PreviewLink(false, s.person.PictureID); }, Fill::Html},
    {"%PhotographerPreviewHyperLinkEndDetail%", "%PersonPreviewHyperLinkEndDetail%", endTag, Fill::Html},
    {"%PhotographerPreviewIndex%", "%PersonPreviewIndex%",
     [](const Source& s) {
         AddNeededPreview(s.person.PictureID);
         return s.person.PreviewIndexTag;
     },
     Fill::Html},
    {"%PhotographerPreviewDetail%", "%PersonPreviewDetail%",
     [](const Source& s) {
         AddNeededPreview(s.person.PictureID);
         return s.person.PreviewDetailTag;
     },
     Fill::Html},
    {nullptr, "%PersonPictureComments%",
     [](const Source& s) { return CommentsValue(s.records.PersonPictureComments); }, Fill::Html},
};

// Group C: rating, media type and storage location.
const Row kStorageRows[] = {
    {.placeholder = "%RatingComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.Rating.Comments); },
     .fill = Fill::Html},
    {.placeholder = "%MediaTypeComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.MediaType.Comments); },
     .fill = Fill::Html},
    {.placeholder = "%StorageLocationDirectory%",
     .value = [](const Source& s) { return s.records.StorageLocation.Directory; }},
    {.placeholder = "%StorageLocationDiscLabel%",
     .value = [](const Source& s) { return s.records.StorageLocation.DiscLabel; }},
    {.placeholder = "%StorageLocationTray%", .value = [](const Source& s) { return s.records.StorageLocation.Tray; }},
    {.placeholder = "%StorageLocationBook%", .value = [](const Source& s) { return s.records.StorageLocation.Book; }},
    {.placeholder = "%StorageLocationShelve%",
     .value = [](const Source& s) { return s.records.StorageLocation.Shelve; }},
    {.placeholder = "%StorageLocationLocationWhereStored%",
     .value = [](const Source& s) { return s.records.StorageLocation.LocationWhereStored; }},
    {.placeholder = "%StorageLocationComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.StorageLocation.Comments); },
     .fill = Fill::Html},
};

// Group D: the page.
const Row kPageRows[] = {
    {.placeholder = "%Today%", .value = [](const Source&) { return common::ShortDateText(Generation().Now().date()); }},
    {.placeholder = "%Time%", .value = [](const Source&) { return common::LongTimeText(Generation().Now().time()); }},
    {.placeholder = "%Year%",
     .value = [](const Source&) { return QStringLiteral("%1").arg(Generation().Now().date().year(), 4, 10, QLatin1Char('0')); }},
    {.placeholder = "%IndexHyperLinkEnd%", .value = endTag, .fill = Fill::Html},
    {.placeholder = "%IndexHyperlinkStart%", .value = [](const Source&) { return IndexLink(); }, .fill = Fill::Html},
    {.placeholder = "%NextPictureHyperLinkStart%",
     .value = [](const Source& s) { return s.records.Picture.NextLink; },
     .fill = Fill::Html},
    {.placeholder = "%NextPictureHyperLinkEnd%", .value = endTag, .fill = Fill::Html},
    {.placeholder = "%PreviousPictureHyperLinkStart%",
     .value = [](const Source& s) { return s.records.Picture.PreviousLink; },
     .fill = Fill::Html},
    {.placeholder = "%PreviousPictureHyperLinkEnd%", .value = endTag, .fill = Fill::Html},
    {.placeholder = "%BirthdayReport%", .value = [](const Source&) { return Generation().BirthdayReportText; }},
    {.placeholder = "%AddressReport%", .value = [](const Source&) { return Generation().AddressReportText; }},
    {.placeholder = "%AlbumReport%", .value = [](const Source&) { return Generation().AlbumReportText; }},
};

// Group F: the current album.
const Row kAlbumRows[] = {
    {.placeholder = "%AlbumName%", .value = [](const Source& s) { return s.records.Album.Name; }},
    {.placeholder = "%AlbumIndexTemplate%", .value = [](const Source& s) { return s.records.Album.IndexTemplate; }},
    {.placeholder = "%AlbumDetailTemplate%", .value = [](const Source& s) { return s.records.Album.DetailTemplate; }},
    {.placeholder = "%AlbumComments%",
     .value = [](const Source& s) { return CommentsValue(s.records.Album.Comments); },
     .fill = Fill::Html},
};

// A row as the substitution runs it, with the person record it reads.
struct Step {
    QString placeholder;
    QString upperPlaceholder;
    const Row* row;
    TPersonData TCurrentRecords::*person;
};

struct Steps {
    std::vector<Row> personRows;  // groups B and E as rows
    std::vector<Step> steps;
};

// Every row in substitution order: A, B, C, D, E, F.
const std::vector<Step>& substitutionSteps()
{
    static const Steps all = [] {
        Steps s;
        auto personGroup = [](const char* PersonRow::*name) {
            std::vector<Row> rows;
            for (const PersonRow& p : kPersonRows)
                if (p.*name)
                    rows.push_back({.placeholder = p.*name, .value = p.value, .fill = p.fill});
            return rows;
        };
        const std::vector<Row> photographer = personGroup(&PersonRow::photographer);
        std::vector<Row> person = personGroup(&PersonRow::person);
        // Group E shows the person's preview ID before the death date.
        auto at = [&person](const char* placeholder) {
            return std::find_if(person.begin(), person.end(),
                                [placeholder](const Row& r) { return qstrcmp(r.placeholder, placeholder) == 0; });
        };
        std::rotate(at("%PersonDeceased%"), at("%PersonPicturePreviewID%"), at("%PersonPicturePreviewID%") + 1);

        s.personRows.reserve(photographer.size() + person.size());
        s.personRows.insert(s.personRows.end(), photographer.begin(), photographer.end());
        s.personRows.insert(s.personRows.end(), person.begin(), person.end());
        const Row* photographerRows = s.personRows.data();
        const Row* personRows = photographerRows + photographer.size();

        auto add = [&s](const Row* first, const Row* last, TPersonData TCurrentRecords::*record) {
            for (const Row* r = first; r != last; ++r)
                s.steps.push_back({QString::fromLatin1(r->placeholder), QString::fromLatin1(r->placeholder).toUpper(),
                                   r, record});
        };
        add(std::begin(kPictureRows), std::end(kPictureRows), nullptr);
        add(photographerRows, personRows, &TCurrentRecords::Photographer);
        add(std::begin(kStorageRows), std::end(kStorageRows), nullptr);
        add(std::begin(kPageRows), std::end(kPageRows), nullptr);
        add(personRows, personRows + person.size(), &TCurrentRecords::Person);
        add(std::begin(kAlbumRows), std::end(kAlbumRows), nullptr);
        return s;
    }();
    return all.steps;
}

// A box size from a directive: 1 to the largest int, else no change.
void takeSize(QString& line, const QString& tag, qint64& target)
{
    qint64 size = 0;
    if (common::TakeNumberTag(line, tag, size) && size >= 1 && size <= std::numeric_limits<int>::max())
        target = size;
}

void takeDirectives(QString& line)
{
    static const std::vector<QString> tags = [] {
        std::vector<QString> t;
        for (const Directive& d : kDirectives)
            t.push_back(QString::fromLatin1(d.tag));
        return t;
    }();
    TSystemInfo& info = data::SystemInfo();
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (!line.contains(tags[i], Qt::CaseInsensitive))
            continue;
        const Directive& d = kDirectives[i];
        if (d.size)
            takeSize(line, tags[i], info.*d.size);
        else
            common::TakeNameTag(line, tags[i], info.*d.name);
    }
}

}  // namespace

void SubstitutePlaceholders(QString& line)
{
    if (!line.contains(QLatin1Char('%')))
        return;
    takeDirectives(line);
    const TCurrentRecords& records = CurrentRecords();
    // The line upper-cased, made again after each replacement, answers
    // quickly for the many rows whose placeholder it does not hold.
    QString upper = line.toUpper();
    for (const Step& step : substitutionSteps()) {
        // Each row works on the line as it stands; its value is made only
        // when the line holds its placeholder (some rows register).
        if (!upper.contains(step.upperPlaceholder) || !line.contains(step.placeholder, Qt::CaseInsensitive))
            continue;
        const Row& row = *step.row;
        const Source source{records, step.person ? records.*step.person : records.Person};
        const QString value = row.value(source);
        common::ReplaceAllText(line, step.placeholder, row.fill == Fill::Escaped ? value.toHtmlEscaped() : value);
        upper = line.toUpper();
    }
}

}  // namespace kv::web
