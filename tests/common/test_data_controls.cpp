// Data-aware controls against a real catalogue: they show the current row,
// follow the table, and write what the user types into the edited row.
#include "TestApplication.h"
#include "support/TempCatalogue.h"

#include "common/DataControls.h"
#include "common/MessageService.h"
#include "data/FieldValue.h"

#include <QApplication>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kv::common;
using namespace kv::data;

namespace {

void addRow(Table& t, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    EXPECT_TRUE(t.insert());
    for (const auto& [name, value] : values)
        t.setFieldValue(QString::fromLatin1(name), value);
    ASSERT_TRUE(t.post());
}

QStringList walk(Table& t, const QString& field)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << readText(t, field);
    return out;
}

// Types into a line edit the way a user does: replaces its text.
void typeInto(QLineEdit& edit, const QString& text)
{
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

class DataControlsTest : public ::testing::Test {
protected:
    DataControlsTest()
    {
        kv::test::testApplication<QApplication>();
        setLogFile(logDir.filePath(QStringLiteral("Kestrelview.log")));
    }
    ~DataControlsTest() override { setLogFile(QString()); }

    // What a second workstation sees: a separate table on the catalogue.
    std::unique_ptr<Table> otherView(const char* tableName)
    {
        auto t = std::make_unique<Table>(&m.db());
        t->setTableName(QString::fromLatin1(tableName));
        t->open();
        return t;
    }

    void addPlaces(const QStringList& names)
    {
        for (const QString& n : names)
            addRow(dm.PlaceTable, {{"PlaceDescription", n}});
    }

    QTemporaryDir logDir;
    ScriptedMessages messages;  // no message box ever waits for a click
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
};

TEST_F(DataControlsTest, EditShowsTheCurrentRowAndFollowsTheTable)
{
    addPlaces({"Cellar", "Attic", "Beach"});
    DBEdit edit;
    edit.setDataSource(&dm.PlaceSource);
    edit.setDataField(QStringLiteral("PlaceDescription"));
    EXPECT_EQ(edit.maxLength(), 50);

    dm.PlaceTable.first();
    EXPECT_EQ(edit.text(), QStringLiteral("Attic"));
    dm.PlaceTable.next();
    EXPECT_EQ(edit.text(), QStringLiteral("Beach"));
    dm.PlaceTable.last();
    EXPECT_EQ(edit.text(), QStringLiteral("Cellar"));
    ASSERT_TRUE(dm.PlaceTable.locate(QStringLiteral("PlaceDescription"), QStringLiteral("Attic")));
    EXPECT_EQ(edit.text(), QStringLiteral("Attic"));

    // A value set by the program shows at once.
    ASSERT_TRUE(dm.PlaceTable.edit());
    dm.PlaceTable.setFieldValue(QStringLiteral("PlaceDescription"), QStringLiteral("Loft"));
    EXPECT_EQ(edit.text(), QStringLiteral("Loft"));
    dm.PlaceTable.cancel();
    EXPECT_EQ(edit.text(), QStringLiteral("Attic"));

    dm.PlaceTable.close();
    EXPECT_EQ(edit.text(), QString());
}

// What is typed is what is stored: an Alpha field's box takes its width,
// even before the table has a row; fields of any length are not limited.
TEST_F(DataControlsTest, BoxesTakeNoMoreThanTheirFieldHolds)
{
    ASSERT_TRUE(dm.PlaceTable.isEmpty());
    const struct {
        const char* field;
        int maxLength;
    } cases[] = {
        {"PlaceDescription", 50},
        {"PlaceCommentsChar", 250},
        {"PlaceID", 32767},
        {"PlaceComments", 32767},
    };
    for (const auto& c : cases) {
        DBEdit bound;
        bound.setDataSource(&dm.PlaceSource);
        bound.setDataField(QString::fromLatin1(c.field));
        EXPECT_EQ(bound.maxLength(), c.maxLength) << c.field << " bound";
        QLineEdit unbound;
        LimitToField(&unbound, dm.PlaceTable, QString::fromLatin1(c.field));
        EXPECT_EQ(unbound.maxLength(), c.maxLength) << c.field << " unbound";
    }

    DBEdit edit;
    edit.setDataSource(&dm.PlaceSource);
    edit.setDataField(QStringLiteral("PlaceDescription"));
    EXPECT_TRUE(dm.PlaceTable.insert());
    QTest::keyClicks(&edit, QString(60, QLatin1Char('x')));
    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), edit.text());
    EXPECT_EQ(edit.text().size(), 50);
}

