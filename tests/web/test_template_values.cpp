// The current records as a page generation loads them, and the substitution
// of template lines from them: values, order of the groups, directives,
// escaping, registrations of previews and person pages.
#include "support/QtPrinters.h"
#include "support/TempCatalogue.h"

#include "common/DateText.h"
#include "data/SystemInfo.h"
#include "security/SecurityData.h"
#include "web/CurrentRecords.h"
#include "web/PageLinks.h"
#include "web/Placeholders.h"
#include "web/RecordLoads.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

using namespace kv::web;
using kv::data::EngineError;
using kv::data::SystemInfo;
using kv::data::TProgramDataForm;

namespace {

double day(int y, int m, int d) { return kv::common::DesktopDays(QDate(y, m, d)); }

// Pictures:
//   57 'Taken in %Year% "<b>&"'  05/17/2003, place 1, photographer 3,
//      rating 1, file "a&b.jpg", preview 200 x 150; people Ann Lee (2) and
//      John Henry Smith (1), album Holiday
//   58 "%PictureDescription% again", rating 2, no people, no album
//   59 "Empty", nobody
// People: 1 John Henry Smith (picture 57, rating 1), 2 Ann Lee born on
// 29 February (picture 58, rating 2 which the user may not see),
// 3 "Photo %PersonName%" the photographer, 4 without a name.
// The user may see rating 1 only; the clock stands at 03/01/2023 10:20:30.
class TemplateValuesTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    QTemporaryDir previews;
    QTemporaryDir templates;

