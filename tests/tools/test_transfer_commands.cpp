// kestrelview-catalogue export and import, run as the real program on a
// catalogue in a temporary directory.
#include "support/TempCatalogue.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>

using ::testing::HasSubstr;

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << QString(s).replace("\r", "\\r").replace("\n", "\\n").toStdString() << '"';
}

namespace {

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

class TransferCommandTest : public ::testing::Test {
protected:
    kv::test::TempCatalogue catalogue;
    QTemporaryDir files;

    QString path(const QString& name) const { return files.filePath(name); }

    ToolRun tool(QStringList arguments)
    {
        QProcess p;
        p.start(QStringLiteral(KV_CATALOGUE_TOOL), arguments);
        EXPECT_TRUE(p.waitForFinished(60000)) << arguments.join(' ').toStdString();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    ToolRun transfer(const char* command, const QString& table, const QString& file, QStringList options)
    {
        return tool(QStringList{QString::fromLatin1(command), catalogue.path(), table, path(file)} + options);
    }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The rows of a table as the sql command prints them.
    QString rows(const QString& table) { return tool({"sql", catalogue.path(), "Select * From \"" + table + "\""}).out; }
};

}  // namespace

TEST_F(TransferCommandTest, ImportThenExportInEachLayout)
{
    const struct {
        const char* layout;
        QString table;
        QByteArray imported;
        QStringList importOptions;
        QByteArray exported;  // with --header
    } cases[] = {
        {"comma", "Place.db", "\"Beach\"\r\n\"Lake, North\"\r\n\"Rue de\r\nla Paix\"\r\n", {},
         "\"Place ID\",\"Description\"\r\n1,\"Beach\"\r\n2,\"Lake, North\"\r\n3,\"Rue de la Paix\"\r\n"},
        // The file's columns go to the offered fields in their order.
        {"tab", "album.db", "Summer\t/t/index.html\t/t/detail.html\nWinter\t\t\n", {},
         "Album ID\tDescription\tIndex Template\tDetail Template\r\n1\tSummer\t/t/index.html\t/t/detail.html\r\n"
         "2\tWinter\t\t\r\n"},
        // Fixed columns are found by the analysis, which ends a column at
        // the blank after its longest word.
        {"fixed", "Rating.db", "Rating    \r\nExcellent \r\nGood      \r\n", {"--skip", "1"},
         "Rating ID Description                                       \r\n"
         "1         Excellent                                         \r\n"
         "2         Good                                              \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        write("in.txt", c.imported);
        const QStringList layout{"--layout", QString::fromLatin1(c.layout)};
        const ToolRun imported = transfer("import", c.table, "in.txt", layout + c.importOptions);
        EXPECT_EQ(imported.code, 0) << imported.err.toStdString();
        const int lines = static_cast<int>(c.exported.count("\r\n")) - 1;
        EXPECT_THAT(imported.out.toStdString(), HasSubstr(QString("%1 rows appended, 0 lines updated").arg(lines).toStdString()));

        const ToolRun exported = transfer("export", c.table, "out.txt", layout + QStringList{"--header"});
        EXPECT_EQ(exported.code, 0) << exported.err.toStdString();
        EXPECT_THAT(exported.out.toStdString(), HasSubstr(QString("Exported %1 rows").arg(lines).toStdString()));
        EXPECT_EQ(QString::fromUtf8(read("out.txt")), QString::fromUtf8(c.exported));

        // The same file again updates the rows it names and appends nothing.
        const ToolRun again = transfer("import", c.table, "in.txt", layout + c.importOptions);
        EXPECT_THAT(again.out.toStdString(),
                    HasSubstr(QString("0 rows appended, %1 lines updated").arg(lines).toStdString()));
        ASSERT_EQ(transfer("export", c.table, "out.txt", layout + QStringList{"--header"}).code, 0);
        EXPECT_EQ(QString::fromUtf8(read("out.txt")), QString::fromUtf8(c.exported));
    }
}

TEST_F(TransferCommandTest, FailuresPrintTheMessageChangeNothingAndExitNonZero)
{
    write("places.txt", "Beach\nLake\n");
    ASSERT_EQ(transfer("import", "Place.db", "places.txt", {"--layout", "tab"}).code, 0);
    // The catalogue refuses one name, as a damaged or foreign catalogue might.
    catalogue.open()->exec("CREATE TRIGGER refuse BEFORE INSERT ON Place WHEN NEW.PlaceDescription = 'Bad' "
                           "BEGIN SELECT RAISE(ABORT, 'Bad is refused'); END");
    const QString before = rows("Place.db");
    write("kept.txt", "old export");

    write("bad.txt", "Beach\nHarbour\nBad\nPark\n");
    write("binary.txt", QByteArray("Beach\0\0", 7));
    const struct {
        const char* what;
        QStringList arguments;  // after the command's DIR
        int code;
        const char* message;
    } cases[] = {
        {"a line the catalogue refuses, after lines that went in", {"import", "Place.db", "bad.txt", "--layout", "tab"},
         1, "The Import Stopped At Line 3; Nothing Has Been Imported."},
        {"not a text file", {"import", "Place.db", "binary.txt", "--layout", "tab"}, 1, "Is Not A Text File!"},
        {"no such file", {"import", "Place.db", "missing.txt", "--layout", "comma"}, 1, "Could Not Open Import File"},
        {"an unknown table", {"import", "Picture.db", "bad.txt", "--layout", "tab"}, 2,
         "Picture.db is not a reference table; one of: Place.db, Catagory.db"},
        {"an editor without import", {"import", "SubCatagory.db", "bad.txt", "--layout", "tab"}, 1,
         "SubCatagory.db offers no import"},
        {"a table without rows to export", {"export", "Rating.db", "kept.txt", "--layout", "tab"}, 1,
         "Error: No Records Found To Export!"},
        {"an unknown layout", {"export", "Place.db", "kept.txt", "--layout", "csv"}, 2, "usage:"},
        {"an option of the other command", {"export", "Place.db", "kept.txt", "--layout", "tab", "--skip", "1"}, 2,
         "usage:"},
        {"no layout", {"import", "Place.db", "bad.txt"}, 2, "usage:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList arguments = c.arguments;
        arguments.insert(1, catalogue.path());
        if (arguments.size() > 3)
            arguments[3] = path(arguments[3]);
        const ToolRun r = tool(arguments);
        EXPECT_EQ(r.code, c.code);
        EXPECT_THAT(r.err.toStdString(), HasSubstr(c.message));
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(rows("Place.db"), before);
        EXPECT_EQ(read("kept.txt"), QByteArray("old export"));
    }
}
