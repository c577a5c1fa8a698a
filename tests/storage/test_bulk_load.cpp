// The bulk load and the scan for new pictures on a real catalogue and real
// picture files made here, with the picture editor's pause scripted.
#include "support/TempCatalogue.h"
#include "support/TestFiles.h"
#include "pictures/PictureTestFiles.h"

#include "common/MessageService.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/Previews.h"
#include "storage/BulkLoad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace kv::storage;
using kv::test::writeFile;

namespace {

struct PictureRow {
    QString fileName;
    qint64 location;
    QString description;
    bool previewAvailable;
    bool operator==(const PictureRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const PictureRow& r)
{
    return os << r.fileName.toStdString() << "@" << r.location << " '" << r.description.toStdString() << "' "
              << r.previewAvailable;
}

QString withPath(const char* pattern, const QString& path)
{
    return QString::fromLatin1(pattern).replace("%s%", path);
}

class BulkLoadTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    kv::data::TProgramDataForm& dm = m.dm;
    kv::common::ScriptedMessages messages;
    QTemporaryDir dir;
    kv::data::TSystemInfo savedInfo = kv::data::SystemInfo();
    QString previews;

    void SetUp() override
    {
        kv::test::pictureApplication();
        previews = dir.filePath("previews");
        kv::data::SystemInfo().PreviewDir = previews;
        kv::data::SystemInfo().PreviewSizeX = 60;
        kv::data::SystemInfo().PreviewSizeY = 40;
        dm.StorageLocationTable.detachMaster();
    }
    void TearDown() override { kv::data::SystemInfo() = savedInfo; }

    qint64 addLocation(const QString& directory, const QString& description = "Disc")
    {
        kv::data::Table& t = dm.StorageLocationTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("StorageLocationDescriptio", description);
        t.setFieldValue("MediaType", 1);
        t.setFieldValue("Directory", directory);
        EXPECT_TRUE(t.post());
        return kv::data::readInteger(t, "StorageLocationID");
    }

    QString makeDirectory(const QString& name, const QStringList& files)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        for (const QString& file : files) {
            const QString full = QDir(path).filePath(file);
            if (file.endsWith(".bmp"))
                kv::test::gradientPicture(90, 60, 12, 3).save(full, "BMP");
            else
                kv::test::writeQtJpeg(full, kv::test::gradientPicture(120, 80, 12, static_cast<quint32>(file.size())));
        }
        return path;
    }

    BulkLoadDefaults defaults(qint64 location)
    {
        BulkLoadDefaults d;
        d.description = "Holiday";
        d.dateText = "07/04/2003";
        d.place = d.category = d.photographer = d.rating = 1;
        d.mediaType = 1;
        d.storageLocation = location;
        return d;
    }

    std::vector<PictureRow> rows()
    {
        std::vector<PictureRow> out;
        auto result = m.db().runLocalSql(
            "Select FileName, StorageLocationID, PictureDescription, PreviewAvailable From \"PictureInfo.db\" "
            "Order By PictureID");
        while (result.rows->step())
            out.push_back({kv::data::valueText(result.rows->column(0)),
                           kv::data::valueInteger(result.rows->column(1), -1),
                           kv::data::valueText(result.rows->column(2)),
                           kv::data::valueBool(result.rows->column(3), false)});
        return out;
    }

    qint64 count(const char* table)
    {
        auto result = m.db().runLocalSql(QString("Select Count(*) From \"%1\"").arg(table));
        result.rows->step();
        return kv::data::valueInteger(result.rows->column(0), -1);
    }

    QStringList previewFiles() { return QDir(previews).entryList(QDir::Files, QDir::Name); }
};

