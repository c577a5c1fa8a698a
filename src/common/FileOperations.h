#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <stdexcept>

namespace kv::common {

// A file could not be written (full disk, read-only file, missing folder).
// Raised by the operations that replace files; the caller decides.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Paths

// The text with the platform separator appended when it is not empty and
// does not already end in one; an empty text stays empty.
QString AddTrailingBackslash(const QString& path);

// The system's temporary directory with a trailing separator.
QString TempDirectory();

// Cuts the text up to the first ";" off the mask list and returns it; the
// whole text (and an emptied list) when there is no ";".
QString SplitFirst(QString& maskList);

// The path as a label shows it when it is long: the file name is kept, and
// as much of the beginning as fits, the omission marked with "...".
QString ShortenPathForDisplay(const QString& path, int maxChars = 60);

// ---- Existence without hanging

// Whether the file exists (a directory does not count). Relative names are
// tested directly; absolute names are tested on a helper thread, and a test
// that has not answered within the probe timeout (an unreachable network or
// removable volume) counts as missing. A mount keeps at most one test
// running: while one has not answered, later calls for any file on that
// mount wait for it again rather than start another. Never prompts and
// never blocks longer than the timeout.
bool FileExistsOnReadyDrive(const QString& fileName);

// For tests: replaces the existence test run on the helper thread (an empty
// function restores the file system's) and the timeout in milliseconds
// (0 restores the default). Each returns the previous value.
std::function<bool(const QString&)> setReadyDriveProbe(std::function<bool(const QString&)> probe);
int setReadyDriveTimeout(int milliseconds);

// ---- Counting and listing by mask

// A mask list is masks separated by ";" ("*.jpg;*.jpeg;*.bmp"); letter case
// is ignored and "*.*" matches every file. Directories reached through a
// symbolic link are not entered, so a link loop cannot make these endless.
struct FileCount {
    qint64 files = 0;
    qint64 bytes = 0;
};

// The masks of a mask list in order; empty masks are dropped and "*.*"
// becomes "*".
QStringList MaskListItems(const QString& maskList);

// Files (not directories) matching the masks and their total size; with
// recurse, every subdirectory too. A file matching two masks counts twice,
// as ListFiles lists it twice.
FileCount CountFiles(const QString& directory, const QString& maskList, bool recurse);

// Clears list, then appends the full path of every matching file: for each
// directory all matches of the first mask (by name), then of the second,
// and so on; with recurse, then each subdirectory by name, depth first.
void ListFiles(const QString& directory, const QString& maskList, bool recurse, QStringList& list);

// ---- Picture files

// The fixed mask of picture files.
QString PictureFileMask();

// Whether the file name's extension, lower-cased, is one of the extensions
// of the masks ("*.jpg" gives ".jpg"), compared without letter case.
bool ExtensionInMasks(const QString& fileName, const QString& maskList);

// True for names ending in .jpg, .jpeg or .bmp in any letter case.
bool IsPictureFile(const QString& fileName);

// ---- Writing and reading whole files

// The file's own permission bits (owner, group, others), without the
// "current user" bits Qt adds: setting those would give the owner the
// rights of whoever runs the program.
QFileDevice::Permissions StoredPermissions(const QString& path);

// Writes the bytes to a temporary file beside path and then replaces path
// with it, so that a failed write (full disk) leaves the old file whole.
// An existing read-only file is not replaced. Throws FileWriteError.
void WriteFileReplacing(const QString& path, const QByteArray& bytes);

// Reads a regular file whole. False for a missing or unreadable file, a
// directory, a pipe or device (which could block), and a file larger than
// maxBytes.
bool ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxBytes = qint64(1) << 30);

// ---- Wiping

class ProgressLabel;
class ProgressGauge;

// When the file exists: shows its shortened name in the label and advances
// the gauge (when given), then overwrites it ten times from its start with
// blocks of 2048 random bytes until at least its former size is written,
// each pass flushed to the disk, and deletes it. A symbolic link is removed
// without touching what it points to. Errors end the wipe silently.
void WipeFile(const QString& fileName, ProgressLabel* label = nullptr, ProgressGauge* gauge = nullptr);

// Wipes every file of the directory and its subdirectories, removes the
// subdirectories and the directory itself. The gauge's range becomes the
// number of files. Links are removed, never followed. Errors are ignored.
void WipeDirectory(const QString& directory, ProgressLabel* label = nullptr, ProgressGauge* gauge = nullptr);

// ---- Opening addresses and documents

// Hands addresses and documents to the desktop. The program uses the
// desktop's own; tests install one that records instead of opening.
class ShellLauncher {
public:
    virtual ~ShellLauncher() = default;
    // Opens a web or mail address; false when nothing could open it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Opens an existing document with its associated program, waiting for
    // that program to end when asked. 0 when started, otherwise an error
    // code (65535: no program is associated).
    virtual int openDocument(const QString& fileName, bool wait) = 0;
};

// Installs a launcher (nullptr: the desktop's again); returns the previous.
ShellLauncher* installShellLauncher(ShellLauncher* launcher);
ShellLauncher& activeShellLauncher();

// True when the text starts with "http://" or "https://", any letter case.
bool IsUrl(const QString& text);
// Opens the address, "http://" put in front unless it is a web address.
bool OpenUrl(const QString& address);
// Opens "mailto:" + address, with "?subject=" + subject when one is given;
// both percent-encoded, so the address is always the one recipient.
bool SendMail(const QString& address, const QString& subject = QString());
// 65535 when the file does not exist or no program opens it; otherwise the
// launcher's answer (0 when started).
int OpenWithAssociatedProgram(const QString& fileName, bool wait);

// The login name of the session: the name of the account the program runs
// as; USER, LOGNAME or USERNAME only when the system does not know the
// account. Empty when unknown.
QString NetworkUserName();

// The program's private directory for this account, with a trailing
// separator: "047100-03-20-" + NetworkUserName() in the temporary directory,
// made with access for its owner only. Empty when it cannot be had safely:
// the name is a link, a file, or a directory of another account.
QString PrivateDirectory();

}  // namespace kv::common
