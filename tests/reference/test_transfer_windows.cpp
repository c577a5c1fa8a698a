// The Export and Import windows driven offscreen, the picture export
// command, and the status window the runs show.
#include "support/TestApplication.h"
#include "support/TempCatalogue.h"

#include "common/CalendarForm.h"
#include "common/DateText.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/StatusWindows.h"
#include "data/FieldValue.h"
#include "reference/ExportForm.h"
#include "reference/FieldSpecs.h"
#include "reference/FileChooser.h"
#include "reference/ImportData.h"
#include "reference/ImportForm.h"
#include "reference/PictureExportCommand.h"
#include "reference/StatusWindowProgress.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace kv::reference;
using kv::common::MessageKind;

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << QString(s).replace("\r", "\\r").replace("\n", "\\n").toStdString() << '"';
}

namespace {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() { kv::test::testApplication<QApplication>(); }
    static void SetUpTestSuite() { kv::common::setLoggingEnabled(false); }

    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    QTemporaryDir dir;

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void writeFile(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

// Drags the data onto the view and drops it at pos, as the user does: the
// drop reaches only a widget that accepted the drag entering it.
void dropOn(QAbstractItemView* view, QMimeData* mime, const QPoint& pos)
{
    QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drop);
    delete mime;
}

// What dragging the item at (row, column) of the view carries.
QMimeData* dragged(QAbstractItemView* view, int row, int column = 0)
{
    return view->model()->mimeData({view->model()->index(row, column)});
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

const QStringList kRatingSpecs = {"Rating ID\t10\tRatingID\tRatingID\tInteger",
                                  "Description\t50\tRatingDescription\tRatingDescription\tText",
                                  "Added\t15\tAddedDate\tAddedDate\tDate"};

// --- Export window ---

TEST_F(WindowTest, ExportChoosesFieldsByButtonAndByDragging)
{
    TExportForm form;
    for (const QString& s : kRatingSpecs)
        form.AddExportField(s);
    EXPECT_EQ(form.windowTitle(), "Export");
    EXPECT_EQ(form.property("helpContext").toInt(), 904);
    EXPECT_EQ(items(form.AvailableList), (QStringList{"Added", "Description", "Rating ID"}));
    EXPECT_FALSE(form.RemoveFieldButton->isEnabled());
    EXPECT_FALSE(form.RemoveAllButton->isEnabled());

    form.AvailableList->setCurrentRow(2);
    form.AddFieldButton->click();
    form.AddFieldButton->click();  // the same label may be chosen twice
    EXPECT_EQ(items(form.ChosenList), (QStringList{"Rating ID", "Rating ID"}));
    EXPECT_TRUE(form.RemoveFieldButton->isEnabled());

    dropOn(form.ChosenList, dragged(form.AvailableList, 1), QPoint(5, 5));
    EXPECT_EQ(items(form.ChosenList), (QStringList{"Rating ID", "Rating ID", "Description"}));
    EXPECT_EQ(form.SelectList(), "RatingID,RatingID,RatingDescription");
    EXPECT_EQ(form.ChosenSpecs(), (QStringList{kRatingSpecs[0], kRatingSpecs[0], kRatingSpecs[1]}));

    form.ChosenList->setCurrentRow(0);
    form.RemoveFieldButton->click();
    EXPECT_EQ(items(form.ChosenList), (QStringList{"Rating ID", "Description"}));
    form.AddAllButton->click();
    EXPECT_EQ(items(form.ChosenList), items(form.AvailableList));
    form.RemoveAllButton->click();
    EXPECT_EQ(form.ChosenList->count(), 0);
    EXPECT_FALSE(form.RemoveAllButton->isEnabled());

    // Something other than a label is not taken.
    auto* text = new QMimeData;
    text->setText("Rating ID");
    dropOn(form.ChosenList, text, QPoint(5, 5));
    EXPECT_EQ(form.ChosenList->count(), 0);
}

TEST_F(WindowTest, ExportIsEnabledOnlyWithEverythingItNeeds)
{
    for (const bool dateFormatEnabled : {true, false}) {
        TExportForm form;
        for (const QString& s : kRatingSpecs)
            form.AddExportField(s);
        if (!dateFormatEnabled)
            form.DisableDateFormat();
        const struct {
            const char* step;
            std::function<void()> act;
            bool enabled;
        } steps[] = {
            {"nothing chosen", [] {}, false},
            {"a file name", [&] { form.FileNameEdit->setText("out.txt"); }, false},
            {"a field", [&] { form.AddAllButton->click(); }, false},
            {"an export format", [&] { form.ExportFormatCombo->setCurrentIndex(1); }, !dateFormatEnabled},
            {"a date format", [&] { form.DateFormatCombo->setCurrentIndex(0); }, true},
            {"no file name", [&] { form.FileNameEdit->clear(); }, false},
            {"the file name again", [&] { form.FileNameEdit->setText("out.txt"); }, true},
            {"no field", [&] { form.RemoveAllButton->click(); }, false},
        };
        for (const auto& s : steps) {
            s.act();
            EXPECT_EQ(form.ExportButton->isEnabled(), s.enabled) << s.step << " date format list "
                                                                 << dateFormatEnabled;
        }
    }
}

TEST_F(WindowTest, ExportChecksTheDateRangeBeforeClosing)
{
    const QString head = QStringLiteral("Invalid Data Has Been Entered For The Following Fields:\n\n");
    const struct {
        QString from, to;
        bool rangeEnabled;
        QString message;  // empty: the window closes with OK
    } cases[] = {
        {"01/01/1960", "03/05/2004", true, ""},
        {"03/05/2004", "03/05/2004", true, ""},  // equal dates pass
        {"13/01/2004", "03/05/2004", true, head + "Invalid From Date Entered.\n"},
        {"01/01/1960", "04/31/2004", true, head + "Invalid To Date Entered.\n"},
        {"", "", true, head + "Invalid From Date Entered.\nInvalid To Date Entered.\n"},
        {"03/06/2004", "03/05/2004", true, head + "From Date Must Be Less than To Date.\n"},
        {"13/01/2004", "", false, ""},  // a disabled range is not checked
    };
    for (const auto& c : cases) {
        messages.clear();
        TExportForm form;
        if (!c.rangeEnabled)
            form.DisableDateRange();
        form.FromDateEdit->setText(c.from);
        form.ToDateEdit->setText(c.to);
        form.ExportClick();
        EXPECT_EQ(form.result(), c.message.isEmpty() ? QDialog::Accepted : QDialog::Rejected)
            << c.from.toStdString() << " " << c.to.toStdString();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.texts().isEmpty());
        } else {
            ASSERT_EQ(messages.messages().size(), 1);
            EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
            EXPECT_EQ(messages.texts()[0], c.message);
        }
    }
}

