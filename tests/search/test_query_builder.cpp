// The searches: rating restriction, duplicate rows of joined people and
// albums, outer joins, the person slide show list, the single-picture
// rating check, the attribute map, and engine errors.
#include "support/TempCatalogue.h"

#include "data/StatusNotice.h"
#include "data/Table.h"
#include "search/QueryBuilder.h"
#include "search/SearchAttributeMap.h"

#include <gmock/gmock.h>

#include <functional>

using namespace kv::data;
using namespace kv::search;
using ::testing::HasSubstr;

namespace {

const QString kSearching = QStringLiteral("Please Wait: Searching Database!");

struct StatusRecorder : StatusDisplay {
    QStringList shown;
    int open = 0;
    void showStatus(const QString& text) override
    {
        shown << text;
        ++open;
    }
    void hideStatus() override { --open; }
};

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Pictures (rating; people; albums):
//   1 "Beach day"        2003-05-17  place 1  rating 1  Ann, Cid, Eve  Holiday, Family
//   2 "Beach walk"       2001-07-04  place 1  rating 2  Bob, Fay       Holiday
//   3 "Secret beach"     2002-01-01  place 1  rating 3  Ann            Holiday
//   4 "Beach, unrated"   2004-01-01  place 1  Null      Ann            Holiday
//   5 "Town hall"        2005-09-09  place 2  rating 1  nobody         none
// Bob (2) photographed 1-4; picture 5 has no photographer or location.
// The user may see ratings 1 and 2.
class QueryBuilderTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    StatusRecorder status;

    void SetUp() override
    {
        auto exec = [this](const char* sql) { m.db().exec(QString::fromUtf8(sql)); };
        exec("INSERT INTO Rating (RatingID, RatingDescription) VALUES (1, 'Everyone'), (2, 'Family'), "
             "(3, 'Private')");
        exec("INSERT INTO Person (PersonID, PersonDescription, GroupType, DeathDate, PersonPicture) VALUES "
             "(1, 'Ann', 1, NULL, 1), (2, 'Bob', 1, NULL, NULL), (3, 'Cid', 1, '2001-02-03', 3), "
             "(4, 'Dee', 2, NULL, 2), (5, 'Eve', 2, NULL, NULL), (6, 'Fay', NULL, NULL, 5)");
        exec("INSERT INTO Album (AlbumID, AlbumDescription) VALUES (1, 'Holiday'), (2, 'Family')");
        exec("INSERT INTO PictureInfo (PictureID, PictureDescription, DateTaken, PlaceID, CatagoryID, "
             "SubCatagoryID, PhotograherID, RatingID, MediaTypeID, StorageLocationID) VALUES "
             "(1, 'Beach day', '2003-05-17', 1, 1, 1, 2, 1, 1, 1), "
             "(2, 'Beach walk', '2001-07-04', 1, 1, NULL, 2, 2, 1, 1), "
             "(3, 'Secret beach', '2002-01-01', 1, 1, NULL, 2, 3, 1, 1), "
             "(4, 'Beach, unrated', '2004-01-01', 1, 1, NULL, 2, NULL, 1, 1), "
             "(5, 'Town hall', '2005-09-09', 2, 2, NULL, NULL, 1, 2, NULL)");
        exec("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1), (1, 3), (1, 5), (2, 2), (2, 6), "
             "(3, 1), (4, 1)");
        exec("INSERT INTO AlbumList (AlbumPictureID, AlbumID) VALUES (1, 1), (1, 2), (2, 1), (3, 1), (4, 1)");
        dm.PermittedRatings.append(1);
        dm.PermittedRatings.append(2);
        setStatusDisplay(&status);
    }
    void TearDown() override { setStatusDisplay(nullptr); }

    void expectStatusShownOnceAndClosed()
    {
        EXPECT_EQ(status.shown, QStringList{kSearching});
        EXPECT_EQ(status.open, 0);
    }
};

TEST_F(QueryBuilderTest, RatingRestrictionListsMinusOneThenThePermittedRatings)
{
    EXPECT_EQ(RatingRestriction(dm), "PI.RatingID In (-1, 1, 2)");
    dm.PermittedRatings.clear();
    EXPECT_EQ(RatingRestriction(dm), "PI.RatingID In (-1)");
}