TEST_F(DataControlsTest, TypingEditsTheRowAndPostStoresIt)
{
    addPlaces({"Attic", "Beach"});
    DBEdit edit;
    edit.setDataSource(&dm.PlaceSource);
    edit.setDataField(QStringLiteral("PlaceDescription"));
    dm.PlaceTable.first();
    const qint64 id = readInteger(dm.PlaceTable, QStringLiteral("PlaceID"));

    typeInto(edit, QStringLiteral("Zoo"));
    EXPECT_EQ(dm.PlaceTable.state(), DataSet::State::Edit);
    EXPECT_EQ(readText(dm.PlaceTable, QStringLiteral("PlaceDescription")), QStringLiteral("Zoo"));
    // The edit keeps what was typed and where the cursor is.
    EXPECT_EQ(edit.text(), QStringLiteral("Zoo"));
    edit.setCursorPosition(1);
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(readText(dm.PlaceTable, QStringLiteral("PlaceDescription")), QStringLiteral("Zxoo"));
    EXPECT_EQ(edit.cursorPosition(), 2);
    QTest::keyClick(&edit, Qt::Key_Backspace);

    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_EQ(walk(dm.PlaceTable, QStringLiteral("PlaceDescription")), QStringList({"Beach", "Zoo"}));
    auto other = otherView("Place");
    ASSERT_TRUE(other->locate(QStringLiteral("PlaceID"), id));
    EXPECT_EQ(readText(*other, QStringLiteral("PlaceDescription")), QStringLiteral("Zoo"));

    // Cancel brings the stored value back into the control.
    dm.PlaceTable.first();
    typeInto(edit, QStringLiteral("Nowhere"));
    dm.PlaceTable.cancel();
    EXPECT_EQ(edit.text(), QStringLiteral("Beach"));
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(DataControlsTest, TypingIsUndoneWhereTheRowCannotChange)
{
    // A read-only table and an empty one take nothing, silently.
    addPlaces({"Attic"});
    Table readOnly(&m.db());
    readOnly.setTableName(QStringLiteral("Place"));
    readOnly.setReadOnly(true);
    readOnly.open();
    DataSource readOnlySource;
    readOnlySource.setDataSet(&readOnly);

    DBEdit edit;
    edit.setDataSource(&readOnlySource);
    edit.setDataField(QStringLiteral("PlaceDescription"));
    typeInto(edit, QStringLiteral("Zoo"));
    EXPECT_EQ(edit.text(), QStringLiteral("Attic"));
    EXPECT_EQ(readOnly.state(), DataSet::State::Browse);

    DBEdit empty;
    empty.setDataSource(&dm.AlbumSource);
    empty.setDataField(QStringLiteral("AlbumDescription"));
    typeInto(empty, QStringLiteral("Summer"));
    EXPECT_EQ(empty.text(), QString());
    EXPECT_EQ(dm.AlbumTable.state(), DataSet::State::Browse);
    EXPECT_TRUE(messages.messages().isEmpty());

    // An engine error is shown, and the control shows the row again.
    dm.PlaceTable.first();
    DBEdit place;
    place.setDataSource(&dm.PlaceSource);
    place.setDataField(QStringLiteral("PlaceDescription"));
    auto other = otherView("Place");
    other->first();
    ASSERT_TRUE(other->deleteRecord());
    QTest::keyClick(&place, Qt::Key_Z);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.messages()[0].text.contains(QStringLiteral("deleted by another user")));
    EXPECT_EQ(place.text(), QStringLiteral("Attic"));
}

