// The calendar window: its picture lookup in a real directory of real JPEG
// and BMP files, the display sizes, the window's width, damaged pictures,
// and picking a date through the modal entry point.
#include "TestApplication.h"
#include "support/TempCatalogue.h"

#include "common/CalendarForm.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "data/SystemInfo.h"

#include <QApplication>
#include <QBuffer>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kv::common;

namespace {

// Writes a real picture of the given size; the format follows the suffix.
void writePicture(const QString& path, int width, int height, QColor color = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(path)) << path.toStdString();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QTableView* calendarView(TCalendarForm& form)
{
    return form.MonthCalendar1->findChild<QTableView*>();
}

// Selects day in the calendar and clicks it (twice more for a double-click)
// the way the user does.
void clickDay(TCalendarForm& form, const QDate& day, bool doubleClick = false)
{
    form.MonthCalendar1->setSelectedDate(day);
    QTableView* view = calendarView(form);
    ASSERT_NE(view, nullptr);
    const QPoint at = view->visualRect(view->currentIndex()).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

class CalendarTest : public ::testing::Test {
protected:
    CalendarTest()
    {
        kv::test::testApplication<QApplication>();
        // The calendar's own settings live in a test folder.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        setStartingDirectory(QString());
        setLogFile(logDir.filePath(QStringLiteral("Kestrelview.log")));
    }
    ~CalendarTest() override { setLogFile(QString()); }

    static void setStartingDirectory(const QString& directory)
    {
        QSettings settings(QStringLiteral("Marrowind"), QStringLiteral("Tidewheel"));
        if (directory.isNull())
            settings.remove(QStringLiteral("Picture Directory"));
        else
            settings.setValue(QStringLiteral("Picture Directory"), directory);
    }

    // The picture directory as the window holds it.
    QString dir() const { return pictures.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return dir() + name; }

    // A form on the picture directory, shown (offscreen) as the user sees it.
    std::unique_ptr<TCalendarForm> shownForm(const QDate& day)
    {
        auto form = std::make_unique<TCalendarForm>();
        form->setDate(day);
        form->SetPictureDirectory(pictures.path());
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    QTemporaryDir settingsDir;
    QTemporaryDir logDir;
    QTemporaryDir pictures;
    ScriptedMessages messages;
};

TEST_F(CalendarTest, WindowLayout)
{
    TCalendarForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calendar"));
    EXPECT_EQ(form.size(), QSize(444, 174));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.MonthCalendar1->geometry(), QRect(8, 8, 209, 153));
    EXPECT_EQ(form.Image1->geometry(), QRect(224, 8, 209, 156));
    EXPECT_TRUE(form.Image1->hasScaledContents());
    for (QLabel* label : {form.Label1, form.Label2}) {
        EXPECT_TRUE(label->font().bold());
        EXPECT_TRUE(label->font().italic());
        EXPECT_FALSE(label->isHidden());
    }
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Loading  Image"));
    EXPECT_EQ(form.Label1->pos(), QPoint(232, 56));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Please Wait"));
    EXPECT_EQ(form.Label2->pos(), QPoint(232, 72));
    // A double-click accepts; there is no button.
    EXPECT_TRUE(form.findChildren<QPushButton*>().isEmpty());
    EXPECT_FALSE(form.LastShownDate().isValid());
    EXPECT_TRUE(form.CurrentPictureFile().isEmpty());
}

TEST_F(CalendarTest, PictureDirectoryEndsInASeparator)
{
    const struct {
        const char* starting;  // nullptr: no value in the settings
        const char* set;
        const char* expectedStarting;
        const char* expectedSet;
    } cases[] = {
        {nullptr, "", "", ""},
        {"", "/pictures/days", "", "/pictures/days/"},
        {"/pictures/start", "/pictures/days/", "/pictures/start/", "/pictures/days/"},
        {"/pictures/start/", "", "/pictures/start/", ""},
    };
    for (const auto& c : cases) {
        setStartingDirectory(c.starting ? QString::fromLatin1(c.starting) : QString());
        TCalendarForm form;
        EXPECT_EQ(form.PictureDirectory(), QDir::fromNativeSeparators(QString::fromLatin1(c.expectedStarting)))
            << (c.starting ? c.starting : "(none)");
        form.SetPictureDirectory(QString::fromLatin1(c.set));
        EXPECT_EQ(form.PictureDirectory(), QString::fromLatin1(c.expectedSet)) << c.set;
    }
}

TEST_F(CalendarTest, CandidatesAreTriedInOrder)
{
    // One file for each candidate of 5 March 2004, best first. Each is
    // found while it is there; removing it reveals the next.
    const QStringList order{
        "20040305.jpg", "2004030502.jpg", "20040300.jpg", "20040000.jpg",  "00000305.jpg", "00000300.jpg",
        "00000005.jpg", "03.jpg",         "2004.jpg",     "D05.jpg",       "19990305.jpg", "other.jpg",
    };
    for (const QString& name : order)
        writePicture(file(name), 4, 3);
    TCalendarForm form;
    form.SetPictureDirectory(pictures.path());
    for (const QString& name : order) {
        EXPECT_EQ(form.FindDatePicture(2004, 3, 5), file(name));
        ASSERT_TRUE(QFile::remove(file(name)));
    }
    EXPECT_EQ(form.FindDatePicture(2004, 3, 5), QString());
}

TEST_F(CalendarTest, FindsPicturesOfADay)
{
    const struct {
        const char* what;
        QStringList files;
        QDate day;
        QStringList found;  // any of these; empty: none
    } cases[] = {
        {"plain names try .jpg, .jpeg, .bmp", {"20040305.bmp", "20040305.jpeg"}, {2004, 3, 5}, {"20040305.jpeg"}},
        {"a bitmap", {"20040305.bmp", "03.jpg"}, {2004, 3, 5}, {"20040305.bmp"}},
        {"other picture formats are not looked for", {"20040305.png"}, {2004, 3, 5}, {}},
        {"a directory is not a picture", {"20040305.jpg/", "03.jpg"}, {2004, 3, 5}, {"03.jpg"}},
        {"the day's own file before its numbered ones", {"2004030501.jpg", "20040305.jpg"}, {2004, 3, 5},
         {"20040305.jpg"}},
        {"a one-character number", {"200403051.jpg", "03.jpg"}, {2004, 3, 5}, {"200403051.jpg"}},
        {"numbers of more than two characters are not the day's",
         {"200403051234.jpg", "03.jpg"}, {2004, 3, 5}, {"03.jpg"}},
        {"only 03.jpg: a day of March", {"03.jpg"}, {2004, 3, 31}, {"03.jpg"}},
        {"only 03.jpg: another month falls through to any picture", {"03.jpg"}, {2004, 7, 1}, {"03.jpg"}},
        {"a year of three digits", {"9990000.jpg", "other.jpg"}, {999, 1, 2}, {"9990000.jpg"}},
        {"the day of every month", {"00000031.jpg", "D31.jpg"}, {2004, 12, 31}, {"00000031.jpg"}},
        {"hidden files count", {".hidden.jpg"}, {2004, 3, 5}, {".hidden.jpg"}},
        {"the same day of any year", {"19990305.bmp", "20010305.jpeg", "19990306.jpg", "x.jpg"}, {2004, 3, 5},
         {"19990305.bmp", "20010305.jpeg"}},
        {"no picture", {"notes.txt"}, {2004, 3, 5}, {}},
    };
    for (const auto& c : cases) {
        QTemporaryDir d;
        for (const QString& name : c.files) {
            if (name.endsWith(QLatin1Char('/')))
                ASSERT_TRUE(QDir(d.path()).mkdir(name.chopped(1)));
            else if (name.endsWith(QStringLiteral(".txt")))
                writeBytes(d.filePath(name), "text");
            else
                writePicture(d.filePath(name), 4, 3);
        }
        TCalendarForm form;
        form.SetPictureDirectory(d.path());
        // Random candidates: every draw is one of the allowed files.
        for (int i = 0; i < 10; ++i) {
            const QString found = form.FindDatePicture(c.day.year(), c.day.month(), c.day.day());
            if (c.found.isEmpty())
                EXPECT_EQ(found, QString()) << c.what;
            else
                EXPECT_TRUE(c.found.contains(QFileInfo(found).fileName()) && QFileInfo(found).path() == d.path())
                    << c.what << ": " << found.toStdString();
        }
    }

    TCalendarForm form;
    form.SetPictureDirectory(pictures.filePath(QStringLiteral("missing")));
    EXPECT_EQ(form.FindDatePicture(2004, 3, 5), QString());
    form.SetPictureDirectory(QString());
    EXPECT_EQ(form.FindDatePicture(2004, 3, 5), QString());
}

TEST_F(CalendarTest, RandomCandidatesDrawFromAllTheirPatterns)
{
    const QStringList names{"2004030501.jpg", "2004030502.jpeg", "2004030503.bmp"};
    for (const QString& name : names)
        writePicture(file(name), 4, 3);
    TCalendarForm form;
    form.SetPictureDirectory(pictures.path());
    QSet<QString> seen;
    for (int i = 0; i < 200 && seen.size() < names.size(); ++i)
        seen.insert(form.FindDatePicture(2004, 3, 5));
    EXPECT_EQ(seen, QSet<QString>({file(names[0]), file(names[1]), file(names[2])}));
}

TEST_F(CalendarTest, DisplaySizes)
{
    const struct {
        QSize picture;
        QSize shown;
    } cases[] = {
        {{400, 300}, {208, 156}},  // 209 wide would need 157 rows
        {{300, 400}, {117, 156}},
        {{100, 80}, {100, 80}},    // never enlarged
        {{209, 156}, {209, 156}},
        {{210, 100}, {209, 100}},
        // Halves round to the even neighbour.
        {{418, 101}, {209, 50}},
        {{418, 103}, {209, 52}},
        {{209, 312}, {104, 156}},
        {{211, 312}, {106, 156}},
        // Extreme proportions keep a pixel.
        {{1000, 1}, {209, 1}},
        {{1, 1000}, {1, 156}},
        {{0, 0}, {}},
        {{-1, -1}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCalendarForm::pictureDisplaySize(c.picture), c.shown)
            << c.picture.width() << " x " << c.picture.height();
}

TEST_F(CalendarTest, TheWindowFitsThePicture)
{
    const struct {
        const char* name;
        QSize picture;
        QSize shown;
        int windowWidth;
    } cases[] = {
        {"20040301.jpg", {400, 300}, {208, 156}, 452},
        {"20040302.jpg", {300, 400}, {117, 156}, 361},
        {"20040303.bmp", {100, 80}, {100, 80}, 344},
    };
    for (const auto& c : cases)
        writePicture(file(QString::fromLatin1(c.name)), c.picture.width(), c.picture.height());
    auto form = shownForm(QDate(2004, 3, 1));
    for (int i = 0; i < 3; ++i) {
        const auto& c = cases[i];
        clickDay(*form, QDate(2004, 3, i + 1));
        EXPECT_EQ(form->CurrentPictureFile(), file(QString::fromLatin1(c.name)));
        EXPECT_EQ(form->Image1->geometry(), QRect(QPoint(224, 8), c.shown)) << c.name;
        // Decoded at the size it is shown at.
        EXPECT_EQ(form->Image1->pixmap().size(), c.shown) << c.name;
        EXPECT_EQ(form->width(), c.windowWidth) << c.name;
        EXPECT_EQ(form->height(), 174) << c.name;
        EXPECT_TRUE(form->Label1->isHidden());
        EXPECT_TRUE(form->Label2->isHidden());
    }
}

TEST_F(CalendarTest, APictureOnShowIsNotReadAgain)
{
    writePicture(file("20040305.jpg"), 400, 300);
    writePicture(file("03.jpg"), 300, 400);
    auto form = shownForm(QDate(2004, 3, 5));
    EXPECT_EQ(form->CurrentPictureFile(), file("20040305.jpg"));
    EXPECT_EQ(form->LastShownDate(), QDate(2004, 3, 5));

    // Replace both files: a read would now show other sizes.
    writePicture(file("20040305.jpg"), 100, 80);
    writePicture(file("03.jpg"), 90, 70);
    clickDay(*form, QDate(2004, 3, 5));
    EXPECT_EQ(form->Image1->size(), QSize(208, 156)) << "the day on show";

    clickDay(*form, QDate(2004, 3, 6));
    EXPECT_EQ(form->CurrentPictureFile(), file("03.jpg"));
    EXPECT_EQ(form->Image1->size(), QSize(90, 70));
    writePicture(file("03.jpg"), 300, 400);
    clickDay(*form, QDate(2004, 3, 8));
    EXPECT_EQ(form->Image1->size(), QSize(90, 70)) << "another day of the same file";
    EXPECT_EQ(form->LastShownDate(), QDate(2004, 3, 8));
}

TEST_F(CalendarTest, ClickingTheDayOnShowKeepsItsPicture)
{
    // Three numbered pictures of the day: a new look-up could draw another.
    for (const char* name : {"2004030501.jpg", "2004030502.jpg", "2004030503.jpg"})
        writePicture(file(QString::fromLatin1(name)), 100, 80);
    auto form = shownForm(QDate(2004, 3, 5));
    const QString shown = form->CurrentPictureFile();
    ASSERT_FALSE(shown.isEmpty());
    for (int i = 0; i < 20; ++i) {
        clickDay(*form, QDate(2004, 3, 5));
        EXPECT_EQ(form->CurrentPictureFile(), shown);
    }
}

TEST_F(CalendarTest, AMonthChangeLooksUpThePicture)
{
    writePicture(file("20040300.jpg"), 100, 80);
    writePicture(file("20040400.jpg"), 300, 400);
    auto form = shownForm(QDate(2004, 3, 31));
    EXPECT_EQ(form->CurrentPictureFile(), file("20040300.jpg"));
    form->MonthCalendar1->setSelectedDate(QDate(2004, 4, 1));
    EXPECT_EQ(form->CurrentPictureFile(), file("20040400.jpg"));
    EXPECT_EQ(form->width(), 117 + 244);
}

TEST_F(CalendarTest, WithoutAPictureOnlyTheCalendarShows)
{
    // No directory, a directory that does not exist, an empty one.
    const QString missing = pictures.filePath(QStringLiteral("missing"));
    const QString empty = pictures.path();
    for (const QString& directory : {QString(), missing, empty}) {
        TCalendarForm form;
        form.setDate(QDate(2004, 3, 5));
        form.SetPictureDirectory(directory);
        form.show();
        EXPECT_EQ(form.width(), 228) << directory.toStdString();
        EXPECT_EQ(form.height(), 174);
        EXPECT_TRUE(form.CurrentPictureFile().isEmpty());
        EXPECT_TRUE(form.Image1->pixmap().isNull());
    }
}

TEST_F(CalendarTest, APictureThatCannotBeReadShowsNone)
{
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(small.save(&buffer, "JPG"));
    }
    // A bitmap header claiming a picture of 30000 x 30000 pixels.
    QByteArray hugeBmp;
    {
        QImage tiny(2, 2, QImage::Format_RGB32);
        tiny.fill(Qt::blue);
        QBuffer buffer(&hugeBmp);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(tiny.save(&buffer, "BMP"));
        const qint32 side = 30000;
        hugeBmp.replace(18, 4, reinterpret_cast<const char*>(&side), 4);
        hugeBmp.replace(22, 4, reinterpret_cast<const char*>(&side), 4);
    }
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"not a picture", "This is not a picture at all."},
        {"an empty file", {}},
        {"a cut-off JPEG", jpeg.left(120)},
        {"a huge bitmap", hugeBmp},
    };
    writePicture(file("20040301.jpg"), 400, 300);
    for (const auto& c : cases) {
        writeBytes(file("20040302.jpg"), c.bytes);
        auto form = shownForm(QDate(2004, 3, 1));
        ASSERT_EQ(form->width(), 452);
        clickDay(*form, QDate(2004, 3, 2));
        EXPECT_EQ(form->width(), 228) << c.what;
        EXPECT_TRUE(form->CurrentPictureFile().isEmpty()) << c.what;
        EXPECT_TRUE(form->Image1->pixmap().isNull()) << c.what;
        EXPECT_TRUE(form->Label1->isHidden()) << c.what;
        EXPECT_TRUE(messages.messages().isEmpty()) << c.what;
        // The pick goes on: another day shows its picture, a double-click accepts.
        clickDay(*form, QDate(2004, 3, 1));
        EXPECT_EQ(form->width(), 452) << c.what;
        clickDay(*form, QDate(2004, 3, 2), true);
        EXPECT_EQ(form->result(), QDialog::Accepted) << c.what;
        EXPECT_EQ(form->date(), QDate(2004, 3, 2)) << c.what;
    }
}