TEST_F(QueryBuilderTest, FindByValueOnPictureAndLinkFields)
{
    struct Case {
        const char* field;
        const char* value;
        const char* orderBy;
        QStringList expected;
    };
    const Case cases[] = {
        // Picture 3's rating is not permitted, picture 4 has none.
        {"PI.PlaceID", "1", "PI.PictureDescription", {"1", "2"}},
        {"PI.PlaceID", "1", "PI.DateTaken", {"2", "1"}},
        {"PI.PlaceID", "1", "PI.DateTaken DESC", {"1", "2"}},
        // Found through the outer joins although it has no people or albums.
        {"PI.PlaceID", "2", "PI.PictureDescription", {"5"}},
        {"PP.PersonID", "1", "PI.PictureDescription", {"1"}},
        {"PP.PersonID", "6", "PI.PictureDescription", {"2"}},
        // Picture 1 is in both albums but listed once.
        {"AL.AlbumID", "1", "PI.DateTaken", {"2", "1"}},
        {"PI.PlaceID", "9", "PI.PictureDescription", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.value + " by " + c.orderBy);
        status = {};
        dm.SearchResult.append(99);  // the previous search is replaced
        EXPECT_EQ(FindPicturesByValue(dm, c.field, c.value, c.orderBy), !c.expected.isEmpty());
        EXPECT_EQ(dm.SearchResult.items(), c.expected);
        expectStatusShownOnceAndClosed();
        EXPECT_FALSE(dm.PictureInfoQuery.active());
    }
}

TEST_F(QueryBuilderTest, FindByConditionsListsEachPictureOnceAtItsFirstRow)
{
    const QStringList beach = {"(", "(Upper(PI.PictureDescription) Like Upper(\"%BEACH%\"))", ")"};
    struct Case {
        QStringList conditions;
        const char* orderBy;
        QStringList expected;
    };
    const Case cases[] = {
        // Rows: Ann 1, Bob 2, Cid 1, Eve 1, Fay 2.
        {beach, "P.PersonDescription", {"1", "2"}},
        // Rows: Fay 2, Eve 1, Cid 1, Bob 2, Ann 1.
        {beach, "P.PersonDescription DESC", {"2", "1"}},
        // Rows: Holiday "Beach walk" 2, Holiday "Beach day" 1, Family 1.
        {beach, "A.AlbumDescription DESC, PI.PictureDescription DESC", {"2", "1"}},
        {beach, "PI.DateTaken ASC", {"2", "1"}},
        // A condition on a joined person matches when any of them does.
        {{"(", "(P.DeathDate Is Not Null)", ")"}, "PI.PictureDescription", {"1"}},
        {{"(", "(PP.PersonID In (2,4))", ")"}, "PI.PictureDescription", {"2"}},
        // Dates are written as the windows write them; picture 4 (later than
        // the date) has no rating and is never found.
        {{"(", "(PI.DateTaken > \"01/01/2002\")", ")"}, "PI.DateTaken DESC", {"5", "1"}},
        // Empty condition lines are kept; picture 5 has no links at all.
        {{"(", "", "(PI.PlaceID = 2)", "", ")"}, "PI.PictureDescription", {"5"}},
        {{"(", "(PI.PlaceID = 9)", ")"}, "PI.PictureDescription", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conditions.join(' ').toStdString() + " by " + c.orderBy);
        status = {};
        dm.SearchResult.append(99);
        EXPECT_EQ(FindPicturesByConditions(dm, c.conditions, c.orderBy), !c.expected.isEmpty());
        EXPECT_EQ(dm.SearchResult.items(), c.expected);
        expectStatusShownOnceAndClosed();
    }
}

TEST_F(QueryBuilderTest, ConditionLinesGoInAsGivenAndTheSortColumnsLoseTheirDirections)
{
    const QStringList conditions = {"(", "", "(PI.PlaceID = 2)", ")"};
    FindPicturesByConditions(dm, conditions, "PI.DateTaken DESC, P.PersonDescription ASC");
    const QStringList& sql = dm.PictureInfoQuery.sql();
    ASSERT_EQ(sql.size(), 16 + conditions.size() + 3);
    EXPECT_EQ(sql.first(), "Select DISTINCT PI.PictureID, PI.DateTaken, P.PersonDescription");
    EXPECT_EQ(sql.mid(14, 2), (QStringList{"Where", "("}));
    EXPECT_EQ(sql.mid(16, conditions.size()), conditions);
    EXPECT_EQ(sql.at(sql.size() - 3), ")");
    EXPECT_EQ(sql.at(sql.size() - 2), "And (PI.RatingID In (-1, 1, 2))");
    EXPECT_EQ(sql.last(), "Order By PI.DateTaken DESC, P.PersonDescription ASC");
}

