// Move Rating and Move Group: what becomes of the references of a deleted
// rating or person group, reached through the editors' Delete.
#include "support/WindowTest.h"

#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "reference/MoveReferenceForm.h"
#include "reference/editors/ReferenceEditor.h"
#include "search/QueryBuilder.h"
#include "security/SecurityData.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

using namespace kv::reference;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::data::readInteger;
using kv::data::Table;
using kv::test::addRow;

namespace {

class MoveReferenceTest : public kv::test::WindowTest {
protected:
    // Ratings: Family (r1), Friends (r2), Private (r3). The logged-on user 1
    // may see Family and Private, user 2 Family and Friends. Three pictures
    // are Family, one Friends, one Private, all taken at place 1. The
    // default rating is Family. Person groups g1 (two persons) and g2 (one).
    qint64 r1 = 0, r2 = 0, r3 = 0, g1 = 0, g2 = 0, annId = 0;

    void SetUp() override
    {
        WindowTest::SetUp();
        auto& rights = kv::security::SecurityData();
        rights.CanDeleteRating = rights.CanDeleteGroup = true;
        kv::data::LoginData().UserID = 1;
    }

    void addCatalogueRows()
    {
        r1 = addRow(dm.RatingTable, {{"RatingDescription", "Family"}});
        r2 = addRow(dm.RatingTable, {{"RatingDescription", "Friends"}});
        r3 = addRow(dm.RatingTable, {{"RatingDescription", "Private"}});
        for (const auto& [user, rating] : {std::pair{1, r1}, {1, r3}, {2, r1}, {2, r2}})
            addRow(dm.RatingListTable, {{"UserID", user}, {"RatingID", rating}});
        for (const qint64 rating : {r1, r1, r1, r2, r3})
            addRow(dm.PictureInfoTable, {{"PictureDescription", "p"}, {"RatingID", rating}, {"PlaceID", 1}});
        ASSERT_TRUE(dm.SettingsTable.edit());
        dm.SettingsTable.setFieldValue("DefaultRatingID", r1);
        ASSERT_TRUE(dm.SettingsTable.post());
        kv::data::SystemInfo().DefaultRatingID = r1;
        g1 = addRow(dm.PersonGroupTable, {{"PersonGroupDescription", "Family"}});
        g2 = addRow(dm.PersonGroupTable, {{"PersonGroupDescription", "School"}});
        annId = addRow(dm.PersonTable, {{"PersonDescription", "Ann"}, {"GroupType", g1}});
        addRow(dm.PersonTable, {{"PersonDescription", "Bob"}, {"GroupType", g1}});
        addRow(dm.PersonTable, {{"PersonDescription", "Cy"}, {"GroupType", g2}});
        dm.LoadPermittedRatings();
        dm.PictureInfoTable.setFiltered(true);
    }

    // The first column of a Local SQL select, one text per row.
    QStringList column(const QString& localSql)
    {
        kv::data::Query q(dm.KestrelviewDatabase());
        q.addLine(localSql);
        q.open();
        QStringList values;
        for (q.first(); !q.eof(); q.next())
            values << (q.isNull(q.fieldNames().first()) ? QStringLiteral("Null") : kv::data::readText(q, q.fieldNames().first()));
        return values;
    }
    QString id(qint64 value) const { return QString::number(value); }

    // Every row of every table, as the catalogue holds them.
    QStringList dump()
    {
        QStringList rows;
        for (Table* t : dm.tables()) {
            kv::data::Statement st(*dm.KestrelviewDatabase(),
                                   QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(t->tableName()));
            while (st.step()) {
                QStringList values{t->tableName()};
                for (int c = 0; c < st.columnCount(); ++c)
                    values << st.column(c).toString();
                rows << values.join('|');
            }
        }
        return rows;
    }

    int visiblePictures()
    {
        int n = 0;
        for (dm.PictureInfoTable.first(); !dm.PictureInfoTable.eof(); dm.PictureInfoTable.next())
            ++n;
        return n;
    }

    // Deletes the row through its editor (answering Yes) and lets drive
    // work the Move window that opens; returns what the window ended with.
    int deleteThroughEditor(EditorKind kind, qint64 rowId, const std::function<void(TMoveReferenceForm&)>& drive)
    {
        auto editor = createEditor(kind, dm);
        Table& t = editor->family().table(dm);
        EXPECT_TRUE(t.locate(editor->family().idField, rowId));
        int result = -1;
        kv::common::ModalHandlerScope modal([&](QObject& window) {
            auto& form = dynamic_cast<TMoveReferenceForm&>(window);
            EXPECT_EQ(form.goingId(), rowId);
            drive(form);
            result = form.closed() ? form.result() : -1;
            return result;
        });
        messages.addAnswer(MessageAnswer::Yes);
        editor->DeleteBtnClick();
        return result;
    }