    void SetUp() override
    {
        auto exec = [this](const char* sql) { m.db().exec(QString::fromUtf8(sql)); };
        exec("INSERT INTO Rating (RatingID, RatingDescription) VALUES (1, 'Everyone'), (2, 'Private')");
        exec("INSERT INTO Place (PlaceID, PlaceDescription, PlaceComments) VALUES (1, 'Beach <b>&', "
             "'Sand' || char(13) || char(10) || 'Sea')");
        exec("INSERT INTO Catagory (CatagoryID, CatagoryDescription) VALUES (1, 'Trips')");
        exec("INSERT INTO PersonGroup (PersonGroupID, PersonGroupDescription) VALUES (1, 'Family')");
        exec("INSERT INTO Person (PersonID, PersonDescription, GroupType, Birthdate, DeathDate, PersonPicture, "
             "Address1, ZipCode, Email, WebPage, PersonComments) VALUES "
             "(1, 'John Henry Smith', 1, '1950-06-05', NULL, 57, '1 Main St', '12345-', 'a\"b@x', 'www.x', "
             "'Likes <i>tea</i>'), "
             "(2, 'Ann Lee', NULL, '2000-02-29', NULL, 58, NULL, NULL, NULL, 'HTTPS://X', NULL), "
             "(3, 'Photo %PersonName%', NULL, '1940-01-01', '2001-02-03', NULL, NULL, '12345--', NULL, "
             "'javascript:alert(1)', NULL), "
             "(4, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
        exec("INSERT INTO Album (AlbumID, AlbumDescription, AlbumIndexTemplate) VALUES (1, 'Holiday', 'Sea.html')");
        exec("INSERT INTO PictureInfo (PictureID, PictureDescription, DateTaken, PlaceID, CatagoryID, "
             "PhotograherID, RatingID, FileName, ImageSizeX, ImageSizeY) VALUES "
             "(57, 'Taken in %Year% \"<b>&\"', '2003-05-17', 1, 1, 3, 1, 'a&b.jpg', 200, 150), "
             "(58, '%PictureDescription% again', NULL, NULL, NULL, NULL, 2, NULL, NULL, NULL), "
             "(59, 'Empty', NULL, NULL, NULL, NULL, 1, NULL, NULL, NULL)");
        exec("INSERT INTO PicturePeople (PictureID, PersonID, PicturePeopleComments) VALUES "
             "(57, 1, 'Left'), (57, 2, NULL)");
        exec("INSERT INTO AlbumList (AlbumPictureID, AlbumID) VALUES (57, 1)");
        dm.PermittedRatings.append(1);

        SystemInfo() = kv::data::TSystemInfo();
        SystemInfo().PreviewDir = previews.path();
        SystemInfo().PersonTemplate = templates.filePath(QStringLiteral("Person.html"));
        QFile preview(previews.filePath(QStringLiteral("57.jpg")));
        ASSERT_TRUE(preview.open(QIODevice::WriteOnly));
        kv::security::SecurityData().EnforceRating = true;
        CurrentRecords() = TCurrentRecords();
        Generation() = TGenerationState();
        Generation().Now = [] { return QDateTime(QDate(2023, 3, 1), QTime(10, 20, 30)); };
    }

    void TearDown() override
    {
        SystemInfo() = kv::data::TSystemInfo();
        Generation() = TGenerationState();
    }

    void makePersonTemplate()
    {
        QFile file(SystemInfo().PersonTemplate);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    static QString substituted(const QString& line)
    {
        QString text = line;
        SubstitutePlaceholders(text);
        return text;
    }
};

TEST_F(TemplateValuesTest, PictureDetailsFillEveryRelatedRecord)
{
    LoadPictureDetails(dm, 57);
    const TCurrentRecords& r = CurrentRecords();
    EXPECT_EQ(r.Picture.PictureID, 57);
    EXPECT_EQ(r.Picture.DateTaken, day(2003, 5, 17));
    EXPECT_EQ(r.Picture.SubCategoryID, -1);
    EXPECT_EQ(r.Place.Description, QStringLiteral("Beach <b>&"));
    EXPECT_EQ(r.Place.Comments, QStringList{QStringLiteral("Sand<Br>Sea<Br>")});
    EXPECT_EQ(r.Category.Description, QStringLiteral("Trips"));
    EXPECT_EQ(r.SubCategory.ID, -1);
    EXPECT_EQ(r.Rating.Description, QStringLiteral("Everyone"));
    EXPECT_EQ(r.Album.Name, QStringLiteral("Holiday"));
    EXPECT_EQ(r.Album.IndexTemplate, QStringLiteral("Sea.html"));
    EXPECT_EQ(r.Album.DetailTemplate, QStringLiteral("Detail.html"));
    EXPECT_EQ(r.Picture.PreviewIndexTag, QStringLiteral(R"(<Img Src="preview/57.jpg" BORDER="0" WIDTH="100" HEIGHT="75">)"));
    // The photographer's age on the picture's date: he had died by then.
    EXPECT_EQ(r.Photographer.PersonID, 3);
    EXPECT_EQ(r.Photographer.AgeWhenTaken, QStringLiteral("61  Deceased"));
    EXPECT_EQ(r.Photographer.ZipCode, QStringLiteral("12345-"));

    // The people, by name, are left open on the first for the page generator.
    EXPECT_EQ(dm.PicturePeopleQuery.recordCount(), 2);
    EXPECT_EQ(dm.PicturePeopleQuery.recNo(), 0);
    EXPECT_EQ(r.Person.Name, QStringLiteral("Ann Lee"));
    EXPECT_TRUE(r.PersonPictureComments.isEmpty());
    dm.PicturePeopleQuery.next();
    LoadPictureRowPerson(dm);
    EXPECT_EQ(r.Person.Name, QStringLiteral("John Henry Smith"));
    EXPECT_EQ(r.PersonPictureComments, QStringList{QStringLiteral("Left<Br>")});
    EXPECT_EQ(r.Person.AgeWhenTaken, QStringLiteral("52  "));
    EXPECT_EQ(dm.AlbumListQuery.recordCount(), 1);
    EXPECT_FALSE(dm.PictureInfoQuery.active());
}

TEST_F(TemplateValuesTest, PersonRecordWithItsTextRules)
{
    LoadPersonData(dm, CurrentRecords().Person, 1, day(2003, 5, 17));
    const TPersonData& p = CurrentRecords().Person;
    EXPECT_EQ(p.LastFirst, QStringLiteral("Smith,John Henry"));
    EXPECT_EQ(p.BirthSortKey, QStringLiteral("0605"));
    EXPECT_EQ(p.CurrentAge, QStringLiteral("72  "));
    EXPECT_EQ(p.AgeWhenTaken, QStringLiteral("52  "));
    EXPECT_EQ(p.AgeThisYear, QStringLiteral("73  "));
    EXPECT_EQ(p.GroupName, QStringLiteral("Family"));
    EXPECT_EQ(p.ZipCode, QStringLiteral("12345"));
    EXPECT_EQ(p.Email, QStringLiteral("a\"b@x"));
    EXPECT_EQ(p.EmailLink, QStringLiteral(R"(<A HREF="MailTo:a&quot;b@x">a&quot;b@x</A>)"));
    EXPECT_EQ(p.WebPageLink, QStringLiteral(R"(<A HREF="http://www.x">www.x</A>)"));
    EXPECT_EQ(p.PictureID, 57);
    EXPECT_EQ(p.PreviewDetailTag, QStringLiteral(R"(<Img Src="../preview/57.jpg" BORDER="0" WIDTH="100" HEIGHT="75">)"));

    // Born on 29 February: this year's birthday is 28 February, not yet
    // counted as a birthday.
    LoadPersonData(dm, CurrentRecords().Person, 2, 0);
    EXPECT_EQ(p.AgeThisYear, QStringLiteral("22  "));
    EXPECT_EQ(p.AgeWhenTaken, QString());

    LoadPersonData(dm, CurrentRecords().Person, 99, 0);
    EXPECT_EQ(p.PersonID, -1);
    EXPECT_EQ(p.Name, QString());
    EXPECT_EQ(p.PreviewIndexTag, QStringLiteral(R"(<Img Src="preview/-1.jpg" BORDER="0" WIDTH="85" HEIGHT="100">)"));
}

TEST_F(TemplateValuesTest, DefaultPictureOfAForbiddenRatingReadsMinusOne)
{
    LoadPersonData(dm, CurrentRecords().Person, 2, 0);
    EXPECT_EQ(substituted(QStringLiteral("%PersonPicturePreviewID%|%PersonPreviewIndex%")),
              QStringLiteral(R"(-1|<Img Src="preview/-1.jpg" BORDER="0" WIDTH="85" HEIGHT="100">)"));
    kv::security::SecurityData().EnforceRating = false;
    LoadPersonData(dm, CurrentRecords().Person, 2, 0);
    EXPECT_EQ(substituted(QStringLiteral("%PersonPicturePreviewID%")), QStringLiteral("58"));
}

TEST_F(TemplateValuesTest, PictureWithoutPeopleAfterOneWithPeople)
{
    const QString line = QStringLiteral("[%PersonID%|%PersonName%|%PersonPictureComments%|%PersonAgeWhenTaken%]");
    LoadPictureDetails(dm, 57);
    dm.PicturePeopleQuery.next();
    LoadPictureRowPerson(dm);
    EXPECT_EQ(substituted(line), QStringLiteral("[1|John Henry Smith|Left<Br>\r\n|52  ]"));
    LoadPictureDetails(dm, 59);
    EXPECT_EQ(substituted(line), QStringLiteral("[-1|||]"));
    EXPECT_TRUE(dm.PicturePeopleQuery.isEmpty());
    EXPECT_EQ(CurrentRecords().Place.ID, -1);
}

TEST_F(TemplateValuesTest, MissingPictureLeavesNothingOfThePictureBefore)
{
    LoadPictureDetails(dm, 57);
    CurrentRecords().Picture.NextLink = QStringLiteral("<A HREF=\"58.html\">");
    LoadPictureDetails(dm, 1000);
    EXPECT_EQ(substituted(QStringLiteral("%PictureID%|%PicturePlace%|%PicturePhotographer%|%PersonName%|%AlbumName%|"
                                         "%PictureDateTaken%|%NextPictureHyperLinkStart%")),
              QStringLiteral("-1|||||Not Available|<A HREF=\"58.html\">"));
    EXPECT_EQ(CurrentRecords().Picture.PreviewIndexTag,
              QStringLiteral(R"(<Img Src="preview/-1.jpg" BORDER="0" WIDTH="85" HEIGHT="100">)"));
    EXPECT_TRUE(dm.AlbumListQuery.isEmpty());
}

TEST_F(TemplateValuesTest, SubstitutionOrderCaseAndEscaping)
{
    LoadPictureDetails(dm, 57);
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"<p>%pictureDESCRIPTION%</p>", "<p>Taken in 2023 &quot;&lt;b&gt;&amp;&quot;</p>"},
        {"%PictureDateTaken% %PictureFileName%", "05/17/2003 a&amp;b.jpg"},
        {"%PicturePlace%: %PlaceComments%", "Beach &lt;b&gt;&amp;: Sand<Br>Sea<Br>\r\n"},
        // Group B runs before group E, and group E after group A: the
        // photographer's name takes the person's, escaped, and a person
        // value is not read as a picture placeholder.
        {"%PicturePhotographer%", "Photo Ann Lee"},
        {"%PhotographerDeceased% %PhotographerCounrty%|%PhotographerZipCode%", "02/03/2001 |12345-"},
        {"%PhotographerWebPageAddress%", R"x(<A HREF="http://javascript:alert(1)">javascript:alert(1)</A>)x"},
        {"%PersonBirthday% %PersonBirthMonthShort% %PersonBirthMonthLong%", "02/29/2000 Feb Feburary"},
        {"%Today% %Time% %Year%", "03/01/2023 10:20:30 AM 2023"},
        {"%AlbumName% %AlbumIndexTemplate% %AlbumDetailTemplate%", "Holiday Sea.html Detail.html"},
        {"%IndexHyperlinkStart%x%IndexHyperLinkEnd%", R"(<A HREF="../index.html">x</A>)"},
        {"%PicturePreviewHyperLinkStartIndex%%PictureDetailHyperlinkStart%%PicturePreviewHyperLinkStartDetail%",
         R"(<A HREF="preview/57.jpg"><A HREF="detail/57.html"><A HREF="../preview/57.jpg">)"},
        {"100% sure, %NoSuchPlaceholder% stays", "100% sure, %NoSuchPlaceholder% stays"},
        {"no placeholder at all", "no placeholder at all"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(substituted(QString::fromUtf8(c.line)), QString::fromUtf8(c.expected)) << c.line;

    // A value holding its own placeholder is put in once.
    LoadPictureDetails(dm, 58);
    EXPECT_EQ(substituted(QStringLiteral("%PictureDescription%!")), QStringLiteral("%PictureDescription% again!"));
    // No name: no first letter.
    LoadPersonData(dm, CurrentRecords().Person, 4, 0);
    EXPECT_EQ(substituted(QStringLiteral("[%PersonFirstLetterOfLastName%%PersonLastNameFirstName%]")),
              QStringLiteral("[]"));
    EXPECT_EQ(substituted(QStringLiteral("%PersonBirthday% %PersonBirthMonthShort% %PersonBirthMonthLong%")),
              QStringLiteral("Not Available Dec December"));
}

TEST_F(TemplateValuesTest, DirectivesChangeTheGenerationValues)
{
    const struct {
        const char* line;
        const char* expectedLine;
        qint64 picturePreviewSize;
        qint64 personPreviewSize;
        const char* indexName;
    } cases[] = {
        {"<H1>%IndexName%=Summer.html%PictureDescription%</H1>", "<H1>Empty</H1>", 100, 100, "Summer.html"},
        {"%IndexName%=Album2.html", "2.html", 100, 100, "Album"},
        {"%IndexName%=", "", 100, 100, "index.html"},
        {"%PicturePreviewSize%=150 %PersonPreviewSize%=60", " ", 150, 60, "index.html"},
        {"%picturepreviewsize%=0", "", 100, 100, "index.html"},
        {"%PicturePreviewSize%=99999999999", "", 100, 100, "index.html"},
        {"%PicturePreviewSize%=99999999999999999999999", "", 100, 100, "index.html"},
        {"%PersonPreviewSize%=x", "x", 100, 100, "index.html"},
    };
    LoadPictureDetails(dm, 59);
    for (const auto& c : cases) {
        SystemInfo() = kv::data::TSystemInfo();
        EXPECT_EQ(substituted(QString::fromUtf8(c.line)), QString::fromUtf8(c.expectedLine)) << c.line;
        EXPECT_EQ(SystemInfo().PicturePreviewSize, c.picturePreviewSize) << c.line;
        EXPECT_EQ(SystemInfo().PersonPreviewSize, c.personPreviewSize) << c.line;
        EXPECT_EQ(SystemInfo().IndexName, QString::fromUtf8(c.indexName)) << c.line;
    }
    // A value from the catalogue is never read as a directive.
    SystemInfo() = kv::data::TSystemInfo();
    CurrentRecords().Picture.Description = QStringLiteral("%PicturePreviewSize%=5 %IndexName%=x");
    EXPECT_EQ(substituted(QStringLiteral("%PictureDescription%")), QStringLiteral("%PicturePreviewSize%=5 %IndexName%=x"));
    EXPECT_EQ(SystemInfo().PicturePreviewSize, 100);
    EXPECT_EQ(SystemInfo().IndexName, QStringLiteral("index.html"));

    // A size met in a template changes the tags made afterwards.
    SystemInfo().PreviewDir = previews.path();
    substituted(QStringLiteral("%PicturePreviewSize%=60"));
    LoadPictureDetails(dm, 57);
    EXPECT_EQ(substituted(QStringLiteral("%PicturePreviewIndex%")),
              QStringLiteral(R"(<Img Src="preview/57.jpg" BORDER="0" WIDTH="60" HEIGHT="45">)"));
    // A new run keeps the values the directives set.
    BeginGenerationRun();
    EXPECT_EQ(SystemInfo().PicturePreviewSize, 60);
    EXPECT_EQ(IndexLink(), QStringLiteral(R"(<A HREF="../index.html">)"));
}

TEST_F(TemplateValuesTest, ImageTags)
{
    const struct {
        bool forIndex;
        qint64 id;
        int box;
        const char* expected;
    } cases[] = {
        {true, 57, 100, R"(<Img Src="preview/57.jpg" BORDER="0" WIDTH="100" HEIGHT="75">)"},
        {false, 57, 100, R"(<Img Src="../preview/57.jpg" BORDER="0" WIDTH="100" HEIGHT="75">)"},
        {true, 57, 400, R"(<Img Src="preview/57.jpg" BORDER="0" WIDTH="300" HEIGHT="225">)"},
        {true, 58, 100, R"(<Img Src="preview/58.jpg" BORDER="0" WIDTH="0" HEIGHT="0">)"},
        {false, -1, 100, R"(<Img Src="../preview/-1.jpg" BORDER="0" WIDTH="85" HEIGHT="100">)"},
        {true, 57, 0, R"(<Img Src="preview/57.jpg" BORDER="0" WIDTH="0" HEIGHT="0">)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageTag(dm, c.forIndex, c.id, c.box), QString::fromUtf8(c.expected)) << c.id << " " << c.box;
}

TEST_F(TemplateValuesTest, PersonPagesAndNeededPreviewsAreCollectedPerRun)
{
    const QString links = QStringLiteral("%PersonDetailPageHyperLinkStartIndex%i%PersonDetailPageHyperLinkEndIndex%"
                                         "%PersonDetailPageHyperLinkStartDetail%d%PersonDetailPageHyperLinkEndDetail%");
    LoadPersonData(dm, CurrentRecords().Person, 1, 0);
    // Without the person template there are no person pages to link to.
    EXPECT_EQ(substituted(links), QStringLiteral("id"));

    makePersonTemplate();
    BeginGenerationRun();
    Generation().CollectPersonPages = true;
    EXPECT_EQ(substituted(links), QStringLiteral(R"(<A HREF="detail\p1.html">i</A><A HREF="p1.html">d</A>)"));
    LoadPictureDetails(dm, 57);  // the photographer 3; the person Ann Lee (2)
    substituted(QStringLiteral("%PhotographerDetailPageHyperLinkStartDetail%%PersonDetailPageHyperLinkStartIndex%"));
    substituted(QStringLiteral("%PersonDetailPageHyperLinkStartIndex%"));
    EXPECT_EQ(Generation().PersonPages, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    // Only the image tag rows register previews, each ID once.
    substituted(QStringLiteral("%PersonPreviewHyperLinkStartIndex%%PictureID%"));
    EXPECT_TRUE(Generation().NeededPreviews.isEmpty());
    substituted(QStringLiteral("%PersonPreviewIndex%%PhotographerPreviewDetail%%PersonPreviewDetail%"));
    EXPECT_EQ(Generation().NeededPreviews, QStringList{QStringLiteral("-1")});

    // One site's person pages never reach the next.
    BeginGenerationRun();
    EXPECT_TRUE(Generation().PersonPages.isEmpty());
    EXPECT_TRUE(Generation().NeededPreviews.isEmpty());
    // Links are made while collection is off, but nobody is registered.
    Generation().CollectPersonPages = false;
    EXPECT_EQ(PersonPageLink(false, 1), QStringLiteral(R"(<A HREF="p1.html">)"));
    EXPECT_EQ(PersonPageLink(false, -1), QString());
    EXPECT_TRUE(Generation().PersonPages.isEmpty());
}

TEST_F(TemplateValuesTest, AgesStraightFromThePersonTable)
{
    EXPECT_EQ(PersonAgeText(dm, 1, day(2003, 5, 17)), QStringLiteral("52  "));
    EXPECT_EQ(PersonAgeText(dm, 3, day(2003, 5, 17)), QStringLiteral("61  Deceased"));
    EXPECT_EQ(PersonAgeText(dm, 4, day(2003, 5, 17)), QString());
    EXPECT_EQ(PersonAgeText(dm, 99, day(2003, 5, 17)), QString());
    dm.PersonTable.refresh();
    ASSERT_TRUE(dm.PersonTable.locate(QStringLiteral("PersonID"), 2));
    EXPECT_EQ(CurrentPersonAgeText(dm, day(2000, 3, 30)), QStringLiteral("4 Weeks "));
}

TEST_F(TemplateValuesTest, EngineErrorsReachTheCaller)
{
    m.db().exec(QStringLiteral("DROP TABLE Place"));
    EXPECT_THROW(LoadPictureDetails(dm, 57), EngineError);
    EXPECT_FALSE(dm.PlaceQuery.active());
}

}  // namespace
