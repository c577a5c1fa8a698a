#pragma once

#include <QString>

namespace kv::data {

class DataSet;

// The system settings: the one Settings row with a default for every Null
// field, read by every part of the program.
struct TSystemInfo {
    bool DisableLogin = false;
    bool AutoLogin = false;
    bool ProgramSoundEnabled = true;
    bool ShowPreview = false;
    qint64 PreviewSizeX = 200;
    qint64 PreviewSizeY = 200;
    qint64 DefaultPlaceID = -1;
    qint64 DefaultCatagoryID = -1;
    qint64 DefaultPhotographerID = -1;
    qint64 DefaultRatingID = -1;
    qint64 DefaultMediaTypeID = -1;
    qint64 DefaultStorageLocationID = -1;
    qint64 DefaultAlbumID = -1;
    QString DefaultIndexTemplate;
    QString DefaultDetailTemplate;
    QString CalDirectory;
    QString PreviewDir;
    QString EncryptionKey;
    QString BackgroundBitmap;
    QString GenerateLocation;
    QString ImageDirectory;
    QString ExtraFiles;
    QString FTPSite;
    qint64 FTPPort = 22;
    QString FTPUserName;
    QString FTPPassword;
    QString FTPLocation;
    bool FTPPassive = false;
    QString AddressTemplate;
    QString BirthdayTemplate;
    QString PersonTemplate;
    qint64 ShowBackground = 0;
    qint64 ShowInterval = 5;
    qint64 ShowMinutes = 0;
    bool ShowOnTop = true;
    qint64 ShowMaxSize = 150;

    // Page-generation values, reset on every load; templates change them.
    qint64 PicturePreviewSize = 100;
    qint64 PersonPreviewSize = 100;
    QString IndexName = QStringLiteral("index.html");
};

TSystemInfo& SystemInfo();

// Where the defaults point: shipped read-only files (templates, the
// background picture) and the writable folders (previews, generated pages).
struct ProgramFolders {
    QString shipped;  // with a trailing separator
    QString data;     // with a trailing separator
};

// The folders of this installation: shipped files beside the program (or in
// its share folder), writable ones under the machine-wide data folder.
ProgramFolders installedProgramFolders();

// Copies the Settings row the data set is on into the record, with the
// defaults; a missing row gives every default. Default writable folders are
// made when missing.
void LoadSettings(const DataSet& settings, const ProgramFolders& folders, TSystemInfo& info);
void LoadSettings(const DataSet& settings, TSystemInfo& info = SystemInfo());

}  // namespace kv::data
