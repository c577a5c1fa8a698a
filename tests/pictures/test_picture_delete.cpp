// Deleting pictures: rows, links and default-picture references in one
// transaction; preview files and, on request, the pictures' own files only
// after it commits.
#include "support/TempCatalogue.h"

#include "common/MessageService.h"
#include "data/EngineError.h"
#include "data/FieldValue.h"
#include "data/Query.h"
#include "data/SystemInfo.h"
#include "pictures/PictureDelete.h"
#include "pictures/Previews.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::data;
using kv::pictures::DeletePictures;

namespace {

QString sqlText(const QString& s)
{
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// What is left of a picture: row, person link, album link, own file, preview.
struct Left {
    bool row, personLink, albumLink, file, preview;
    bool operator==(const Left&) const = default;
};
constexpr Left kWhole{true, true, true, true, true};

class PictureDeleteTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    QTemporaryDir files;
    QString previews;
    // Three pictures, each with a person link, an album link, its own file
    // and its preview; Ann's default picture is the first, Bo's the third.
    QList<qint64> pictures{1, 2, 3};
    const QStringList names{QStringLiteral("Ånna; \"quoted\" .jpg"), QStringLiteral("two.jpg"),
                            QStringLiteral("three.jpg")};
    const qint64 ann = 1, bo = 2;

    void SetUp() override
    {
        previews = files.filePath(QStringLiteral("previews"));
        QDir().mkpath(previews);
        SystemInfo().PreviewDir = previews;
        m.db().exec(QStringLiteral("INSERT INTO StorageLocation (StorageLocationID, Directory) VALUES (1, %1)")
                        .arg(sqlText(files.path())));
        for (int i = 0; i < pictures.size(); ++i) {
            const qint64 id = pictures[i];
            m.db().exec(QStringLiteral("INSERT INTO PictureInfo (PictureID, PictureDescription, StorageLocationID, "
                                       "FileName) VALUES (%1, 'p', 1, %2)")
                            .arg(id)
                            .arg(sqlText(names[i])));
            m.db().exec(QStringLiteral("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (%1, 1)").arg(id));
            m.db().exec(QStringLiteral("INSERT INTO AlbumList (AlbumID, AlbumPictureID) VALUES (1, %1)").arg(id));
            touch(files.filePath(names[i]));
            touch(kv::pictures::PreviewPath(id));
        }
        m.db().exec(QStringLiteral("INSERT INTO Person (PersonID, PersonDescription, PersonPicture) VALUES "
                                   "(1, 'Ann', 1), (2, 'Bo', 3)"));
        dm.PictureInfoTable.refresh();
    }
    void TearDown() override { SystemInfo() = TSystemInfo(); }

    static void touch(const QString& path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    }
    qint64 count(const QString& sql)
    {
        Query q(&m.db());
        q.addLine(sql);
        q.open();
        return readInteger(q, q.fieldNames().first());
    }
    Left left(int index)
    {
        const QString id = QString::number(pictures[index]);
        return {count("Select Count(*) From \"PictureInfo.db\" Where PictureID = " + id) == 1,
                count("Select Count(*) From \"PicturePeople.db\" Where PictureID = " + id) == 1,
                count("Select Count(*) From \"AlbumList.db\" Where AlbumPictureID = " + id) == 1,
                QFile::exists(files.filePath(names[index])), QFile::exists(kv::pictures::PreviewPath(pictures[index]))};
    }
};

TEST_F(PictureDeleteTest, DeletesOneOrAListWithLinksDefaultsAndFiles)
{
    const struct {
        const char* name;
        QList<int> indexes;  // into pictures; repeats are harmless
        bool originals;
        qint64 annPicture, boPicture;
    } cases[] = {
        {"one, with its file", {0}, true, -1, 3},
        {"one, file kept", {2}, false, 1, -1},
        {"a list", {0, 2, 0}, true, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PictureDeleteTest::TearDown();
        m.db().exec(QStringLiteral("DELETE FROM PictureInfo; DELETE FROM PicturePeople; DELETE FROM AlbumList; "
                                   "DELETE FROM Person; DELETE FROM StorageLocation"));
        SetUp();
        QList<qint64> ids;
        for (int i : c.indexes)
            ids << pictures[i];
        DeletePictures(dm, ids, c.originals);
        for (int i = 0; i < pictures.size(); ++i) {
            const bool deleted = c.indexes.contains(i);
            const Left expected = deleted ? Left{false, false, false, !c.originals, false} : kWhole;
            EXPECT_TRUE(left(i) == expected) << "picture " << pictures[i];
        }
        EXPECT_EQ(dm.PersonPictureOf(ann), c.annPicture);
        EXPECT_EQ(dm.PersonPictureOf(bo), c.boPicture);
        // The data module's table no longer shows the deleted rows.
        for (int i : c.indexes)
            EXPECT_FALSE(dm.PictureInfoTable.locate(QStringLiteral("PictureID"), pictures[i]));
    }
}

TEST_F(PictureDeleteTest, AFailureLeavesRowsLinksDefaultsAndFiles)
{
    const struct {
        const char* name;
        std::function<void()> act;
    } cases[] = {
        {"the picture rows refuse to go",
         [&] {
             m.db().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON PictureInfo "
                                        "BEGIN SELECT RAISE(ABORT, 'injected'); END"));
             DeletePictures(dm, {1, 2}, true);
         }},
        {"the enclosing work fails after the delete",
         [&] {
             dm.InOneTransaction([&] {
                 DeletePictures(dm, {1, 2}, true);
                 throw EngineError(QStringLiteral("injected"));
             });
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(c.act(), EngineError);
        for (int i = 0; i < pictures.size(); ++i)
            EXPECT_TRUE(left(i) == kWhole) << "picture " << pictures[i];
        EXPECT_EQ(dm.PersonPictureOf(ann), 1);
        EXPECT_EQ(dm.PersonPictureOf(bo), 3);
        m.db().exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
    }
}

TEST_F(PictureDeleteTest, MissingFilesAndAnEmptyListAreNoError)
{
    QFile::remove(files.filePath(names[1]));
    QFile::remove(kv::pictures::PreviewPath(2));
    DeletePictures(dm, {}, true);
    EXPECT_TRUE(left(0) == kWhole);
    DeletePictures(dm, {2}, true);
    EXPECT_TRUE(left(1) == (Left{false, false, false, false, false}));
    EXPECT_TRUE(left(0) == kWhole);
}

}  // namespace
