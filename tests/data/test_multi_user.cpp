// Two programs posting to one catalogue at the same time lose nothing and
// catalogue no file twice.
#include "support/TempCatalogue.h"

#include "data/Query.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace kv::data;

TEST(MultiUser, TwoProcessesPostingAtOnceKeepEveryRow)
{
    kv::test::TempCatalogue cat;
    QProcess a, b;
    for (QProcess* p : {&a, &b})
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    a.start(QStringLiteral(KV_POST_ROWS), {cat.path(), QStringLiteral("500"), QStringLiteral("A")});
    b.start(QStringLiteral(KV_POST_ROWS), {cat.path(), QStringLiteral("500"), QStringLiteral("B")});
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);

    auto db = cat.open(true);
    Query q(db.get());
    q.addLine(QStringLiteral("Select Count(PictureID) AS N, Count(DISTINCT PictureDescription) AS D From \"PictureInfo.db\""));
    q.open();
    EXPECT_EQ(readInteger(q, QStringLiteral("N")), 1000);
    EXPECT_EQ(readInteger(q, QStringLiteral("D")), 1000);
}

// Two workstations adding the same file at the same moment: both pass the
// checks before the write, yet only one picture is catalogued; the other is
// told the picture already exists.
TEST(MultiUser, TwoWorkstationsCannotBothCatalogueOneFile)
{
    kv::test::TempCatalogue cat;
    QTemporaryDir barrier;
    QProcess a, b;
    for (QProcess* p : {&a, &b})
        p->setProcessChannelMode(QProcess::SeparateChannels);
    a.start(QStringLiteral(KV_POST_PICTURE), {cat.path(), QStringLiteral("IMG_0042.JPG"), barrier.path(), QStringLiteral("A")});
    b.start(QStringLiteral(KV_POST_PICTURE), {cat.path(), QStringLiteral("img_0042.jpg"), barrier.path(), QStringLiteral("B")});
    // Both have passed the checks before the write: let them go together.
    QDeadlineTimer deadline(60000);
    while (!(QFile::exists(barrier.filePath("A.ready")) && QFile::exists(barrier.filePath("B.ready")))
           && !deadline.hasExpired())
        QThread::msleep(5);
    QFile go(barrier.filePath("go"));
    ASSERT_TRUE(go.open(QIODevice::WriteOnly));
    go.close();
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));

    const QList<int> codes{a.exitCode(), b.exitCode()};
    EXPECT_TRUE(codes.contains(0) && codes.contains(4)) << codes[0] << " " << codes[1] << " "
                                                        << a.readAllStandardError().toStdString()
                                                        << b.readAllStandardError().toStdString();
    const QByteArray refusal = (a.exitCode() == 4 ? a : b).readAllStandardOutput();
    EXPECT_EQ(refusal, "This picture already exists in the database!\r\n");

    auto db = cat.open(true);
    Query q(db.get());
    q.addLine(QStringLiteral("Select Count(PictureID) AS N From \"PictureInfo.db\""));
    q.open();
    EXPECT_EQ(readInteger(q, QStringLiteral("N")), 1);
}
