// The ini reader, the catalogue directory resolution and the switches.
#include "app/ReadSettings.h"
#include "app/EngineCheck.h"
#include "app/StartupValues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::app;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return path;
}

}  // namespace

TEST(ReadSettings, SectionAndKeyRules)
{
    QTemporaryDir dir;
    const QString ini = writeFile(dir, "k.ini",
                                  "DatabaseLocation=before any section\r\n"
                                  "[Other]\r\n"
                                  "DatabaseLocation=other section\r\n"
                                  "[settings]\r\n"
                                  ";DatabaseLocation=commented\r\n"
                                  "  DatabaseReadOnly=indented\r\n"
                                  "databaselocation= C:\\Pictures\r\n"
                                  "DatabaseLocation=second\r\n"
                                  "DatabaseReadOnly=y\r\n"
                                  "Flag1=1\r\n"
                                  "FlagS=s\r\n"
                                  "FlagE=E\r\n"
                                  "FlagT=T\r\n"
                                  "FlagNo=No\r\n"
                                  "FlagYe=ye\r\n"
                                  "FlagEmpty=\r\n"
                                  "[Settings ]\r\n"
                                  "Trailing=blank header\r\n");
    TReadSettings r(ini);
    // The first matching line of the section wins; nothing is trimmed.
    EXPECT_EQ(r.ReadString("Settings", "DatabaseLocation=", "def"), " C:\\Pictures");
    EXPECT_EQ(r.ReadString("[Settings]", "DATABASELOCATION=", "def"), " C:\\Pictures");
    EXPECT_EQ(r.ReadString("Settings", "Missing=", "def"), "def");
    EXPECT_EQ(r.ReadString("Settings", "Trailing=", "def"), "def");  // "[Settings ]" is another section
    EXPECT_EQ(r.ReadString("Other", "DatabaseLocation=", "def"), "other section");

    const struct {
        const char* key;
        bool defaultValue;
        bool expected;
    } bools[] = {
        {"DatabaseReadOnly=", false, true}, // y is in YES
        {"Flag1=", false, false},           // 1: default
        {"Flag1=", true, true},
        {"FlagS=", true, false},            // S is inside FALSE
        {"FlagE=", true, false},            // E too
        {"FlagT=", false, true},            // T is in TRUE
        {"FlagNo=", true, false},
        {"FlagYe=", false, true},
        {"FlagEmpty=", true, true},
        {"Missing=", true, true},
    };
    for (const auto& b : bools)
        EXPECT_EQ(r.ReadBool("Settings", b.key, b.defaultValue), b.expected) << b.key << " default " << b.defaultValue;
}

TEST(ReadSettings, BadFilesGiveDefaults)
{
    QTemporaryDir dir;
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char(i * 37 % 256));
    const QString files[] = {dir.filePath("missing.ini"), writeFile(dir, "empty.ini", ""),
                             writeFile(dir, "binary.ini", binary), writeFile(dir, "odd.ini", "[[[\n]]]\n[\n=\n")};
    for (const QString& f : files) {
        TReadSettings r(f);
        EXPECT_EQ(r.ReadString("Settings", "DatabaseLocation=", "def"), "def") << f.toStdString();
        EXPECT_FALSE(r.ReadBool("Settings", "DatabaseReadOnly=", false));
    }
    EXPECT_EQ(TReadSettings::normalizedSection("Settings"), "[Settings]");
    EXPECT_EQ(TReadSettings::normalizedSection("[Settings]"), "[Settings]");
    EXPECT_EQ(TReadSettings::normalizedSection("[a]b"), "[a]b]");
}

class DatabaseLocationTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    LocationFolders folders;
    void SetUp() override
    {
        for (const char* d : {"common", "exe", "current", "common/Pictures", "current/Local"})
            QDir().mkpath(root.filePath(d));
        folders = {root.filePath("common") + "/", root.filePath("exe"), root.filePath("current")};
    }

};

