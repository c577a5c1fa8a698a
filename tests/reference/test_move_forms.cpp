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

    qint64 add(Table& t, std::initializer_list<std::pair<const char*, QVariant>> values)
    {
        EXPECT_TRUE(t.insert());
        for (const auto& [field, value] : values)
            t.setFieldValue(field, value);
        EXPECT_TRUE(t.post());
        return readInteger(t, t.fieldNames().first());
    }

    void addCatalogueRows()
    {
        r1 = add(dm.RatingTable, {{"RatingDescription", "Family"}});
        r2 = add(dm.RatingTable, {{"RatingDescription", "Friends"}});
        r3 = add(dm.RatingTable, {{"RatingDescription", "Private"}});
        for (const auto& [user, rating] : {std::pair{1, r1}, {1, r3}, {2, r1}, {2, r2}})
            add(dm.RatingListTable, {{"UserID", user}, {"RatingID", rating}});
        for (const qint64 rating : {r1, r1, r1, r2, r3})
            add(dm.PictureInfoTable, {{"PictureDescription", "p"}, {"RatingID", rating}, {"PlaceID", 1}});
        ASSERT_TRUE(dm.SettingsTable.edit());
        dm.SettingsTable.setFieldValue("DefaultRatingID", r1);
        ASSERT_TRUE(dm.SettingsTable.post());
        kv::data::SystemInfo().DefaultRatingID = r1;
        g1 = add(dm.PersonGroupTable, {{"PersonGroupDescription", "Family"}});
        g2 = add(dm.PersonGroupTable, {{"PersonGroupDescription", "School"}});
        annId = add(dm.PersonTable, {{"PersonDescription", "Ann"}, {"GroupType", g1}});
        add(dm.PersonTable, {{"PersonDescription", "Bob"}, {"GroupType", g1}});
        add(dm.PersonTable, {{"PersonDescription", "Cy"}, {"GroupType", g2}});
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
};

class RatingMoveTest : public MoveReferenceTest, public ::testing::WithParamInterface<RatingCase> {};

TEST_P(RatingMoveTest, ChangesPicturesListsAndTheDefaultTogether)
{
    const RatingCase& c = GetParam();
    addCatalogueRows();
    ASSERT_EQ(visiblePictures(), 4);

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
    EXPECT_EQ(visiblePictures(), c.visible);
    kv::search::FindPicturesWithAttribute(dm, "PlaceID", 1);
    EXPECT_EQ(dm.SearchResult.items().size(), c.visible);
}

INSTANTIATE_TEST_SUITE_P(
    MoveOrDelete, RatingMoveTest,
    ::testing::Values(
        RatingCase{"Move", true, {"Are you sure you want to move this Rating?", "Rating Moved."}, {"2", "3"}, {"2"}, {"2"}, 5, 0},
        RatingCase{"Delete", false, {"Are you sure you want to delete this Rating?", "Rating Deleted."}, {"3"}, {"2"}, {"Null"}, 1, 3}),
    [](const ::testing::TestParamInfo<RatingCase>& info) { return std::string(info.param.name); });

}  // namespace
