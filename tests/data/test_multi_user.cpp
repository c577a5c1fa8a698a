// Two programs posting to one catalogue at the same time lose nothing.
#include "support/TempCatalogue.h"

#include "data/Query.h"

#include <QProcess>

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