TEST_F(BulkLoadTest, LoadsByKindOnceAndListsWhatExists)
{
    const QString pictures = makeDirectory("disc", {"c.bmp", "b.jpeg", "a.jpg"});
    makeDirectory("disc/inner", {"d.jpg"});
    writeFile(QDir(pictures).filePath("notes.txt"), "text");
    const qint64 location = addLocation(pictures);
    BulkLoadDefaults d = defaults(location);
    d.people = {4, 5};
    d.albums = {7};
    BulkLoader loader(dm);
    QStringList refusal;
    ASSERT_TRUE(loader.load(d, refusal)) << refusal.join("|").toStdString();
    EXPECT_TRUE(loader.errors().isEmpty()) << loader.errors().join("|").toStdString();
    const std::vector<PictureRow> loaded{{"a.jpg", location, "Holiday", true},
                                         {"b.jpeg", location, "Holiday", true},
                                         {"c.bmp", location, "Holiday", true}};
    EXPECT_EQ(rows(), loaded);
    EXPECT_EQ(count("PicturePeople.db"), 6);
    EXPECT_EQ(count("AlbumList.db"), 3);
    EXPECT_EQ(previewFiles().size(), 3);
    for (const auto& file : previewFiles())
        EXPECT_FALSE(QImage(QDir(previews).filePath(file)).isNull()) << file.toStdString();

    // Again: nothing added, every file listed.
    BulkLoader again(dm);
    ASSERT_TRUE(again.load(d, refusal));
    EXPECT_EQ(rows(), loaded);
    EXPECT_EQ(again.errors(), (QStringList{withPath(kAlreadyExistsLine, QDir(pictures).filePath("a.jpg")),
                                           withPath(kAlreadyExistsLine, QDir(pictures).filePath("b.jpeg")),
                                           withPath(kAlreadyExistsLine, QDir(pictures).filePath("c.bmp"))}));

    // The same names in another location are other pictures.
    const qint64 other = addLocation(pictures, "Copy");
    BulkLoadDefaults d2 = defaults(other);
    BulkLoader third(dm);
    ASSERT_TRUE(third.load(d2, refusal));
    EXPECT_EQ(third.loadedCount(), 3);
    EXPECT_EQ(rows().size(), 6u);
}