TEST_F(CalendarTest, ALargeJpegIsDecodedAtItsDisplaySize)
{
    writePicture(file("20040305.jpg"), 2400, 1800);
    // The full picture would need about 17 MB; at an eighth it needs 270 KB.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(2);
    auto form = shownForm(QDate(2004, 3, 5));
    QImageReader::setAllocationLimit(limit);
    EXPECT_EQ(form->CurrentPictureFile(), file("20040305.jpg"));
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(208, 156));
    EXPECT_EQ(form->width(), 452);
}

// --- picking a date ---

class PickTest : public CalendarTest {
protected:
    PickTest() { savedDirectory = kv::data::SystemInfo().CalDirectory; }
    ~PickTest() override { kv::data::SystemInfo().CalDirectory = savedDirectory; }
    QString savedDirectory;
};

TEST_F(PickTest, ADoubleClickedDayIsPicked)
{
    writePicture(file("03.jpg"), 100, 80);
    setStartingDirectory(settingsDir.path());  // replaced by the settings record's
    kv::data::SystemInfo().CalDirectory = pictures.path();

    QDialog owner;
    QString seenDirectory;
    QDate seenStart;
    int seenWidth = 0;
    const QDate picked(2004, 3, 17);
    ModalHandlerScope scope([&](QObject& window) {
        auto& form = dynamic_cast<TCalendarForm&>(window);
        EXPECT_EQ(form.parent(), &owner);
        seenDirectory = form.PictureDirectory();
        seenStart = form.date();
        form.show();
        seenWidth = form.width();
        clickDay(form, picked, true);
        return form.result();
    });
    EXPECT_EQ(PickCalendarDate(&owner, QDate(2004, 3, 5)), picked);
    EXPECT_EQ(seenDirectory, dir());
    EXPECT_EQ(seenStart, QDate(2004, 3, 5));
    EXPECT_EQ(seenWidth, 344);
    // The window lives for one pick.
    EXPECT_TRUE(owner.findChildren<TCalendarForm*>().isEmpty());
}