TEST_F(DatabaseLocationTest, ResolutionAndFallbacks)
{
    const QString common = folders.commonAppData;
    const struct {
        const char* ini;  // nullptr: no Kestrelview.ini
        QString directory;
        bool readOnly;
    } cases[] = {
        {nullptr, common + "Database/", false},
        {"[Settings]\nDatabaseLocation=Database\n", root.filePath("exe") + "/Database/", false},
        {"[Settings]\nDatabaseLocation=dAtAbAsE\nDatabaseReadOnly=Yes\n", root.filePath("exe") + "/Database/", true},
        {"[Settings]\nDatabaseLocation=Local\n", root.filePath("current") + "/Local/", false},
        {"[Settings]\nDatabaseLocation=Pictures\n", common + "Pictures/", false},
        {"[Settings]\nDatabaseLocation=Nowhere\n", common + "Database/", false},
        {"[Settings]\nDatabaseLocation=\n", common, false},
        {"[Settings]\nDatabaseLocation=/no/such/catalogue\nDatabaseReadOnly=1\n", "/no/such/catalogue/", false},
        {"[Settings]\nDatabaseReadOnly=s\n", common + "Database/", false},
        {"[Other]\nDatabaseLocation=Local\n", common + "Database/", false},
    };
    for (const auto& c : cases) {
        QFile::remove(root.filePath("current/Kestrelview.ini"));
        if (c.ini)
            writeFile(root, "current/Kestrelview.ini", c.ini);
        const DatabaseLocation loc = resolveDatabaseLocation(folders);
        EXPECT_EQ(loc.directory, c.directory) << (c.ini ? c.ini : "(no ini)");
        EXPECT_EQ(loc.readOnly, c.readOnly) << (c.ini ? c.ini : "(no ini)");
    }
}

TEST(CommandLine, SwitchesAreUpperCasedAndFoundAnywhere)
{
    const struct {
        QStringList params;
        bool reset, noSplash, clear;
    } cases[] = {
        {{}, false, false, false},
        {{"-s"}, false, true, false},
        {{"x", "/S", "/r"}, true, true, false},
        {{"reset"}, false, false, true},
        {{"-R", "Reset"}, true, false, false},  // "Reset" counts only first
        {{"RESET", "-r"}, true, false, true},
    };
    for (const auto& c : cases) {
        const CommandLineSwitches s = parseCommandLine(c.params);
        EXPECT_EQ(s.resetPositions, c.reset) << c.params.join(' ').toStdString();
        EXPECT_EQ(s.noSplash, c.noSplash) << c.params.join(' ').toStdString();
        EXPECT_EQ(s.showClearDatabase, c.clear) << c.params.join(' ').toStdString();
    }
}

TEST(StartupChecks, EngineVersionAndDirectoryLength)
{
    EXPECT_TRUE(engineCheckMessage(3040001).isEmpty());
    EXPECT_TRUE(engineCheckMessage(kRequiredSqliteVersion).isEmpty());
    EXPECT_EQ(engineCheckMessage(3034999), "This Application Requires SQLite 3.35.0 Or Higher To Be Installed");
    EXPECT_EQ(engineCheckMessage(0), engineCheckMessage(1));
    EXPECT_TRUE(engineCheckMessage(sqliteVersionNumber()).isEmpty());

    EXPECT_FALSE(databaseDirectoryTooLong(QString(kMaxDatabaseDirectoryBytes, 'a')));
    EXPECT_TRUE(databaseDirectoryTooLong(QString(kMaxDatabaseDirectoryBytes + 1, 'a')));
    // Bytes count, not characters: 300 two-byte letters are too long.
    EXPECT_TRUE(databaseDirectoryTooLong(QString(300, QChar(0x00E9))));
    EXPECT_TRUE(maximumLengthMessage().contains(QString::number(kMaxDatabaseDirectoryBytes)));
}