TEST_F(BulkLoadTest, RefusedDefaultsWriteNothing)
{
    const QString pictures = makeDirectory("disc", {"a.jpg"});
    const qint64 location = addLocation(pictures);
    const qint64 noDirectory = addLocation("");
    const qint64 gone = addLocation(dir.filePath("missing"));
    const qint64 previewLocation = addLocation(previews);
    QDir().mkpath(previews);
    struct Case {
        const char* name;
        std::function<void(BulkLoadDefaults&)> change;
        QStringList messages;
    };
    const std::vector<Case> cases{
        {"no description and no rating",
         [](BulkLoadDefaults& d) {
             d.description = "";
             d.rating = -1;
         },
         {"Please Enter A Default Description To Load For These Pictures!",
          "Please Select The Default Rating For The Pictures!"}},
        {"a day that does not exist", [](BulkLoadDefaults& d) { d.dateText = "02/30/2003"; },
         {"Please Enter A Default Date The Pictures Were Taken or Select Use File Date!"}},
        {"no location", [](BulkLoadDefaults& d) { d.storageLocation = -1; },
         {"Please Select The Default Storage Location For The Pictures!"}},
        {"no directory", [&](BulkLoadDefaults& d) { d.storageLocation = noDirectory; },
         {"Error: No Directory is Defined For This Storage Location"}},
        {"missing directory", [&](BulkLoadDefaults& d) { d.storageLocation = gone; },
         {withPath("Error: Directory: %s% Does Not Exist", dir.filePath("missing"))}},
        {"the preview directory", [&](BulkLoadDefaults& d) { d.storageLocation = previewLocation; },
         {withPath(kPreviewDirectoryLine, previews)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BulkLoadDefaults d = defaults(location);
        c.change(d);
        BulkLoader loader(dm);
        QStringList refusal;
        EXPECT_FALSE(loader.load(d, refusal));
        EXPECT_EQ(refusal, c.messages);
        EXPECT_TRUE(rows().empty());
        EXPECT_TRUE(previewFiles().empty());
    }
    // A date from the file instead of a typed one.
    BulkLoadDefaults d = defaults(location);
    d.dateText = "02/30/2003";
    d.useFileDate = true;
    BulkLoader loader(dm);
    QStringList refusal;
    EXPECT_TRUE(loader.load(d, refusal));
    auto result = m.db().runLocalSql("Select DateTaken From \"PictureInfo.db\"");
    ASSERT_TRUE(result.rows->step());
    EXPECT_EQ(kv::data::valueDate(result.rows->column(0)),
              QFileInfo(QDir(pictures).filePath("a.jpg")).lastModified().date());
}

TEST_F(BulkLoadTest, PreviewDirectoryIsMadeAndMustBeWritable)
{
    const QString pictures = makeDirectory("disc", {"a.jpg"});
    const qint64 location = addLocation(pictures);
    kv::data::SystemInfo().PreviewDir = dir.filePath("new/previews");
    BulkLoadDefaults d = defaults(location);
    BulkLoader loader(dm);
    QStringList refusal;
    EXPECT_TRUE(loader.load(d, refusal)) << refusal.join("|").toStdString();
    EXPECT_TRUE(QFileInfo::exists(kv::pictures::PreviewPath(1)));

    // A file where the directory should be: refused before any row.
    writeFile(dir.filePath("blocked"), "x");
    kv::data::SystemInfo().PreviewDir = dir.filePath("blocked");
    const qint64 other = addLocation(pictures, "Other");
    BulkLoadDefaults d2 = defaults(other);
    BulkLoader refused(dm);
    EXPECT_FALSE(refused.load(d2, refusal));
    EXPECT_EQ(refusal.size(), 1);
    EXPECT_EQ(rows().size(), 1u);
}

TEST_F(BulkLoadTest, PausingContinueAndAbort)
{
    const QString pictures = makeDirectory("disc", {"a.jpg", "b.jpg", "c.jpg"});
    struct Case {
        PauseResult answer;
        int pauses;
        size_t loaded;
        QStringList errors;
    };
    const std::vector<Case> cases{
        {PauseResult::StopPausing, 1, 3, {kPausingOffLine}},
        {PauseResult::Abort, 1, 1, {kLoadAbortedLine}},
        {PauseResult::Next, 3, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        const qint64 location = addLocation(pictures);
        const size_t before = rows().size();
        BulkLoadDefaults d = defaults(location);
        d.pauseAfterEach = true;
        d.showPreview = true;
        int pauses = 0;
        BulkLoader loader(dm);
        loader.pause = [&](qint64 picture, const QString& file, bool showPreview) {
            ++pauses;
            EXPECT_TRUE(showPreview);
            EXPECT_EQ(rows().back().fileName, QFileInfo(file).fileName());
            EXPECT_GT(picture, 0);
            return c.answer;
        };
        QStringList refusal;
        ASSERT_TRUE(loader.load(d, refusal));
        EXPECT_EQ(pauses, c.pauses);
        EXPECT_EQ(rows().size() - before, c.loaded);
        EXPECT_EQ(loader.errors(), c.errors);
        EXPECT_EQ(d.pauseAfterEach, c.answer != PauseResult::StopPausing);
    }
}

TEST_F(BulkLoadTest, ScanListsMissingDirectoriesAndScansTheRest)
{
    const QString first = makeDirectory("one", {"a.jpg"});
    const QString second = makeDirectory("two", {"b.jpg", "c.bmp"});
    const qint64 a = addLocation(first, "One");
    const qint64 missing = addLocation(dir.filePath("gone"), "Gone");
    const qint64 b = addLocation(second, "Two");
    BulkLoadDefaults d = defaults(-1);
    d.mediaType = -1;
    BulkLoader loader(dm);
    QStringList lines;
    loader.progress.line1 = [&](const QString& text) { lines << text; };
    QStringList refusal;
    ASSERT_TRUE(loader.scan(d, {a, missing, b}, refusal)) << refusal.join("|").toStdString();
    EXPECT_EQ(loader.errors(), QStringList{withPath(kMissingDirectoryLine, dir.filePath("gone"))});
    const std::vector<PictureRow> loaded{{"a.jpg", a, "Holiday", true},
                                         {"b.jpg", b, "Holiday", true},
                                         {"c.bmp", b, "Holiday", true}};
    EXPECT_EQ(rows(), loaded);
    EXPECT_EQ(lines, (QStringList{"Scanning For Pictures : One", "Scanning For Pictures : Two"}));
}

// Names that must reach the catalogue as they are, damaged files (entered
// with the error image as preview) and two names that fold alike.
TEST_F(BulkLoadTest, AwkwardNamesAndDamagedFiles)
{
    const QString pictures = makeDirectory("disc", {"a\"b.jpg", "semi;colon.jpg", "line\nbreak.jpg", "x.jpg"});
    writeFile(QDir(pictures).filePath("empty.jpg"), "");
    const QByteArray whole = kv::test::readBytes(QDir(pictures).filePath("x.jpg"));
    writeFile(QDir(pictures).filePath("half.jpg"), whole.left(whole.size() / 2));
    const bool caseSensitive = !QFile::exists(QDir(pictures).filePath("X.JPG"));
    if (caseSensitive)
        kv::test::writeQtJpeg(QDir(pictures).filePath("X.JPG"), kv::test::gradientPicture(20, 20));
    // A name that is not UTF-8 cannot be opened through decoded text: it is
    // not catalogued (the file listing leaves it out).
    const QByteArray latin1Name = QFile::encodeName(pictures) + "/caf\xE9.jpg";
    QFile::copy(QDir(pictures).filePath("x.jpg"), QString::fromLatin1("%1/copy.jpg").arg(dir.path()));
    ASSERT_EQ(std::rename(QFile::encodeName(dir.filePath("copy.jpg")).constData(), latin1Name.constData()), 0);
    const qint64 location = addLocation(pictures);
    BulkLoadDefaults d = defaults(location);
    BulkLoader loader(dm);
    QStringList refusal;
    ASSERT_TRUE(loader.load(d, refusal));
    const QStringList errors = loader.errors();
    std::remove(latin1Name.constData());
    QStringList names;
    for (const auto& row : rows()) {
        names << row.fileName;
        EXPECT_TRUE(row.previewAvailable);
    }
    // Of x.jpg and X.JPG the first listed is entered, the other listed.
    const QString second = caseSensitive && names.contains("X.JPG") ? "x.jpg" : "X.JPG";
    names.removeAll(second == "x.jpg" ? "X.JPG" : "x.jpg");
    names.sort();
    EXPECT_EQ(names, (QStringList{"a\"b.jpg", "empty.jpg", "half.jpg", "line\nbreak.jpg", "semi;colon.jpg"}));
    if (caseSensitive)
        EXPECT_EQ(errors, QStringList{withPath(kAlreadyExistsLine, QDir(pictures).filePath(second))});
    else
        EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(rows().size(), 6u);
}

// A file deleted, and a file entered by another workstation, while the load
// runs: the first is listed and not catalogued, the second is not entered
// twice. The same with worker threads decoding ahead.
TEST_F(BulkLoadTest, FilesChangingWhileTheLoadRuns)
{
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        const QString pictures = makeDirectory(QString("disc%1").arg(threads), {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        const qint64 location = addLocation(pictures);
        const size_t before = rows().size();
        BulkLoadDefaults d = defaults(location);
        d.pauseAfterEach = true;
        BulkLoader loader(dm);
        loader.setThreads(threads);
        loader.pause = [&](qint64, const QString& file, bool) {
            if (file.endsWith("a.jpg")) {
                QFile::remove(QDir(pictures).filePath("b.jpg"));
                auto other = m.catalogue.open();
                other->runLocalSql(QString("Insert Into \"PictureInfo.db\" (PictureDescription, FileName, "
                                           "StorageLocationID) Values ('Other', 'C.JPG', %1)")
                                       .arg(location));
            }
            return PauseResult::Next;
        };
        QStringList refusal;
        ASSERT_TRUE(loader.load(d, refusal));
        EXPECT_EQ(loader.errors(), (QStringList{withPath(kFileGoneLine, QDir(pictures).filePath("b.jpg")),
                                                withPath(kAlreadyExistsLine, QDir(pictures).filePath("c.jpg"))}));
        QStringList names;
        for (size_t i = before; i < rows().size(); ++i)
            names << rows()[i].fileName;
        EXPECT_EQ(names, (QStringList{"a.jpg", "C.JPG", "d.jpg"}));
    }
}

TEST_F(BulkLoadTest, ThreadedAndSingleThreadLoadsAgree)
{
    kv::data::SystemInfo().EncryptionKey = "secret";
    QStringList files;
    for (int i = 0; i < 9; ++i)
        files << QString("p%1.jpg").arg(i);
    files << "q.bmp";
    const QString pictures = makeDirectory("disc", files);
    writeFile(QDir(pictures).filePath("p9.jpg"), "not a picture");
    std::vector<std::pair<std::vector<PictureRow>, std::vector<QByteArray>>> runs;
    for (int threads : {1, 2}) {
        const qint64 location = addLocation(pictures);
        const size_t before = rows().size();
        BulkLoadDefaults d = defaults(location);
        BulkLoader loader(dm);
        loader.setThreads(threads);
        QStringList refusal;
        ASSERT_TRUE(loader.load(d, refusal));
        const std::vector<PictureRow> all = rows();
        std::vector<PictureRow> loaded(all.begin() + static_cast<long>(before), all.end());
        std::vector<QByteArray> bytes;
        auto ids = m.db().runLocalSql(
            QString("Select PictureID From \"PictureInfo.db\" Where StorageLocationID = %1 Order By PictureID")
                .arg(location));
        while (ids.rows->step())
            bytes.push_back(kv::test::readBytes(
                kv::pictures::PreviewPath(kv::data::valueInteger(ids.rows->column(0), -1))));
        for (auto& row : loaded)
            row.location = 0;
        runs.emplace_back(loaded, bytes);
    }
    EXPECT_EQ(runs[0].first.size(), 11u);
    EXPECT_EQ(runs[0], runs[1]);
}

// The chooser offers the locations of media types that show file names,
// by disc label then description, each with its ID kept apart.
TEST_F(BulkLoadTest, ScanChoicesFollowTheMediaType)
{
    auto addMediaType = [&](bool showFileName) {
        kv::data::Table& t = dm.MediaTypeTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("MediaTypeDescription", "Type");
        t.setFieldValue("ShowFileName", showFileName);
        EXPECT_TRUE(t.post());
        return kv::data::readInteger(t, "MediaTypeID");
    };
    const qint64 files = addMediaType(true);
    const qint64 prints = addMediaType(false);
    auto add = [&](const char* description, const char* label, qint64 mediaType) {
        const qint64 id = addLocation(dir.path(), description);
        kv::data::Table& t = dm.StorageLocationTable;
        EXPECT_TRUE(t.edit());
        t.setFieldValue("DiscLabel", label);
        t.setFieldValue("MediaType", mediaType);
        EXPECT_TRUE(t.post());
        return id;
    };
    const qint64 b = add("Beta;7", "L1", files);
    add("Album", "L0", prints);
    const qint64 a = add("Alpha", "L1", files);
    const auto choices = ScanChoices(dm);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].id, a);
    EXPECT_EQ(choices[0].text, QString("Alpha  L1;%1").arg(a));
    EXPECT_EQ(choices[1].id, b);
    EXPECT_EQ(choices[1].text, QString("Beta;7  L1;%1").arg(b));
}

}  // namespace