TEST_F(QueryBuilderTest, NoConditionLinesReachPastTheRatingRestriction)
{
    // Only rating 1: of place 1 the user may see picture 1, not picture 2
    // (rating 2), 3 (rating 3) or 4 (no rating); picture 5 is at place 2.
    dm.PermittedRatings.clear();
    dm.PermittedRatings.append(1);
    const QStringList seen = {"1", "5"};
    struct Case {
        const char* what;
        QStringList conditions;
        QStringList expected;  // empty: refused
    };
    const Case cases[] = {
        {"Or between two rows", {"(PI.PlaceID = 1)", "Or (PI.PlaceID = 2)"}, seen},
        {"misnested, balanced", {"(", "(PI.PlaceID = 1))", "Or ((PI.PlaceID = 2)", ")"}, seen},
        {"parentheses in a text", {"(Upper(PI.PictureDescription) Like \"%)%\")", "Or (PI.PlaceID = 2)"}, {"5"}},
        // Balanced in the statement once enclosed, but closing the pair
        // that encloses them.
        {"closes more than it opened", {"(PI.PlaceID = 1))", "Or ((PI.PlaceID = 2)"}, {}},
        {"unbalanced", {"((PI.PlaceID = 1)", "Or (PI.PlaceID = 2)"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        status = {};
        dm.SearchResult.append(99);
        if (c.expected.isEmpty()) {
            EXPECT_THROW(FindPicturesByConditions(dm, c.conditions, "PI.PictureID"), EngineError);
            EXPECT_TRUE(dm.SearchResult.isEmpty());
        } else {
            EXPECT_TRUE(FindPicturesByConditions(dm, c.conditions, "PI.PictureID"));
            EXPECT_EQ(dm.SearchResult.items(), c.expected);
        }
        EXPECT_EQ(status.open, 0);
        EXPECT_FALSE(dm.PictureInfoQuery.active());
    }
}

TEST_F(QueryBuilderTest, NoPermittedRatingsFindsNothing)
{
    dm.PermittedRatings.clear();
    const std::pair<const char*, std::function<bool()>> searches[] = {
        {"by value", [&] { return FindPicturesByValue(dm, "PI.PlaceID", "1", "PI.PictureDescription"); }},
        {"by conditions",
         [&] { return FindPicturesByConditions(dm, {"(", "(PI.PictureID > 0)", ")"}, "PI.PictureDescription"); }},
        {"with attribute", [&] { FindPicturesWithAttribute(dm, "PlaceID", 1); return !dm.SearchResult.isEmpty(); }},
        {"in album", [&] { FindPicturesInAlbum(dm, 1); return !dm.SearchResult.isEmpty(); }},
        {"with person", [&] { FindPicturesWithPerson(dm, 1); return !dm.SearchResult.isEmpty(); }},
    };
    for (const auto& [name, search] : searches) {
        SCOPED_TRACE(name);
        dm.SearchResult.append(99);
        EXPECT_FALSE(search());
        EXPECT_TRUE(dm.SearchResult.isEmpty());
    }
}

TEST_F(QueryBuilderTest, FindPicturesWithAttributeAlbumOrPersonIsRestrictedAndShowsNoStatus)
{
    const std::pair<std::function<void()>, QStringList> cases[] = {
        {[&] { FindPicturesWithAttribute(dm, "PlaceID", 1); }, {"1", "2"}},
        {[&] { FindPicturesWithAttribute(dm, "PhotograherID", 2); }, {"1", "2"}},
        {[&] { FindPicturesWithAttribute(dm, "RatingID", 3); }, {}},
        {[&] { FindPicturesInAlbum(dm, 1); }, {"1", "2"}},
        {[&] { FindPicturesInAlbum(dm, 2); }, {"1"}},
        {[&] { FindPicturesWithPerson(dm, 1); }, {"1"}},
        {[&] { FindPicturesWithPerson(dm, 6); }, {"2"}},
    };
    int i = 0;
    for (const auto& [search, expected] : cases) {
        SCOPED_TRACE(i++);
        dm.SearchResult.append(99);
        search();
        EXPECT_EQ(sorted(dm.SearchResult.items()), expected);
        EXPECT_FALSE(dm.PictureInfoQuery.active());
    }
    EXPECT_TRUE(status.shown.isEmpty());
}

TEST_F(QueryBuilderTest, FindPersonPicturesByGroupAndDeceased)
{
    struct Case {
        const char* groupList;
        bool includeDeceased;
        QStringList expected;
    };
    // Preview pictures: Ann 1, Cid 3 (deceased; a picture the user may not
    // see, but no rating applies here), Dee 2, Fay 5 (no group). Bob and Eve
    // have none.
    const Case cases[] = {
        {"", true, {"1", "3", "2", "5"}},
        {"", false, {"1", "2", "5"}},
        {"(1)", true, {"1", "3"}},
        {"(1)", false, {"1"}},
        {"(1,2)", false, {"1", "2"}},
        {"(3)", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("groups '") + c.groupList + "' deceased " + (c.includeDeceased ? "in" : "out"));
        status = {};
        EXPECT_EQ(FindPersonPictures(dm, c.groupList, c.includeDeceased), !c.expected.isEmpty());
        EXPECT_EQ(dm.SearchResult.items(), c.expected);
        expectStatusShownOnceAndClosed();
    }
}

TEST_F(QueryBuilderTest, IsPictureRatingAllowed)
{
    struct Case {
        qint64 picture;
        bool enforceRating;
        bool allowed;
    };
    const Case cases[] = {
        {99, true, false}, {99, false, true},  // no such picture
        {1, true, true},   {2, true, true},   {3, true, false}, {3, false, true},
        {4, true, false},  // Null rating
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.picture) + (c.enforceRating ? " enforced" : " not enforced"));
        EXPECT_EQ(IsPictureRatingAllowed(dm, c.picture, c.enforceRating), c.allowed);
        EXPECT_FALSE(dm.PictureInfoQuery.active());
        EXPECT_FALSE(dm.PictureInfoQuery.prepared());
    }
}

