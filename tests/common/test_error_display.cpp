// The default error display: an error a window's handler lets through is
// shown and logged, what the handler left half done is cancelled, and the
// program goes on.
#include "support/TempCatalogue.h"
#include "support/TestApplication.h"

#include "common/Application.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "common/ShowModal.h"
#include "data/EngineError.h"
#include "data/ErrorDisplay.h"
#include "data/FieldValue.h"

#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>

using namespace kv::common;
using kv::data::DataSet;

namespace {

class ErrorDisplayTest : public ::testing::Test {
protected:
    ErrorDisplayTest()
    {
        kv::test::testApplication<TApplication>();
        setLogFile(logDir.filePath(QStringLiteral("Kestrelview.log")));
    }
    ~ErrorDisplayTest() override { setLogFile(QString()); }

    QString log() const
    {
        QFile f(logDir.filePath(QStringLiteral("Kestrelview.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir logDir;
    kv::test::OpenDataModule m;
    kv::data::TProgramDataForm& dm = m.dm;
    ScriptedMessages messages;
};

// A window with a button whose handler fails and one that works.
struct FailingWindow {
    QDialog window;
    QPushButton* failing = new QPushButton(QStringLiteral("Fail"), &window);
    QPushButton* working = new QPushButton(QStringLiteral("Work"), &window);
    int worked = 0;

    explicit FailingWindow(std::function<void()> handler)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(failing);
        layout->addWidget(working);
        QObject::connect(failing, &QPushButton::clicked, &window, std::move(handler));
        QObject::connect(working, &QPushButton::clicked, &window, [this] { ++worked; });
        window.show();
    }
};

}  // namespace

TEST_F(ErrorDisplayTest, AFailedHandlerIsShownItsHalfDoneEditsCancelledAndTheWindowStaysUsable)
{
    // The user is typing into a category elsewhere: that edit is kept.
    EXPECT_TRUE(dm.CategoryTable.insert());
    dm.CategoryTable.setFieldValue(QStringLiteral("CatagoryDescription"), QStringLiteral("Birds"));
    ASSERT_TRUE(dm.CategoryTable.post());
    ASSERT_TRUE(dm.CategoryTable.edit());
    dm.CategoryTable.setFieldValue(QStringLiteral("CatagoryDescription"), QStringLiteral("Birds of prey"));

    const struct {
        const char* name;
        std::function<void()> fail;
        std::optional<QString> shown;  // nothing: no box
    } cases[] = {
        {"engine error",
         [] {
             throw kv::data::EngineError(
                 QStringList{QStringLiteral("Record was deleted by another user."), QStringLiteral("Table: Place.db")});
         },
         QStringLiteral("Record was deleted by another user.\rTable: Place.db")},
        {"other exception", [] { throw std::runtime_error("The disk is full."); }, QStringLiteral("The disk is full.")},
        {"anything else", [] { throw 42; }, QStringLiteral("An unexpected error occurred.")},
        // A hook that abandons an operation has told the user why.
        {"abandoned by a hook", [] { kv::data::abortOperation(); }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        FailingWindow w([&] {
            EXPECT_TRUE(dm.PlaceTable.insert());
            dm.PlaceTable.setFieldValue(QStringLiteral("PlaceDescription"), QStringLiteral("Half done"));
            c.fail();
        });
        QTest::mouseClick(w.failing, Qt::LeftButton);

        if (c.shown) {
            ASSERT_EQ(messages.messages().size(), 1);
            const Message& box = messages.messages().constFirst();
            EXPECT_EQ(box.text, *c.shown);
            EXPECT_EQ(box.kind, MessageKind::Error);
            EXPECT_EQ(box.buttons, MessageButtons::Ok);
            EXPECT_EQ(box.title, QStringLiteral("Kestrelview"));
            EXPECT_TRUE(log().contains(QString(*c.shown).replace(u'\r', QStringLiteral("\\r")))) << qPrintable(log());
        } else {
            EXPECT_TRUE(messages.messages().isEmpty());
        }
        // The insert the handler started is cancelled; nothing was written.
        EXPECT_EQ(dm.PlaceTable.state(), DataSet::State::Browse);
        EXPECT_TRUE(dm.PlaceTable.isEmpty());
        // The edit that was there before the handler ran is kept.
        EXPECT_EQ(dm.CategoryTable.state(), DataSet::State::Edit);
        EXPECT_EQ(kv::data::readText(dm.CategoryTable, QStringLiteral("CatagoryDescription")),
                  QStringLiteral("Birds of prey"));

        // The window goes on working, and the failing button fails again
        // the same way rather than ending the program.
        QTest::mouseClick(w.working, Qt::LeftButton);
        EXPECT_EQ(w.worked, 1);
        EXPECT_TRUE(w.window.isVisible());
        QTest::mouseClick(w.failing, Qt::LeftButton);
        EXPECT_EQ(messages.messages().size(), c.shown ? 2 : 0);
    }
}

TEST_F(ErrorDisplayTest, TheEventLoopGoesOnAfterAFailedHandler)
{
    QEventLoop loop;
    bool after = false;
    QTimer::singleShot(0, &loop, [] { throw kv::data::EngineError(QStringLiteral("Table is busy.")); });
    QTimer::singleShot(10, &loop, [&] {
        after = true;
        loop.quit();
    });
    loop.exec();
    EXPECT_TRUE(after);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Table is busy.")});
}

TEST_F(ErrorDisplayTest, AnErrorLeavingAModalWindowIsShownAndTheWindowCountsAsCancelled)
{
    QDialog dialog;
    ModalHandlerScope modal([&](QObject&) -> int {
        EXPECT_TRUE(dm.PlaceTable.insert());
        throw kv::data::EngineError(QStringLiteral("Cannot modify a read-only table."));
    });
    EXPECT_EQ(showModal(dialog), QDialog::Rejected);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Cannot modify a read-only table.")});
    EXPECT_EQ(dm.PlaceTable.state(), DataSet::State::Browse);
}

TEST_F(ErrorDisplayTest, ErrorsRaisedWhileTheBoxIsOpenAreLoggedNotStacked)
{
    // A window behind the box that fails each time it is painted must not
    // open box after box.
    struct Repainting : MessageResponder {
        int boxes = 0;
        MessageAnswer respond(const Message&) override
        {
            ++boxes;
            kv::data::RunWithErrorDisplay([] { throw std::runtime_error("Paint failed."); });
            return MessageAnswer::Ok;
        }
    } responder;
    ResponderScope scope(responder);
    EXPECT_FALSE(kv::data::RunWithErrorDisplay([] { throw std::runtime_error("First failure."); }));
    EXPECT_EQ(responder.boxes, 1);
    EXPECT_TRUE(log().contains(QStringLiteral("[Error] First failure.")));
    EXPECT_TRUE(log().contains(QStringLiteral("[Error] Paint failed.")));
    // Once the box is closed the next error gets its own box.
    EXPECT_FALSE(kv::data::RunWithErrorDisplay([] { throw std::runtime_error("Later failure."); }));
    EXPECT_EQ(responder.boxes, 2);
}
