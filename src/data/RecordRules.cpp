// The record rules every post obeys, whatever window posts: checks with
// fixed messages, stamps, the comments copy, defaults of new link rows,
// category and media type propagation, and the record filters.
#include "data/ProgramDataForm.h"

#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/FieldValue.h"
#include "data/LoginData.h"
#include "data/StatusNotice.h"

#include <QDateTime>

namespace kv::data {

namespace {

// A failed check's message. Each is followed by "\r" in the collected text
// unless it ends with one already or says otherwise.
struct Failure {
    QString message;
    bool lineBreak = true;
};

using Check = std::function<std::vector<Failure>(Table&)>;

bool isEmptyField(const Table& t, const QString& field)
{
    const QVariant v = t.fieldValue(field);
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

// Conditions of the form "field empty gives message", in order.
Check emptyChecks(std::vector<std::pair<QString, QString>> fields, bool lineBreak = true)
{
    return [fields = std::move(fields), lineBreak](Table& t) {
        std::vector<Failure> out;
        for (const auto& [field, message] : fields)
            if (isEmptyField(t, field))
                out.push_back({message, lineBreak});
        return out;
    };
}

QString collected(const std::vector<Failure>& failures)
{
    QString text;
    for (const Failure& f : failures) {
        text += f.message;
        if (f.lineBreak && !f.message.endsWith(QLatin1Char('\r')))
            text += QLatin1Char('\r');
    }
    return text;
}

// Contains: a case-insensitive substring test on upper-cased text; an empty
// find text is contained in nothing.
bool containsFind(const Table& t, const QString& field, const QString& findText)
{
    if (findText.isEmpty())
        return false;
    const QVariant v = t.fieldValue(field);
    if (!v.isValid() || v.isNull())
        return false;
    return valueText(v).toUpper().contains(findText);
}

constexpr const char* kDuplicatePicture = "This picture already exists in the database!";

QString fileExtensionCleaned(QString text)
{
    for (QChar c : QStringLiteral(".*?-></\\+=()%,&"))
        text.remove(c);
    return text;
}

}  // namespace

void TProgramDataForm::installRecordRules()
{
    auto pictureIsDuplicate = [this](Table& t) {
        return PictureFileExists(readText(t, QStringLiteral("FileName")), readInteger(t, QStringLiteral("StorageLocationID")),
                                 readInteger(t, QStringLiteral("PictureID")));
    };
    struct Rule {
        Table* table;
        Check check;
        bool gated;
        const char* modifiedBy;
        const char* modifiedDate;
        const char* comments;      // nullptr: no comments copy
        const char* commentsChar;
    };

    const Check storageLocation = [](Table& t) {
        std::vector<Failure> out;
        if (t.isNull(QStringLiteral("MediaType")))
            out.push_back({QStringLiteral("Please Select A Media Type!")});
        if (isEmptyField(t, QStringLiteral("StorageLocationDescriptio")))
            out.push_back({QStringLiteral("Please Enter A Description For This Storage Location!")});
        return out;
    };
    const Check mediaType = [](Table& t) {
        std::vector<Failure> out;
        bool any = false;
        for (const char* option : {"ShowFileName", "ShowSlide", "ShowPicture", "ShowTimeIndex", "ShowDiscLabel",
                                   "ShowPage", "RemovableMedia"})
            any = any || readBool(t, QString::fromLatin1(option));
        if (!any)
            out.push_back({QStringLiteral("Please Check At Least One Option!")});
        if (isEmptyField(t, QStringLiteral("MediaTypeDescription")))
            out.push_back({QStringLiteral("Please Enter A Description For This Media Type!")});
        return out;
    };
    const Check subCategory = [](Table& t) {
        std::vector<Failure> out;
        if (t.isNull(QStringLiteral("CatagoryID")))
            out.push_back({QStringLiteral("Please Select A Category For This Item!")});
        if (isEmptyField(t, QStringLiteral("SubCatagoryDescription")))
            out.push_back({QStringLiteral("Please Enter A Description For This Sub-Category!")});
        return out;
    };
    const Check picture = [pictureIsDuplicate](Table& t) {
        std::vector<Failure> out;
        if (isEmptyField(t, QStringLiteral("PictureDescription")))
            out.push_back({QStringLiteral("Please Enter A Description For This Picture!")});
        const std::pair<const char*, const char*> required[] = {
            {"DateTaken", "Please Enter A Date The Picture Was Taken!"},
            {"PlaceID", "Please Select The Place Where The Picture Was Taken!"},
            {"CatagoryID", "Please Select The Category Of The Picture!"},
            {"PhotograherID", "Please Select The Photographer Taking The Picture!"},
            {"RatingID", "Please Select The Rating For The Picture!"},
            {"MediaTypeID", "Please Select The Media Type For The Picture!"},
            {"StorageLocationID", "Please Select The Storage Location For The Picture!"}};
        for (const auto& [field, message] : required)
            if (t.isNull(QString::fromLatin1(field)))
                out.push_back({QString::fromLatin1(message)});
        // A refused post lists the duplicate with the other failures. A
        // post that goes ahead checks it inside its own write transaction
        // (below), where no other workstation can add the same file meanwhile.
        if (!out.empty() && pictureIsDuplicate(t))
            out.push_back({QString::fromLatin1(kDuplicatePicture)});
        return out;
    };
    const Check fileExtension = [](Table& t) {
        std::vector<Failure> out;
        const QString field = QStringLiteral("FileExtensionDescription");
        if (t.isNull(field)) {
            out.push_back({QStringLiteral("Error: Please enter a file extension."), false});
            return out;
        }
        const QString cleaned = fileExtensionCleaned(readText(t, field));
        t.setFieldValue(field, cleaned.isEmpty() ? QVariant() : QVariant(cleaned));
        if (cleaned.isEmpty())
            out.push_back({QStringLiteral("Error: Please enter a file extension."), false});
        return out;
    };

    const Rule rules[] = {
        {&PlaceTable, emptyChecks({{"PlaceDescription", "Please Enter A Description For This Place!"}}), true,
         "PlaceModifiedBy", "PlaceModifiedDate", "PlaceComments", "PlaceCommentsChar"},
        {&CategoryTable, emptyChecks({{"CatagoryDescription", "Please Enter A Description For This Category!"}}), true,
         "CatagoryModifiedBy", "CatagoryModifiedDate", "CatagoryComments", "CatagoryCommentsChar"},
        {&PersonTable, emptyChecks({{"PersonDescription", "Please Enter A Name For This Person!"}}), true,
         "PersonModifiedBy", "PersonModifiedDate", "PersonComments", "PersonCommentsChar"},
        {&RatingTable, emptyChecks({{"RatingDescription", "Please Enter A Description For This Rating!"}}), true,
         "RatingModifedBy", "RatingModifedDate", "RatingComments", "RatingCommentsChar"},
        {&MediaTypeTable, mediaType, true, "MediaTypeModifedBy", "MediaTypeModifiedDate", "MediaTypeComments",
         "MediaTypeCommentsChar"},
        {&StorageLocationTable, storageLocation, true, "StorageLocationModifiedBy", "StorageLocaitonModifiedDa",
         "StorageLocationComments", "StorageLocationCommentsCh"},
        {&SubCategoryTable, subCategory, true, "SubCatagoryModifiedBy", "SubCatagoryModifiedDate",
         "SubCatagoryComments", "SubCatagoryCommentsChar"},
        {&PicturePeopleTable, emptyChecks({{"PersonID", "Please Select A Person For This Picture!"}}), true,
         "PicturePeopleModifedBy", "PicturePeopleModifedDate", "PicturePeopleComments", "PicturePeopleCommentsChar"},
        {&PictureInfoTable, picture, true, "PictureModifiedBy", "PictureModifiedDate", "PictureComments",
         "PictureCommentsChar"},
        {&AlbumTable, emptyChecks({{"AlbumDescription", "Please Enter A Name For This Album!\r"}}), true,
         "AlbumModifiedBy", "AlbumModifiedDate", "AlbumComments", "AlbumCommentsChar"},
        {&AlbumListTable, emptyChecks({{"AlbumID", "Please Select An Album For This Picture!\r"}}), true,
         "AlbumListModifiedBy", "AlbumListModifiedDate", nullptr, nullptr},
        {&SearchTable, emptyChecks({{"SearchDescription", "Please Enter A Description for This Search"}}, false),
         false, "SearchModifiedBy", "SearchModifiedDate", "SearchComments", "SearchCommentsChar"},
        {&PersonGroupTable,
         emptyChecks({{"PersonGroupDescription", "Please Enter A Person Group Description!"}}, false), true,
         "PersonGroupModifiedBy", "PersonGroupModifiedDate", "PersonGroupComments", "PersonGroupCommentsChar"},
        {&FileExtensionsTable, fileExtension, false, "FileExtensionModifiedBy", "FileExtensionModifiedDate", nullptr,
         nullptr},
    };

    for (const Rule& rule : rules) {
        const bool formatted = rule.table == &PersonGroupTable || rule.table == &FileExtensionsTable;
        rule.table->beforePost = [this, rule, formatted](Table& t) {
            if (!rule.gated || ValidateOnPost) {
                const std::vector<Failure> failures = rule.check(t);
                if (!failures.empty()) {
                    QString text = collected(failures);
                    if (formatted)
                        text = common::FormatMessage(text, QString());
                    common::showError(text);
                    abortOperation();
                }
            }
            const qint64 user = LoginData().UserID;
            t.setFieldValue(QString::fromLatin1(rule.modifiedBy), user >= 0 ? QVariant(user) : QVariant());
            t.setFieldValue(QString::fromLatin1(rule.modifiedDate), QDateTime::currentDateTime());
            if (rule.comments)
                t.setFieldValue(QString::fromLatin1(rule.commentsChar), t.fieldValue(QString::fromLatin1(rule.comments)));
        };
    }

    // New link rows belong to the current picture.
    auto linkToCurrentPicture = [this](const char* field) {
        return [this, field](Table& t) {
            const QVariant picture = PictureInfoTable.active() ? PictureInfoTable.fieldValue(QStringLiteral("PictureID"))
                                                               : QVariant();
            if (picture.isValid() && !picture.isNull())
                t.setFieldValue(QString::fromLatin1(field), picture);
        };
    };
    PicturePeopleTable.afterInsert = linkToCurrentPicture("PictureID");
    AlbumListTable.afterInsert = linkToCurrentPicture("AlbumPictureID");

    // Pictures follow their sub-category into its new category, and their
    // storage location's new media type: in the post's own transaction, so
    // that the row and its pictures change together.
    SubCategoryTable.afterInsert = [this](Table&) { PreviousCategory = -1; };
    SubCategoryTable.beforeEdit = [this](Table& t) { PreviousCategory = readInteger(t, QStringLiteral("CatagoryID")); };
    SubCategoryTable.duringPost = [this](Table& t) {
        const qint64 category = readInteger(t, QStringLiteral("CatagoryID"));
        if (PreviousCategory == -1 || category == PreviousCategory)
            return;
        StatusNotice notice(QStringLiteral("Please Wait: Updating Pictures With New Category Infomration"));
        SetCategoryOfSubCategoryPictures(readInteger(t, QStringLiteral("SubCatagoryID")), category);
    };
    StorageLocationTable.afterInsert = [this](Table&) { PreviousMediaType = -1; };
    StorageLocationTable.beforeEdit = [this](Table& t) { PreviousMediaType = readInteger(t, QStringLiteral("MediaType")); };
    StorageLocationTable.duringPost = [this](Table& t) {
        const qint64 mediaType = readInteger(t, QStringLiteral("MediaType"));
        if (PreviousMediaType == -1 || mediaType == PreviousMediaType)
            return;
        StatusNotice notice(QStringLiteral("Please Wait: Updating Pictures With New Media Type Information"));
        SetMediaTypeOfLocationPictures(readInteger(t, QStringLiteral("StorageLocationID")), mediaType);
    };

    // The already-catalogued check of a picture that passed the others runs
    // inside the post's transaction, after the row is written (its own ID
    // excluded); a duplicate undoes the write and is told once nothing is
    // locked any more.
    PictureInfoTable.duringPost = [this, pictureIsDuplicate](Table& t) {
        if (ValidateOnPost && pictureIsDuplicate(t))
            abortOperation([] { common::showError(QString::fromLatin1(kDuplicatePicture) + QLatin1Char('\r')); });
    };

    // A picture posted while only found pictures are shown stays visible. It
    // is added once: a second copy would show it twice in the found lists.
    PictureInfoTable.afterPost = [this](Table& t) {
        if (ShowSearchResult)
            SearchResult.appendUnique(QString::number(readInteger(t, QStringLiteral("PictureID"))));
    };

    // Record filters.
    const std::pair<Table*, const char*> described[] = {
        {&PlaceTable, "PlaceDescription"},       {&CategoryTable, "CatagoryDescription"},
        {&RatingTable, "RatingDescription"},     {&PersonTable, "PersonDescription"},
        {&SubCategoryTable, "SubCatagoryDescription"}, {&MediaTypeTable, "MediaTypeDescription"},
        {&AlbumTable, "AlbumDescription"},       {&PersonGroupTable, "PersonGroupDescription"}};
    for (const auto& [table, field] : described)
        table->onFilterRecord = [this, field = QString::fromLatin1(field)](Table& t) {
            return containsFind(t, field, FindText);
        };
    StorageLocationTable.onFilterRecord = [this](Table& t) {
        for (const char* field : {"StorageLocationDescriptio", "Directory", "DiscLabel", "Tray", "Book", "Shelve",
                                  "LocaitonWhereStored"})
            if (containsFind(t, QString::fromLatin1(field), FindText))
                return true;
        return false;
    };
    SearchTable.onFilterRecord = [this](Table& t) {
        if (t.filtered()) {
            const QVariant type = t.fieldValue(QStringLiteral("SearchType"));
            return type.isValid() && !type.isNull() && valueText(type).contains(SearchTypeFilter);
        }
        return containsFind(t, QStringLiteral("SearchDescription"), FindText);
    };
    UserSettingsTable.onFilterRecord = [this](Table& t) {
        if (!LoginNameFilter.isEmpty())
            return readText(t, QStringLiteral("LoginName")).toUpper() == LoginNameFilter;
        const qint64 security = readInteger(t, QStringLiteral("SecurityID"));
        return security != -1 && security != 1;
    };
    SecurityTable.onFilterRecord = [](Table& t) {
        const qint64 security = readInteger(t, QStringLiteral("SecurityID"));
        return security != -1 && security != 1;
    };
    PictureInfoTable.onFilterRecord = [this](Table& t) { return PictureAccepted(t); };
}

bool TProgramDataForm::PictureAccepted(Table& t) const
{
    bool accepted = false;
    const QVariant rating = t.fieldValue(QStringLiteral("RatingID"));
    const bool hasRating = rating.isValid() && !rating.isNull();
    if (!FindText.isEmpty()) {
        const QVariant id = t.fieldValue(QStringLiteral("PictureID"));
        const QDate taken = valueDate(t.fieldValue(QStringLiteral("DateTaken")));
        accepted = containsFind(t, QStringLiteral("PictureDescription"), FindText)
                   || (id.isValid() && !id.isNull() && valueText(id).contains(FindText))
                   || (taken.isValid() && taken.toString(QStringLiteral("MM/dd/yyyy")).contains(FindText));
        if (accepted && hasRating)
            accepted = PermittedRatings.contains(valueInteger(rating, -1));
    } else {
        accepted = hasRating && PermittedRatings.contains(valueInteger(rating, -1));
    }
    if (ShowSearchResult) {
        const QVariant id = t.fieldValue(QStringLiteral("PictureID"));
        accepted = SearchResult.contains(id.isValid() && !id.isNull() ? valueText(id) : QString());
    }
    return accepted;
}

}  // namespace kv::data
