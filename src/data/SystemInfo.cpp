#include "data/SystemInfo.h"

#include "common/FileOperations.h"
#include "data/DataSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kv::data {

namespace {

}  // namespace

TSystemInfo& SystemInfo()
{
    static TSystemInfo info;
    return info;
}

ProgramFolders installedProgramFolders()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    QString shipped = QDir(programDir).filePath(QStringLiteral("../share/kestrelview"));
    if (!QFileInfo(shipped).isDir())
        shipped = programDir;
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    data = data.isEmpty() ? QDir::homePath() : data;
    return {common::AddTrailingBackslash(QDir::cleanPath(shipped)), common::AddTrailingBackslash(QDir(data).filePath(QStringLiteral("Kestrelview")))};
}

void LoadSettings(const DataSet& s, const ProgramFolders& folders, TSystemInfo& info)
{
    info.PicturePreviewSize = 100;
    info.PersonPreviewSize = 100;
    info.IndexName = QStringLiteral("index.html");

    const bool hasRow = s.active() && !s.isEmpty();
    auto b = [&](const char* f, bool d) { return hasRow ? readBool(s, QString::fromLatin1(f), d) : d; };
    auto i = [&](const char* f, qint64 d) { return hasRow ? readInteger(s, QString::fromLatin1(f), d) : d; };
    auto t = [&](const char* f, const QString& d) {
        // An empty text field is Null in the catalogue: it takes the default.
        return hasRow ? readText(s, QString::fromLatin1(f), d) : d;
    };
    // A default folder of our own is made when missing, so that it exists
    // when first needed.
    auto ownFolder = [&](const char* name) {
        const QString dir = folders.data + QString::fromLatin1(name);
        QDir().mkpath(dir);
        return dir;
    };

    info.DisableLogin = b("DisableLogin", false);
    info.AutoLogin = b("AutoLogin", false);
    info.ProgramSoundEnabled = b("ProgramSoundEnabled", true);
    info.ShowPreview = b("ShowPreview", false);
    info.PreviewSizeX = i("PreviewSizeX", 200);
    info.PreviewSizeY = i("PreviewSizeY", 200);
    info.DefaultPlaceID = i("DefaultPlaceID", -1);
    info.DefaultCatagoryID = i("DefaultCatagoryID", -1);
    info.DefaultPhotographerID = i("DefaultPhotographerID", -1);
    info.DefaultRatingID = i("DefaultRatingID", -1);
    info.DefaultMediaTypeID = i("DefaultMediaTypeID", -1);
    info.DefaultStorageLocationID = i("DefaultStorageLocationID", -1);
    info.DefaultAlbumID = i("DefaultAlbumID", -1);
    info.DefaultIndexTemplate = t("DefaultIndexTemplate", QString());
    info.DefaultDetailTemplate = t("DefaultDetailTemplate", QString());
    info.CalDirectory = hasRow && !s.isNull(QStringLiteral("CalDirectory")) ? readText(s, QStringLiteral("CalDirectory"))
                                                                             : common::AddTrailingBackslash(ownFolder("Calendar"));
    info.PreviewDir = hasRow && !s.isNull(QStringLiteral("PreviewDir")) ? readText(s, QStringLiteral("PreviewDir"))
                                                                         : ownFolder("Previews");
    info.EncryptionKey = t("EncryptionKey", QString());
    info.BackgroundBitmap = t("BackgroundBitmap", QStringLiteral("beach.jpg"));
    info.GenerateLocation = hasRow && !s.isNull(QStringLiteral("GenerateLocation"))
                                ? readText(s, QStringLiteral("GenerateLocation"))
                                : ownFolder("Generate");
    info.ImageDirectory = hasRow && !s.isNull(QStringLiteral("ImageDirectory")) ? readText(s, QStringLiteral("ImageDirectory"))
                                                                                 : ownFolder("Image");
    info.ExtraFiles = hasRow && !s.isNull(QStringLiteral("ExtraFiles")) ? readText(s, QStringLiteral("ExtraFiles"))
                                                                         : ownFolder("ExtraFiles");
    info.FTPSite = t("FTPSite", QString());
    info.FTPPort = i("FTPPort", 22);
    info.FTPUserName = t("FTPUserName", QString());
    info.FTPPassword = t("FTPPassword", QString());
    info.FTPLocation = t("FTPLocation", QString());
    info.FTPPassive = b("FTPPassive", false);
    info.AddressTemplate = t("AddressTemplate", folders.shipped + QStringLiteral("Templates/Address.htm"));
    info.BirthdayTemplate = t("BirthdayTemplate", folders.shipped + QStringLiteral("Templates/Birthday.htm"));
    info.PersonTemplate = t("PersonTemplate", folders.shipped + QStringLiteral("Templates/Person.htm"));
    info.ShowBackground = i("ShowBackground", 0);
    info.ShowInterval = i("ShowInterval", 5);
    info.ShowMinutes = i("ShowMinutes", 0);
    info.ShowOnTop = b("ShowOnTop", true);
    info.ShowMaxSize = i("ShowMaxSize", 150);

    info.ExtraFiles = common::AddTrailingBackslash(info.ExtraFiles);
    info.PreviewDir = common::AddTrailingBackslash(info.PreviewDir);
    info.GenerateLocation = common::AddTrailingBackslash(info.GenerateLocation);
    info.ImageDirectory = common::AddTrailingBackslash(info.ImageDirectory);
}

void LoadSettings(const DataSet& settings, TSystemInfo& info)
{
    LoadSettings(settings, installedProgramFolders(), info);
}

}  // namespace kv::data
