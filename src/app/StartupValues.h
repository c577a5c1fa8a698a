#pragma once

#include <QString>
#include <QStringList>

namespace kv::app {

// Where the catalogue is and how it is opened, decided once at start-up.
struct DatabaseLocation {
    QString directory;  // always ends with the separator
    bool readOnly = false;
};

// The folders the resolution looks in (the platform's machine-wide data
// folder and the program's own folder), passed in so that tests can aim them.
struct LocationFolders {
    QString commonAppData;  // with a trailing separator, or empty
    QString executableDir;
    QString currentDir;
};

// The machine-wide data folder for Kestrelview, with a trailing separator.
QString commonAppDataFolder();
LocationFolders systemLocationFolders();

// Resolves the catalogue directory from Kestrelview.ini in the current
// directory, with the fallbacks: the common data folder's "Database", the
// program's own "Database" for the value Database.
DatabaseLocation resolveDatabaseLocation(const LocationFolders& folders);

// Command-line switches; every parameter is upper-cased before comparing.
struct CommandLineSwitches {
    bool resetPositions = false;    // "-R" or "/R"
    bool noSplash = false;          // "-S" or "/S"
    bool showClearDatabase = false; // first parameter "Reset"
};
CommandLineSwitches parseCommandLine(const QStringList& parameters);  // without the program name

// The help file: "Kestrelview.hlp" in the current directory or beside the
// program; empty when there is none.
QString helpFile(const LocationFolders& folders);

// The longest catalogue directory the engine can open: SQLite's file names
// stop at 512 bytes, and the directory must leave room for
// "catalogue.sqlite-journal" and the terminator.
inline constexpr int kMaxDatabaseDirectoryBytes = 480;
bool databaseDirectoryTooLong(const QString& directory);
QString maximumLengthMessage();

// Values set once at start-up and read everywhere.
struct StartupValues {
    QString DatabaseDirectory;
    bool DatabaseReadOnly = false;
    bool HelpAvailable = false;
    CommandLineSwitches switches;
};
StartupValues& startupValues();

// The program's short date format.
inline constexpr const char* kShortDateFormat = "MM/dd/yyyy";

}  // namespace kv::app