    static QStringList listed(const TMoveReferenceForm& form)
    {
        QStringList texts;
        for (int i = 0; i < form.moveTo()->count(); ++i)
            texts << form.moveTo()->item(i)->text();
        return texts;
    }
    static void choose(TMoveReferenceForm& form, qint64 rowId)
    {
        for (int i = 0; i < form.moveTo()->count(); ++i)
            if (form.moveTo()->item(i)->data(Qt::UserRole).toLongLong() == rowId)
                form.moveTo()->item(i)->setSelected(true);
    }
};

struct RatingCase {
    const char* name;
    bool move;
    QStringList windowTexts;
    QStringList user1;
    QStringList user2;
    QStringList defaultRating;
    int visible;     // pictures the logged-on user sees, in the picture table and by a search
    int nullRating;  // pictures with no rating
    qint64 shownRating;  // of the picture the picture table is on afterwards
};

void PrintTo(const RatingCase& c, std::ostream* os) { *os << c.name; }

class RatingMoveTest : public MoveReferenceTest, public ::testing::WithParamInterface<RatingCase> {};

TEST_P(RatingMoveTest, ChangesPicturesListsAndTheDefaultTogether)
{
    const RatingCase& c = GetParam();
    addCatalogueRows();
    ASSERT_EQ(visiblePictures(), 4);
    dm.PictureInfoTable.first();  // a Family picture

    const int result = deleteThroughEditor(EditorKind::Rating, r1, [&](TMoveReferenceForm& form) {
        EXPECT_EQ(listed(form), QStringList({"Friends", "Private"}));  // the going row is left out
        messages.addAnswer(MessageAnswer::Yes);
        if (c.move) {
            choose(form, r2);
            form.moveButton()->click();
        } else {
            form.deleteButton()->click();
        }
    });

    EXPECT_EQ(result, QDialog::Accepted);
    QStringList expectedTexts{"Are you sure you want to delete this Rating?"};
    expectedTexts << c.windowTexts;
    EXPECT_EQ(messages.texts(), expectedTexts);
    ASSERT_EQ(messages.messages().size(), 3);
    EXPECT_EQ(messages.messages()[1].kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(messages.messages()[2].kind, MessageKind::Information);
    EXPECT_TRUE(column("Select RatingID From \"Rating.db\" Where RatingID = " + id(r1)).isEmpty());
    EXPECT_FALSE(dm.RatingTable.locate("RatingID", r1));
    EXPECT_EQ(dm.RatingTable.recordCount(), 2);
    EXPECT_TRUE(column("Select PictureID From \"PictureInfo.db\" Where RatingID = " + id(r1)).isEmpty());
    EXPECT_TRUE(column("Select UserID From \"RatingList.db\" Where RatingID = " + id(r1)).isEmpty());
    EXPECT_EQ(column("Select RatingID From \"RatingList.db\" Where UserID = 1 Order By RatingID"), c.user1);
    EXPECT_EQ(column("Select RatingID From \"RatingList.db\" Where UserID = 2 Order By RatingID"), c.user2);
    EXPECT_EQ(column("Select PictureID From \"PictureInfo.db\" Where RatingID Is Null").size(), c.nullRating);
    EXPECT_EQ(column("Select DefaultRatingID From \"Settings.db\""), c.defaultRating);
    EXPECT_EQ(kv::data::SystemInfo().DefaultRatingID, c.move ? r2 : -1);
    // The logged-on user sees the moved pictures at once; cleared pictures
    // no search finds.
    EXPECT_EQ(readInteger(dm.PictureInfoTable, "RatingID"), c.shownRating);
    EXPECT_EQ(visiblePictures(), c.visible);
    kv::search::FindPicturesWithAttribute(dm, "PlaceID", 1);
    EXPECT_EQ(dm.SearchResult.items().size(), c.visible);
}

INSTANTIATE_TEST_SUITE_P(
    MoveOrDelete, RatingMoveTest,
    ::testing::Values(
        RatingCase{"Move", true, {"Are you sure you want to move this Rating?", "Rating Moved."}, {"2", "3"}, {"2"}, {"2"}, 5, 0, 2},
        RatingCase{"Delete", false, {"Are you sure you want to delete this Rating?", "Rating Deleted."}, {"3"}, {"2"}, {"Null"}, 1, 3, 3}),
    [](const ::testing::TestParamInfo<RatingCase>& info) { return std::string(info.param.name); });

TEST_F(MoveReferenceTest, MovingOrDeletingAGroupChangesItsPersonsAndTheShownPerson)
{
    addCatalogueRows();
    const struct {
        const char* name;
        std::function<qint64()> going;
        std::function<qint64()> target;  // -1: "Delete"
        QStringList texts;
        QString annGroup;
    } cases[] = {
        {"move g1 to g2", [&] { return g1; }, [&] { return g2; },
         {"Are You Sure You Want To Delete This Person Group?", "Are you sure you want to move this group?", "Group Moved."},
         "2"},
        {"delete g2", [&] { return g2; }, [] { return qint64(-1); },
         {"Are You Sure You Want To Delete This Person Group?", "Are you sure you want to delete this group?", "Group Deleted."},
         "Null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        ASSERT_TRUE(dm.PersonTable.locate("PersonID", annId));  // the person window shows Ann
        const qint64 going = c.going();
        const int result = deleteThroughEditor(EditorKind::PersonGroup, going, [&](TMoveReferenceForm& form) {
            messages.addAnswer(MessageAnswer::Yes);
            if (c.target() < 0) {
                form.deleteButton()->click();
            } else {
                choose(form, c.target());
                form.moveButton()->click();
            }
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(messages.texts(), c.texts);
        EXPECT_TRUE(column("Select PersonID From \"Person.db\" Where GroupType = " + id(going)).isEmpty());
        EXPECT_EQ(column("Select GroupType From \"Person.db\""), QStringList(3, c.annGroup));
        EXPECT_FALSE(dm.PersonGroupTable.locate("PersonGroupID", going));
        // Read again without moving the cursor: the person table was refreshed.
        EXPECT_EQ(dm.PersonTable.isNull("GroupType") ? QStringLiteral("Null")
                                                      : QString::number(readInteger(dm.PersonTable, "GroupType")),
                  c.annGroup);
    }
}

// Closing, Escape again and again, "Move" with nothing chosen and No to
// either question: the window stays and the catalogue is as it was.
TEST_F(MoveReferenceTest, NothingChangesAndTheWindowStaysUntilAnActionIsDone)
{
    addCatalogueRows();
    const struct {
        ReassignKind kind;
        std::function<qint64()> going;
        std::function<qint64()> target;
        QStringList texts;
    } cases[] = {
        {ReassignKind::Rating, [&] { return r1; }, [&] { return r2; },
         {"You have not selected a new rating code!", "Are you sure you want to delete this Rating?",
          "Are you sure you want to move this Rating?"}},
        {ReassignKind::PersonGroup, [&] { return g1; }, [&] { return g2; },
         {"You have not selected a new group code!", "Are you sure you want to delete this group?",
          "Are you sure you want to move this group?"}},
    };
    const QStringList before = dump();
    for (const auto& c : cases) {
        const ReassignFamily& family = reassignFamily(c.kind);
        SCOPED_TRACE(family.caption.toStdString());
        messages.clear();
        TMoveReferenceForm form(family, dm, c.going());
        form.show();
        EXPECT_EQ(form.windowTitle(), family.caption);
        form.moveButton()->click();
        messages.addAnswer(MessageAnswer::No);
        form.deleteButton()->click();
        choose(form, c.target());
        messages.addAnswer(MessageAnswer::No);
        form.moveButton()->click();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&form, Qt::Key_Escape);
        form.close();  // the close box
        QStringList expected = c.texts;
        for (int i = 0; i < 4; ++i)
            expected << family.closingText;
        EXPECT_EQ(messages.texts(), expected);
        EXPECT_EQ(messages.messages().first().kind, MessageKind::Error);
        EXPECT_EQ(messages.messages().last().kind, MessageKind::Error);
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(form.closed());
        EXPECT_EQ(dump(), before);
    }
    EXPECT_EQ(reassignFamily(ReassignKind::Rating).closingText,
              "Please Either Move The Rating Or Delete The Rating By Clicking On The \"Move\" or \"Delete\" Button!");
    EXPECT_EQ(reassignFamily(ReassignKind::PersonGroup).closingText,
              "Please Either Move The Group Or Delete The Group By Clicking on the \"Move\" or \"Delete\" Button!");
}

TEST_F(MoveReferenceTest, AnotherWorkstationHoldingTheLockChangesNothingAndLetsTheWindowClose)
{
    addCatalogueRows();
    dm.KestrelviewDatabase()->setLockWaitMs(200);
    QProcess holder;
    holder.start(QStringLiteral(KV_CATALOGUE_USER), {"lock", m.catalogue.path()});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "ready");
    const QStringList before = dump();
    bool closedAfterFailure = false;
    const int result = deleteThroughEditor(EditorKind::Rating, r1, [&](TMoveReferenceForm& form) {
        choose(form, r2);
        messages.addAnswer(MessageAnswer::Yes);
        form.moveButton()->click();
        EXPECT_FALSE(form.closed());
        form.reject();  // Escape: no longer refused
        closedAfterFailure = form.closed();
    });
    holder.kill();
    holder.waitForFinished(10000);

    EXPECT_TRUE(closedAfterFailure);
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(messages.messages().size(), 3) << messages.texts().join('|').toStdString();
    EXPECT_EQ(messages.messages()[2].kind, MessageKind::Error);
    EXPECT_THAT(messages.texts()[2].toStdString(), ::testing::HasSubstr("locked"));
    EXPECT_EQ(dump(), before);
    EXPECT_TRUE(dm.RatingTable.locate("RatingID", r1));  // still in the editor
    EXPECT_EQ(dm.RatingTable.recordCount(), 3);
    EXPECT_EQ(kv::data::SystemInfo().DefaultRatingID, r1);
}

TEST_F(MoveReferenceTest, RowsAnotherWorkstationDeletedMeanwhile)
{
    addCatalogueRows();
    auto other = m.catalogue.open();
    {
        // The row chosen to move to is gone: refused, nothing changed.
        TMoveRatingForm form(dm, r1);
        other->exec(QStringLiteral("DELETE FROM \"Rating\" WHERE \"RatingID\" = %1").arg(r2));
        const QStringList before = dump();
        choose(form, r2);
        messages.addAnswer(MessageAnswer::Yes);
        form.moveButton()->click();
        EXPECT_EQ(messages.texts(), QStringList({"Are you sure you want to move this Rating?",
                                                 "Record was deleted by another user.\rTable: Rating.db"}))
            << messages.texts().join("|").toStdString();
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(listed(form), QStringList({"Private"}));
        form.reject();
        EXPECT_TRUE(form.closed());
    }
    {
        // The going row itself is gone: its references are cleared all the same.
        messages.clear();
        TMoveRatingForm form(dm, r1);
        other->exec(QStringLiteral("DELETE FROM \"Rating\" WHERE \"RatingID\" = %1").arg(r1));
        messages.addAnswer(MessageAnswer::Yes);
        form.deleteButton()->click();
        EXPECT_EQ(messages.texts(), QStringList({"Are you sure you want to delete this Rating?", "Rating Deleted."}));
        EXPECT_TRUE(form.closed());
        EXPECT_TRUE(column("Select PictureID From \"PictureInfo.db\" Where RatingID = " + id(r1)).isEmpty());
        EXPECT_TRUE(column("Select UserID From \"RatingList.db\" Where RatingID = " + id(r1)).isEmpty());
    }
}

// The last row: the list is empty, only "Delete" works; nothing refers to it.
TEST_F(MoveReferenceTest, TheLastRowCanOnlyBeDeleted)
{
    const struct {
        EditorKind kind;
        const char* descriptionField;
        QStringList texts;
    } cases[] = {
        {EditorKind::Rating, "RatingDescription",
         {"Are you sure you want to delete this Rating?", "You have not selected a new rating code!",
          "Are you sure you want to delete this Rating?", "Rating Deleted."}},
        {EditorKind::PersonGroup, "PersonGroupDescription",
         {"Are You Sure You Want To Delete This Person Group?", "You have not selected a new group code!",
          "Are you sure you want to delete this group?", "Group Deleted."}},
    };
    for (const auto& c : cases) {
        messages.clear();
        Table& t = c.kind == EditorKind::Rating ? dm.RatingTable : dm.PersonGroupTable;
        const qint64 only = addRow(t, {{c.descriptionField, "Only"}});
        const int result = deleteThroughEditor(c.kind, only, [&](TMoveReferenceForm& form) {
            EXPECT_EQ(form.moveTo()->count(), 0);
            form.moveButton()->click();
            EXPECT_FALSE(form.closed());
            messages.addAnswer(MessageAnswer::Yes);
            form.deleteButton()->click();
        });
        EXPECT_EQ(result, QDialog::Accepted) << c.descriptionField;
        EXPECT_EQ(messages.texts(), c.texts);
        EXPECT_TRUE(t.isEmpty()) << c.descriptionField;
    }
}

}  // namespace