TEST_F(DataControlsTest, DatesShowAsMonthDayYearAndAreStoredAsDates)
{
    addRow(dm.PictureInfoTable, {{"PictureDescription", "Fireworks"}, {"DateTaken", "2021-07-04"}});
    DBEdit edit;
    edit.setDataSource(&dm.PictureInfoSource);
    edit.setDataField(QStringLiteral("DateTaken"));
    EXPECT_EQ(edit.text(), QStringLiteral("07/04/2021"));

    typeInto(edit, QStringLiteral("12/25/2020"));
    EXPECT_EQ(readText(dm.PictureInfoTable, QStringLiteral("DateTaken")), QStringLiteral("2020-12-25"));
    ASSERT_TRUE(dm.PictureInfoTable.post());
    EXPECT_EQ(edit.text(), QStringLiteral("12/25/2020"));
}

TEST_F(DataControlsTest, MemoAndCheckBoxFollowAndWrite)
{
    addRow(dm.MediaTypeTable, {{"MediaTypeDescription", "CD"}, {"ShowFileName", true}, {"MediaTypeComments", "Disc"}});
    addRow(dm.MediaTypeTable, {{"MediaTypeDescription", "Slide"}, {"ShowSlide", true}});
    DBMemo memo;
    memo.setDataSource(&dm.MeditaTypeSource);
    memo.setDataField(QStringLiteral("MediaTypeComments"));
    DBCheckBox check(QStringLiteral("Show File Name"));
    check.setDataSource(&dm.MeditaTypeSource);
    check.setDataField(QStringLiteral("ShowFileName"));

    dm.MediaTypeTable.first();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("Disc"));
    EXPECT_TRUE(check.isChecked());
    dm.MediaTypeTable.next();
    EXPECT_EQ(memo.toPlainText(), QString());
    EXPECT_FALSE(check.isChecked());  // Null reads as unchecked
    // Showing a row is not editing it.
    EXPECT_EQ(dm.MediaTypeTable.state(), DataSet::State::Browse);

    check.click();
    memo.setFocus();
    QTest::keyClicks(&memo, QStringLiteral("Mounted"));
    EXPECT_EQ(dm.MediaTypeTable.state(), DataSet::State::Edit);
    EXPECT_TRUE(readBool(dm.MediaTypeTable, QStringLiteral("ShowFileName")));
    EXPECT_EQ(readText(dm.MediaTypeTable, QStringLiteral("MediaTypeComments")), QStringLiteral("Mounted"));
    ASSERT_TRUE(dm.MediaTypeTable.post());

    auto other = otherView("MediaType");
    ASSERT_TRUE(other->locate(QStringLiteral("MediaTypeDescription"), QStringLiteral("Slide")));
    EXPECT_TRUE(readBool(*other, QStringLiteral("ShowFileName")));
    EXPECT_EQ(readText(*other, QStringLiteral("MediaTypeComments")), QStringLiteral("Mounted"));
}

TEST_F(DataControlsTest, RadioGroupWritesTheValueOfTheCheckedItem)
{
    dm.SettingsTable.first();
    ASSERT_TRUE(dm.SettingsTable.edit());
    dm.SettingsTable.setFieldValue(QStringLiteral("ShowBackground"), 1);
    ASSERT_TRUE(dm.SettingsTable.post());

    DBRadioGroup group;
    group.setItems({QStringLiteral("Black"), QStringLiteral("Picture"), QStringLiteral("Colour")}, {0, 1, 2});
    group.setDataSource(&dm.SettingsSource);
    group.setDataField(QStringLiteral("ShowBackground"));
    EXPECT_EQ(group.itemIndex(), 1);

    group.button(2)->click();
    EXPECT_EQ(readInteger(dm.SettingsTable, QStringLiteral("ShowBackground")), 2);
    ASSERT_TRUE(dm.SettingsTable.post());
    EXPECT_EQ(group.itemIndex(), 2);

    // Read-only: a click changes neither the choice nor the field.
    group.setReadOnly(true);
    group.button(0)->click();
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_EQ(dm.SettingsTable.state(), DataSet::State::Browse);

    // A value outside the items checks none.
    ASSERT_TRUE(dm.SettingsTable.edit());
    dm.SettingsTable.setFieldValue(QStringLiteral("ShowBackground"), 7);
    EXPECT_EQ(group.itemIndex(), -1);
    dm.SettingsTable.cancel();
    EXPECT_EQ(group.itemIndex(), 2);
}