TEST_F(WindowTest, ExportDateBoxesStartAndPickFromTheCalendar)
{
    TExportForm form;
    EXPECT_EQ(form.StartDate(), "01/01/1960");
    EXPECT_EQ(form.StopDate(), kv::common::ShortDateText(QDate::currentDate()));
    EXPECT_EQ(form.FromCalendarButton->toolTip(), "Show Calendar");

    QDate shownAt;
    bool accept = true;
    kv::common::ModalHandlerScope handler([&](QObject& window) {
        auto& calendar = dynamic_cast<kv::common::TCalendarForm&>(window);
        shownAt = calendar.date();
        calendar.setDate(QDate(2004, 3, 5));
        return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
    form.FromCalendarButton->click();
    EXPECT_EQ(shownAt, QDate(1960, 1, 1));
    EXPECT_EQ(form.StartDate(), "03/05/2004");

    form.ToDateEdit->setText("99/99/2004");  // not a date: the calendar opens on today
    accept = false;
    form.ToCalendarButton->click();
    EXPECT_EQ(shownAt, QDate::currentDate());
    EXPECT_EQ(form.StopDate(), "99/99/2004");

    form.DisableDateRange();
    EXPECT_FALSE(form.FromCalendarButton->isEnabled());
    EXPECT_FALSE(form.ToDateEdit->isEnabled());
}

TEST_F(WindowTest, BrowseButtonsAskForTheirKindOfFile)
{
    QList<FileRequest> asked;
    QString answer = path("chosen.txt");
    FileChooserScope chooser([&](QWidget*, const FileRequest& r) {
        asked << r;
        return answer;
    });
    TExportForm exportForm;
    exportForm.FileNameEdit->setText("old.txt");
    exportForm.BrowseButton->click();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].save);
    EXPECT_EQ(asked[0].caption, "Select File To Export");
    EXPECT_EQ(asked[0].filter, "Text File (*.txt);;All Files (*.*)");
    EXPECT_EQ(asked[0].defaultSuffix, "Txt");
    EXPECT_EQ(asked[0].startFile, "old.txt");
    EXPECT_EQ(exportForm.FileName(), answer);

    TImportForm importForm;
    answer.clear();  // cancelled: the box keeps its name
    importForm.FileNameEdit->setText("keep.txt");
    importForm.BrowseButton->click();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_FALSE(asked[1].save);
    EXPECT_EQ(asked[1].filter, "Text Files (*.txt);;All Files (*.*)");
    EXPECT_EQ(importForm.FileName(), "keep.txt");
}

