// kestrelview-catalogue bulk-load and scan, run as the real program on a
// catalogue and picture files in a temporary directory.
#include "support/TempCatalogue.h"
#include "pictures/PictureTestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>

using ::testing::HasSubstr;

namespace {

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

class BulkCommandTest : public ::testing::Test {
protected:
    kv::test::TempCatalogue catalogue;
    QTemporaryDir files;

    void SetUp() override
    {
        kv::test::pictureApplication();
        sql(QString("Update \"Settings.db\" Set PreviewDir = '%1', PreviewSizeX = 40, PreviewSizeY = 30")
                .arg(files.filePath("previews")));
    }

    ToolRun tool(const QStringList& arguments)
    {
        QProcess p;
        p.start(QStringLiteral(KV_CATALOGUE_TOOL), arguments);
        EXPECT_TRUE(p.waitForFinished(120000)) << arguments.join(' ').toStdString();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QString sql(const QString& statement) { return tool({"sql", catalogue.path(), statement}).out; }

    QString pictures(const QString& name, int count, int width = 64, int height = 48)
    {
        const QString path = files.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        for (int i = 0; i < count; ++i)
            kv::test::writeQtJpeg(QDir(path).filePath(QString("p%1.jpg").arg(i, 4, 10, QChar('0'))),
                                  kv::test::gradientPicture(width, height, 12, static_cast<quint32>(i)));
        return path;
    }
    void addLocation(const QString& description, const QString& directory)
    {
        sql(QString("Insert Into \"StorageLocation.db\" (StorageLocationDescriptio, MediaType, Directory) "
                    "Values ('%1', 1, '%2')")
                .arg(description, directory));
    }
    QStringList defaults() const
    {
        return {"--description", "Holiday", "--rating", "1", "--category", "1", "--place", "1",
                "--photographer", "1", "--date", "07/04/2003"};
    }
};

TEST_F(BulkCommandTest, LoadRefuseAndScan)
{
    addLocation("One", pictures("one", 3));
    addLocation("Gone", files.filePath("gone"));
    sql("Insert Into \"MediaType.db\" (MediaTypeDescription, ShowFileName) Values ('Disc', True)");

    const ToolRun refused = tool({"bulk-load", catalogue.path(), "--location", "1", "--rating", "1"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err.toStdString(), HasSubstr("Please Enter A Default Description To Load For These Pictures!"));
    EXPECT_THAT(sql("Select Count(*) From \"PictureInfo.db\"").toStdString(), ::testing::EndsWith("\n0\n"));

    const ToolRun loaded = tool(QStringList{"bulk-load", catalogue.path(), "--location", "1"} + defaults());
    EXPECT_EQ(loaded.code, 0) << loaded.err.toStdString();
    EXPECT_THAT(loaded.out.toStdString(), HasSubstr("Loaded 3 pictures"));

    const ToolRun scanned = tool(QStringList{"scan", catalogue.path(), "--all"} + defaults());
    EXPECT_EQ(scanned.code, 0) << scanned.err.toStdString();
    EXPECT_THAT(scanned.out.toStdString(), HasSubstr("Loaded 0 pictures"));
    EXPECT_THAT(scanned.out.toStdString(),
                HasSubstr(("Could not locate directory: " + files.filePath("gone")).toStdString()));
    EXPECT_EQ(scanned.out.count("Error: This Picture Already Exists In The Database: "), 3);

    EXPECT_EQ(tool({"scan", catalogue.path()}).code, 2);
    EXPECT_EQ(tool({"bulk-load", catalogue.path(), "--location", "x"}).code, 2);
}

// Killed in the middle of a load, the catalogue is whole: it passes the
// engine's integrity check and every picture row has its preview.
TEST_F(BulkCommandTest, KilledMidLoadLeavesWholePictures)
{
    const int count = 400;
    addLocation("Big", pictures("big", count, 400, 300));
    QProcess p;
    p.start(QStringLiteral(KV_CATALOGUE_TOOL),
            QStringList{"bulk-load", catalogue.path(), "--location", "1", "--threads", "2"} + defaults());
    QString out;
    while (!out.contains(" of ") && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(100);
        out += QString::fromUtf8(p.readAllStandardOutput());
    }
    p.kill();
    p.waitForFinished(10000);
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << "the load finished before it was killed";

    const ToolRun check = tool({"check", catalogue.path()});
    EXPECT_EQ(check.out, "ok\n") << check.err.toStdString();
    const QStringList lines = sql("Select PictureID, PreviewAvailable From \"PictureInfo.db\"").split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 1);
    EXPECT_LT(lines.size() - 1, count);
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split('\t');
        EXPECT_EQ(fields.value(1), "1") << line.toStdString();
        EXPECT_TRUE(QFile::exists(QDir(files.filePath("previews")).filePath(fields.value(0) + ".jpg")));
    }
}

}  // namespace
