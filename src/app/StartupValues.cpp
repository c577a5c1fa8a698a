#include "app/StartupValues.h"

#include "app/ReadSettings.h"
#include "common/FileOperations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kv::app {

QString commonAppDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return common::AddTrailingBackslash(base) + QStringLiteral("Kestrelview/");
}

LocationFolders systemLocationFolders()
{
    return {commonAppDataFolder(), QCoreApplication::applicationDirPath(), QDir::currentPath()};
}

DatabaseLocation resolveDatabaseLocation(const LocationFolders& folders)
{
    const QString defaultDir = folders.commonAppData + QStringLiteral("Database");
    const QDir current(folders.currentDir);
    const QString iniFile = current.filePath(QStringLiteral("Kestrelview.ini"));
    DatabaseLocation result;
    QString dir;
    if (!QFileInfo::exists(iniFile)) {
        dir = defaultDir;
    } else {
        TReadSettings ini(iniFile);
        const QString value = ini.ReadString(QStringLiteral("Settings"), QStringLiteral("DatabaseLocation="), defaultDir);
        result.readOnly = ini.ReadBool(QStringLiteral("Settings"), QStringLiteral("DatabaseReadOnly="), false);
        if (QDir::isAbsolutePath(value)) {
            dir = value;  // used as it stands, existing or not
        } else if (value.compare(QStringLiteral("DATABASE"), Qt::CaseInsensitive) == 0) {
            dir = common::AddTrailingBackslash(folders.executableDir) + QStringLiteral("Database");
        } else if (value.isEmpty() || !QFileInfo(current.filePath(value)).isDir()) {
            const QString underCommon = folders.commonAppData + value;
            dir = QFileInfo(underCommon).isDir() ? underCommon : defaultDir;
        } else {
            dir = current.filePath(value);
        }
    }
    result.directory = common::AddTrailingBackslash(dir);
    return result;
}

CommandLineSwitches parseCommandLine(const QStringList& parameters)
{
    CommandLineSwitches s;
    for (const QString& p : parameters) {
        const QString upper = p.toUpper();
        if (upper == u"-R" || upper == u"/R")
            s.resetPositions = true;
        if (upper == u"-S" || upper == u"/S")
            s.noSplash = true;
    }
    s.showClearDatabase = !parameters.isEmpty() && parameters.first().toUpper() == u"RESET";
    return s;
}

QString helpFile(const LocationFolders& folders)
{
    for (const QString& dir : {folders.currentDir, folders.executableDir}) {
        const QString file = QDir(dir).filePath(QStringLiteral("Kestrelview.hlp"));
        if (QFileInfo(file).isFile())
            return file;
    }
    return {};
}

bool databaseDirectoryTooLong(const QString& directory)
{
    return QFile::encodeName(directory).size() > kMaxDatabaseDirectoryBytes;
}

QString maximumLengthMessage()
{
    return QStringLiteral("Maximum Database Directory Length Exceeded!\rMaximum Database Directory Length is %1 "
                          "bytes!\rAborting Application!")
        .arg(kMaxDatabaseDirectoryBytes);
}

StartupValues& startupValues()
{
    static StartupValues values;
    return values;
}

}  // namespace kv::app