TEST_F(DataControlsTest, LookupComboListsTheListRowsAndWritesTheKey)
{
    for (const char* g : {"Work", "Family", "Friends"})
        addRow(dm.PersonGroupTable, {{"PersonGroupDescription", g}});
    ASSERT_TRUE(dm.PersonGroupTable.locate(QStringLiteral("PersonGroupDescription"), QStringLiteral("Friends")));
    const qint64 friends = readInteger(dm.PersonGroupTable, QStringLiteral("PersonGroupID"));
    ASSERT_TRUE(dm.PersonGroupTable.locate(QStringLiteral("PersonGroupDescription"), QStringLiteral("Work")));
    const qint64 work = readInteger(dm.PersonGroupTable, QStringLiteral("PersonGroupID"));
    addRow(dm.PersonTable, {{"PersonDescription", "Ann"}, {"GroupType", static_cast<double>(friends)}});
    addRow(dm.PersonTable, {{"PersonDescription", "Bob"}});

    // Reading the list neither moves the list table nor tells its controls.
    ASSERT_TRUE(dm.PersonGroupTable.locate(QStringLiteral("PersonGroupDescription"), QStringLiteral("Family")));
    QSignalSpy listMoves(&dm.PersonGroupSource, &DataSource::recordChanged);
    DBLookupComboBox combo;
    combo.setListSource(&dm.PersonGroupSource);
    combo.setKeyField(QStringLiteral("PersonGroupID"));
    combo.setListField(QStringLiteral("PersonGroupDescription"));
    combo.setDataSource(&dm.PersonSource);
    combo.setDataField(QStringLiteral("GroupType"));
    EXPECT_EQ(listMoves.count(), 0);
    EXPECT_EQ(readText(dm.PersonGroupTable, QStringLiteral("PersonGroupDescription")), QStringLiteral("Family"));

    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    EXPECT_EQ(items, QStringList({"Family", "Friends", "Work"}));

    ASSERT_TRUE(dm.PersonTable.locate(QStringLiteral("PersonDescription"), QStringLiteral("Ann")));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Friends"));
    ASSERT_TRUE(dm.PersonTable.locate(QStringLiteral("PersonDescription"), QStringLiteral("Bob")));
    EXPECT_EQ(combo.currentIndex(), -1);  // no group

    ASSERT_TRUE(dm.PersonTable.locate(QStringLiteral("PersonDescription"), QStringLiteral("Ann")));
    QTest::keyClick(&combo, Qt::Key_Down);  // the user picks the next item
    EXPECT_EQ(combo.currentText(), QStringLiteral("Work"));
    EXPECT_EQ(dm.PersonTable.state(), DataSet::State::Edit);
    EXPECT_EQ(readInteger(dm.PersonTable, QStringLiteral("GroupType")), work);
    EXPECT_EQ(readText(dm.PersonTable, QStringLiteral("PersonGroupDescription")), QStringLiteral("Work"));
    ASSERT_TRUE(dm.PersonTable.post());
    auto other = otherView("Person");
    ASSERT_TRUE(other->locate(QStringLiteral("PersonDescription"), QStringLiteral("Ann")));
    EXPECT_EQ(readInteger(*other, QStringLiteral("GroupType")), work);

    // A new list row is listed at once.
    addRow(dm.PersonGroupTable, {{"PersonGroupDescription", "Neighbours"}});
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Work"));
}

class GridTest : public DataControlsTest {
protected:
    void SetUp() override
    {
        addPlaces({"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Golf", "Hotel", "India", "Juliet"});
        grid.gridModel()->setFetchBlockSize(4);
        grid.setColumns({{QStringLiteral("PlaceDescription"), QStringLiteral("Place")},
                         {QStringLiteral("PlaceID"), QString()}});
    }
    int modelRowOf(const QString& place)
    {
        for (int r = 0; r < model().rowCount(); ++r)
            if (model().index(r, 0).data().toString() == place)
                return r;
        return -1;
    }
    DataGridModel& model() { return *grid.gridModel(); }
    DBGrid grid;
};