// --- Import window ---

class ImportWindowTest : public WindowTest {
protected:
    std::unique_ptr<TImportForm> form = std::make_unique<TImportForm>();

    void SetUp() override
    {
        for (const char* spec : {"Name (*)\tPersonDescription\tRequired\tText",
                                 "Birthday\tBirthdate\tNot Required\tDate", "City\tCity\tNot Required\tText"})
            form->AddImportField(QString::fromLatin1(spec));
        form->resize(1000, 700);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    QTableWidget* preview() const { return form->PreviewGrid; }
    bool previewShown() const { return form->PreviewStack->currentWidget() == form->PreviewGrid; }
    // Drags the preview cell onto the field row (rowY: a y position in the grid).
    void place(int previewColumn, int rowY)
    {
        dropOn(form->FieldsGrid, dragged(preview(), 0, previewColumn), QPoint(10, rowY));
    }
    int rowY(int row) const { return form->FieldsGrid->visualItemRect(form->FieldsGrid->item(row, 0)).center().y(); }
};

TEST_F(ImportWindowTest, PreviewShowsTheFirstDataLinesSplitIntoFields)
{
    EXPECT_EQ(form->windowTitle(), "Import");
    EXPECT_EQ(form->property("helpContext").toInt(), 905);
    EXPECT_FALSE(previewShown());
    EXPECT_EQ(form->NoFileLabel->text(), "No File Loaded");

    QByteArray file = "\"Name\",\"Born\",\"City\"\r\n";
    for (int i = 1; i <= 150; ++i)
        file += QStringLiteral("\"P%1\",\"2000-01-01\",\"C, %1\"\r\n").arg(i).toUtf8();
    writeFile(path("people.txt"), file);
    form->FileNameEdit->setText(path("people.txt"));
    EXPECT_FALSE(previewShown()) << "no layout chosen yet";
    form->ImportFormatCombo->setCurrentText("ASCII Coma Delimited");
    ASSERT_TRUE(previewShown());
    ASSERT_EQ(preview()->columnCount(), 3);
    EXPECT_EQ(preview()->horizontalHeaderItem(2)->text(), "Field 3");
    EXPECT_EQ(preview()->rowCount(), 101);
    EXPECT_EQ(preview()->item(0, 0)->text(), "Name");
    EXPECT_EQ(preview()->item(1, 2)->text(), "C, 1");
    EXPECT_EQ(preview()->font().family(), "Courier New");
    EXPECT_EQ(preview()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);

    form->LinesToSkipSpin->setValue(1);
    EXPECT_EQ(preview()->item(0, 0)->text(), "P1");
    EXPECT_EQ(preview()->item(100, 0)->text(), "P101");
}

TEST_F(ImportWindowTest, FixedLengthPreviewUsesTheColumnAnalysisAndCanBeResized)
{
    writeFile(path("fixed.txt"), "Name      Born        City    \r\n"
                                 "Ann       1999-12-31  Lyon    \r\n"
                                 "Christina 2003-03-03  Rome    \r\n");
    form->LinesToSkipSpin->setValue(1);
    form->ImportFormatCombo->setCurrentText("ASCII Fixed Length");
    form->FileNameEdit->setText(path("fixed.txt"));
    ASSERT_TRUE(previewShown());
    EXPECT_EQ(preview()->columnCount(), 3);
    EXPECT_EQ(form->FixedColumns().count, 3);
    EXPECT_EQ(form->FixedColumns().column(2).start, 11);
    EXPECT_EQ(preview()->item(1, 0)->text(), "Christina ");
    EXPECT_EQ(preview()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

TEST_F(ImportWindowTest, DroppingAPreviewCellPlacesItsColumnOnAFieldRow)
{
    writeFile(path("p.txt"), "Ann,1999-12-31,Lyon\r\n");
    form->ImportFormatCombo->setCurrentText("ASCII Coma Delimited");
    form->FileNameEdit->setText(path("p.txt"));
    ASSERT_TRUE(previewShown());
    EXPECT_FALSE(form->ImportButton->isEnabled());

    place(2, rowY(2));  // Field 3 on City
    EXPECT_EQ(form->FieldsGrid->item(2, 1)->text(), "Field 3");
    EXPECT_FALSE(form->ImportButton->isEnabled()) << "the required name has no column";
    place(0, rowY(0));
    EXPECT_TRUE(form->ImportButton->isEnabled());
    place(1, form->FieldsGrid->viewport()->height() - 2);  // below the last row: on the last row
    EXPECT_EQ(form->PlacedColumn(2), 2);
    EXPECT_EQ(form->PlacedColumn(1), 0);
    EXPECT_EQ(form->ChosenFields(), (QStringList{"Name (*)\tPersonDescription\tRequired\tText\t1\t0",
                                                 "City\tCity\tNot Required\tText\t2\t0"}));

    // The file disappears: every column is let go and Import is disabled.
    QFile::remove(path("p.txt"));
    form->ImportFormatCombo->setCurrentText("ASCII Tab Delimited");
    EXPECT_FALSE(previewShown());
    EXPECT_TRUE(form->ChosenFields().isEmpty());
    EXPECT_EQ(form->FieldsGrid->item(0, 1)->text(), QString());
    EXPECT_FALSE(form->ImportButton->isEnabled());
}

TEST_F(ImportWindowTest, FilesThatCannotBePreviewedSaySo)
{
    form->ImportFormatCombo->setCurrentText("ASCII Coma Delimited");
    QStringList fields;
    for (int i = 1; i <= 150; ++i)
        fields << QString::number(i);
    const struct {
        const char* name;
        QByteArray bytes;
        bool shown;
        QString note;
    } cases[] = {
        {"binary.jpg", QByteArray("\xFF\xD8\xFF\0\0", 5), false, "This is not a text file."},
        {"empty.txt", "", false, "The file is empty."},
        {"wide.txt", fields.join(u',').toUtf8() + "\r\n", true,
         "The file has more columns than can be imported; only the first 100 are shown."},
    };
    for (const auto& c : cases) {
        writeFile(path(c.name), c.bytes);
        form->FileNameEdit->setText(path(c.name));
        EXPECT_EQ(previewShown(), c.shown) << c.name;
        EXPECT_EQ(form->PreviewNote->text(), c.note) << c.name;
        EXPECT_FALSE(form->PreviewNote->isHidden()) << c.name;
    }
    EXPECT_EQ(preview()->columnCount(), 100);
}

TEST_F(ImportWindowTest, TheCallerImportsWhatTheWindowHandsBack)
{
    kv::test::OpenDataModule m;
    m.db().exec("INSERT INTO Person (PersonDescription, City) VALUES ('Ann', 'Paris')");
    m.dm.PersonTable.refresh();
    writeFile(path("in.txt"), "Name\tBorn\tCity\r\nANN\t05 Mar 2004\tLyon\r\nBob\t\tRome\r\n");

    kv::common::ModalHandlerScope handler([&](QObject& window) {
        auto& f = dynamic_cast<TImportForm&>(window);
        f.FileNameEdit->setText(path("in.txt"));
        f.ImportFormatCombo->setCurrentText("ASCII Tab Delimited");
        f.DateFormatCombo->setCurrentText("DD-MMM-YYYY");
        f.LinesToSkipSpin->setValue(1);
        f.PlaceColumn(0, 1);
        f.PlaceColumn(1, 2);
        f.PlaceColumn(2, 3);
        f.ImportButton->click();
        return f.result();
    });
    ASSERT_EQ(kv::common::showModal(*form), QDialog::Accepted);
    const ImportResult r = ImportFileIntoTable(m.dm, form->FileName(), form->DateFormat(), form->ImportFormat(),
                                               m.dm.PersonTable, form->ChosenFields(), form->LinesToSkip(),
                                               "PersonDescription", "Person.db", &form->FixedColumns());
    EXPECT_TRUE(r.completed) << messages.texts().join("|").toStdString();
    EXPECT_EQ(r.updatedLines, 1);
    EXPECT_EQ(r.appendedRows, 1);
    EXPECT_EQ(m.dm.PersonTable.recordCount(), 2);
    ASSERT_TRUE(m.dm.PersonTable.locate("PersonDescription", "ANN"));
    EXPECT_EQ(kv::data::readText(m.dm.PersonTable, "City"), "Lyon");
    EXPECT_EQ(kv::data::valueDate(m.dm.PersonTable.fieldValue("Birthdate")), QDate(2004, 3, 5));
}

// --- the picture export command and the status window ---

TEST_F(WindowTest, PictureExportCommandWritesTheFoundPicturesTheUserMaySee)
{
    kv::test::OpenDataModule m;
    m.db().exec("INSERT INTO PictureInfo (PictureID, PictureDescription, RatingID) VALUES (1, 'Beach', 1), "
                "(2, 'Secret', 3)");
    m.dm.PermittedRatings.append(1);
    m.dm.SearchResult.append(1);
    m.dm.SearchResult.append(2);
    const QString file = path("found.txt");
    bool sawDateRange = true;
    kv::common::ModalHandlerScope handler([&](QObject& window) {
        auto& f = dynamic_cast<TExportForm&>(window);
        sawDateRange = f.FromDateEdit->isEnabled();
        f.AvailableList->setCurrentItem(f.AvailableList->findItems("Picture Description", Qt::MatchExactly).first());
        f.AddFieldButton->click();
        f.ExportFormatCombo->setCurrentText("ASCII Tab Delimited");
        f.DateFormatCombo->setCurrentText("YYYY-MM-DD");
        f.FileNameEdit->setText(file);
        f.ExportButton->click();
        return f.result();
    });
    EXPECT_TRUE(ExportFoundPictures(m.dm));
    EXPECT_FALSE(sawDateRange);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "Beach\r\n");
    EXPECT_EQ(messages.texts(), QStringList{"Export Compleated; Data Exported To: " + file});
    EXPECT_FALSE(m.dm.ShowSearchResult);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<kv::common::TMessageForm*>(w) && w->isVisible()) << "status window left open";

    // Cancelled: nothing is written or said.
    messages.clear();
    kv::common::ModalHandlerScope cancel([](QObject&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(ExportFoundPictures(m.dm));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(WindowTest, StatusWindowShowsTextAnimationAndGauge)
{
    StatusWindowProgress progress;
    progress.start("Please Wait: Exporting Data", 40);
    kv::common::TMessageForm* window = progress.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->text(), "Please Wait: Exporting Data");
    EXPECT_TRUE(window->SearchAnimation->isRunning());
    EXPECT_TRUE(window->ProgressBar->isVisible());
    EXPECT_EQ(window->ProgressBar->maximum(), 40);
    progress.setPosition(25);
    EXPECT_EQ(window->ProgressBar->value(), 25);
    progress.finish();
    EXPECT_EQ(progress.window(), nullptr);
}

}  // namespace