TEST_F(QueryBuilderTest, EngineErrorReachesTheCallerWithTheStatusClosedAndNothingFound)
{
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"NoSuchColumn",
         [&] { FindPicturesByConditions(dm, {"(", "(PI.NoSuchColumn = 1)", ")"}, "PI.PictureDescription"); }},
        {"NoSuchColumn", [&] { FindPicturesByValue(dm, "PI.NoSuchColumn", "1", "PI.PictureDescription"); }},
        {"syntax error", [&] { FindPersonPictures(dm, "(1,)", true); }},
        // Counted but unmatched parentheses, as the advanced search lets through.
        {"parentheses",
         [&] { FindPicturesByConditions(dm, {"(", "(PI.PlaceID = 1)))", "And (((PI.PlaceID = 2)", ")"}, "PI.DateTaken"); }},
    };
    for (const auto& [message, search] : cases) {
        SCOPED_TRACE(message);
        status = {};
        dm.SearchResult.append(99);
        try {
            search();
            ADD_FAILURE() << "no engine error";
        } catch (const EngineError& e) {
            EXPECT_THAT(e.message().toStdString(), HasSubstr(message));
        }
        EXPECT_TRUE(dm.SearchResult.isEmpty());
        expectStatusShownOnceAndClosed();
        EXPECT_FALSE(dm.PictureInfoQuery.active());
    }
}

TEST_F(QueryBuilderTest, EveryAttributeMapsToItsValueRowsAndItsPictureField)
{
    struct Case {
        const char* label;
        qint64 value;
        QStringList expected;
    };
    const Case cases[] = {
        {"Place", 2, {"5"}},
        {"Category", 2, {"5"}},
        {"Photographer", 2, {"1", "2"}},  // took pictures 1 to 4
        {"Rating", 2, {"2"}},
        {"Media Type", 2, {"5"}},
        {"Person", 2, {"2"}},  // shown in picture 2
        {"Album", 2, {"1"}},
        {"Sub-Category", 1, {"1"}},
        {"Storage Location", 1, {"1", "2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto attribute = SearchAttributeMap(dm, c.label);
        ASSERT_TRUE(attribute);
        ASSERT_NE(attribute->source, nullptr);
        auto* table = qobject_cast<Table*>(attribute->source->dataSet());
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->fileName().compare(attribute->tableFile, Qt::CaseInsensitive), 0) << table->fileName().toStdString();
        EXPECT_TRUE(table->hasField(attribute->keyField));
        for (const QString& shown : attribute->shownFields.split(';'))
            EXPECT_TRUE(table->hasField(shown)) << shown.toStdString();
        FindPicturesByValue(dm, attribute->prefix + attribute->pictureField, QString::number(c.value),
                            "PI.PictureDescription");
        EXPECT_EQ(sorted(dm.SearchResult.items()), c.expected);
    }
    for (const char* unknown : {"place", "Places", "Subcategory", ""})
        EXPECT_FALSE(SearchAttributeMap(dm, unknown)) << unknown;
}

}  // namespace