TEST_F(GridTest, RowsAreReadInBlocksWithoutMovingTheTable)
{
    ASSERT_TRUE(dm.PlaceTable.locate(QStringLiteral("PlaceDescription"), QStringLiteral("Bravo")));
    QSignalSpy moves(&dm.PlaceSource, &DataSource::recordChanged);
    grid.setDataSource(&dm.PlaceSource);
    EXPECT_EQ(model().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Place"));
    EXPECT_EQ(model().headerData(1, Qt::Horizontal).toString(), QStringLiteral("PlaceID"));

    // Reading up to the current row took one block.
    EXPECT_EQ(model().rowCount(), 4);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    while (model().canFetchMore(QModelIndex()))
        model().fetchMore(QModelIndex());
    EXPECT_EQ(model().rowCount(), 10);
    EXPECT_EQ(moves.count(), 0);
    EXPECT_EQ(readText(dm.PlaceTable, QStringLiteral("PlaceDescription")), QStringLiteral("Bravo"));
    QStringList shown;
    for (int r = 0; r < model().rowCount(); ++r)
        shown << model().index(r, 0).data().toString();
    EXPECT_EQ(shown, walk(dm.PlaceTable, QStringLiteral("PlaceDescription")));
}

TEST_F(GridTest, TheSelectedRowAndTheTableRowFollowEachOther)
{
    grid.setDataSource(&dm.PlaceSource);
    DBEdit edit;
    edit.setDataSource(&dm.PlaceSource);
    edit.setDataField(QStringLiteral("PlaceDescription"));

    // A row beyond those read so far is read when the table moves there.
    ASSERT_TRUE(dm.PlaceTable.locate(QStringLiteral("PlaceDescription"), QStringLiteral("India")));
    ASSERT_GE(grid.currentIndex().row(), 0);
    EXPECT_EQ(grid.currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("India"));

    grid.setCurrentIndex(model().index(modelRowOf(QStringLiteral("Charlie")), 0));
    EXPECT_EQ(readText(dm.PlaceTable, QStringLiteral("PlaceDescription")), QStringLiteral("Charlie"));
    EXPECT_EQ(edit.text(), QStringLiteral("Charlie"));
}

TEST_F(GridTest, CellEditsGoToTheRowAndShowWhileEditing)
{
    grid.setDataSource(&dm.PlaceSource);
    dm.PlaceTable.first();
    const int echo = model().rowOf([&] {
        EXPECT_TRUE(dm.PlaceTable.locate(QStringLiteral("PlaceDescription"), QStringLiteral("Echo")));
        return dm.PlaceTable.bookmark();
    }());
    dm.PlaceTable.first();

    EXPECT_FALSE(model().flags(model().index(echo, 1)) & Qt::ItemIsEditable);  // the key
    ASSERT_TRUE(model().setData(model().index(echo, 0), QStringLiteral("Easy")));
    EXPECT_EQ(dm.PlaceTable.state(), DataSet::State::Edit);
    EXPECT_EQ(model().index(echo, 0).data().toString(), QStringLiteral("Easy"));

    // Typed into the edited row by another control: the grid shows it too.
    DBEdit edit;
    edit.setDataSource(&dm.PlaceSource);
    edit.setDataField(QStringLiteral("PlaceDescription"));
    typeInto(edit, QStringLiteral("Eagle"));
    EXPECT_EQ(model().index(echo, 0).data().toString(), QStringLiteral("Eagle"));

    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_EQ(grid.currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("Eagle"));
    auto other = otherView("Place");
    EXPECT_TRUE(other->locate(QStringLiteral("PlaceDescription"), QStringLiteral("Eagle")));

    // A row being inserted shows once posted; the row it started from keeps
    // its own values meanwhile.
    const int before = grid.currentIndex().row();
    EXPECT_TRUE(dm.PlaceTable.insert());
    dm.PlaceTable.setFieldValue(QStringLiteral("PlaceDescription"), QStringLiteral("Kilo"));
    EXPECT_EQ(grid.currentIndex().row(), -1);
    EXPECT_EQ(model().index(before, 0).data().toString(), QStringLiteral("Eagle"));
    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_EQ(grid.currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("Kilo"));

    grid.setReadOnly(true);
    EXPECT_FALSE(model().flags(model().index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model().setData(model().index(0, 0), QStringLiteral("Nope")));
}

}  // namespace
