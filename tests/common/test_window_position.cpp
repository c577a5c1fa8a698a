// Window positions kept between runs.
#include "TestApplication.h"

#include "common/WindowPosition.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using kv::common::ResetAllPositions;
using kv::common::TSaveFormPosition;

namespace {

class WindowPositionTest : public ::testing::Test {
protected:
    QTemporaryDir settingsDir;
    void SetUp() override
    {
        kv::test::testApplication<QApplication>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    }
    static QSettings settings() { return QSettings(QStringLiteral("Marrowind"), QStringLiteral("Kestrelview")); }

    // A window at its design bounds with its keeper.
    std::unique_ptr<QWidget> window(const QString& name)
    {
        auto w = std::make_unique<QWidget>();
        w->setGeometry(100, 120, 300, 200);
        new TSaveFormPosition(w.get(), name);
        return w;
    }
};

}  // namespace

TEST_F(WindowPositionTest, FirstRunUsesTheDesignAndClosingWritesFourValues)
{
    auto w = window("Security");
    EXPECT_EQ(w->size(), QSize(300, 200));
    w->show();
    w->resize(420, 260);
    w->move(40, 50);
    w.reset();
    QSettings s = settings();
    s.beginGroup("Forms/Security");
    EXPECT_EQ(s.childKeys().size(), 4);
    EXPECT_EQ(s.value("Width").toInt(), 420);
    EXPECT_EQ(s.value("Height").toInt(), 260);
    EXPECT_EQ(s.value("Left").toInt(), 40);
    EXPECT_EQ(s.value("Top").toInt(), 50);
    s.endGroup();

    auto again = window("Security");
    EXPECT_EQ(again->size(), QSize(420, 260));
    EXPECT_EQ(again->pos(), QPoint(40, 50));
}

TEST_F(WindowPositionTest, AKeyHoldingOnlyWidthChangesOnlyTheWidth)
{
    {
        QSettings s = settings();
        s.setValue("Forms/Place/Width", 555);
        s.setValue("Forms/Other/Height", 10);  // another window's key is not read
    }
    auto w = window("Place");
    EXPECT_EQ(w->width(), 555);
    EXPECT_EQ(w->height(), 200);
    EXPECT_EQ(w->pos(), QPoint(100, 120));
}

TEST_F(WindowPositionTest, RestoreDesignAndResetAll)
{
    {
        QSettings s = settings();
        s.setValue("Forms/User Settings/Width", 600);
        s.setValue("Forms/Main Form/Left", 5);
    }
    auto w = std::make_unique<QWidget>();
    w->setGeometry(100, 120, 300, 200);
    auto* keeper = new TSaveFormPosition(w.get(), "User Settings");
    EXPECT_EQ(w->width(), 600);
    ResetAllPositions();
    EXPECT_TRUE(settings().childGroups().isEmpty());
    keeper->RestoreDesignPosition();
    EXPECT_EQ(w->geometry().size(), QSize(300, 200));
    EXPECT_EQ(w->pos(), QPoint(100, 120));
    w.reset();  // an open window writes its key again when it goes
    EXPECT_EQ(settings().value("Forms/User Settings/Width").toInt(), 300);
    EXPECT_FALSE(settings().contains("Forms/Main Form/Left"));
}