TEST_F(PickTest, ClosingTheWindowPicksNothing)
{
    kv::data::SystemInfo().CalDirectory.clear();
    QDate seenStart;
    int seenWidth = 0;
    ModalHandlerScope scope([&](QObject& window) {
        auto& form = dynamic_cast<TCalendarForm&>(window);
        seenStart = form.date();
        form.show();
        seenWidth = form.width();
        clickDay(form, QDate(2004, 3, 9));
        form.reject();
        return form.result();
    });
    // An invalid start opens on today.
    EXPECT_FALSE(PickCalendarDate(nullptr, QDate()).has_value());
    EXPECT_EQ(seenStart, QDate::currentDate());
    EXPECT_EQ(seenWidth, 228);
}

TEST_F(CalendarTest, RecordEditorsStartAtTheFieldsDate)
{
    kv::test::OpenDataModule m;
    kv::data::Table& people = m.dm.PersonTable;
    EXPECT_TRUE(people.insert());
    people.setFieldValue(QStringLiteral("Birthdate"), QDate(1970, 1, 2));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(FieldDateOr(people, QStringLiteral("Birthdate"), today), QDate(1970, 1, 2));
    EXPECT_EQ(FieldDateOr(people, QStringLiteral("DeathDate"), today), today);
    people.setFieldValue(QStringLiteral("Birthdate"), QStringLiteral("not a date"));
    EXPECT_EQ(FieldDateOr(people, QStringLiteral("Birthdate"), today), today);
    people.cancel();
}

}  // namespace
