// File operations on real directory trees: path helpers, the existence test
// that never waits on a volume that does not answer, counting and listing
// by mask, copying with the overwrite question, wiping, picture names, and
// handing addresses and documents to the desktop.
#include "common/FileCopy.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "support/MemoryLimit.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <QUrlQuery>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace kv::common;

using kv::test::readFile;
using kv::test::writeFile;

namespace {

void setModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

struct RecordingLabel : ProgressLabel {
    QStringList texts;
    void setText(const QString& text) override { texts << text; }
};

struct RecordingGauge : ProgressGauge {
    int minimum = -1, maximum = -1, value = 0;
    void setRange(int min, int max) override
    {
        minimum = min;
        maximum = max;
    }
    void setPosition(int position) override { value = position; }
    int position() const override { return value; }
};

// ---- Paths

TEST(PathHelpersTest, TrailingSeparatorSplitAndShorten)
{
    const std::pair<const char*, const char*> trailing[] = {
        {"", ""}, {"/a/b", "/a/b/"}, {"/a/b/", "/a/b/"}, {"c", "c/"}, {"/", "/"}};
    for (const auto& [in, out] : trailing)
        EXPECT_EQ(AddTrailingBackslash(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
    EXPECT_TRUE(TempDirectory().endsWith(QLatin1Char('/')));

    QString masks = QStringLiteral("*.jpg;*.jpeg;*.bmp");
    EXPECT_EQ(SplitFirst(masks), QStringLiteral("*.jpg"));
    EXPECT_EQ(masks, QStringLiteral("*.jpeg;*.bmp"));
    EXPECT_EQ(SplitFirst(masks), QStringLiteral("*.jpeg"));
    EXPECT_EQ(SplitFirst(masks), QStringLiteral("*.bmp"));
    EXPECT_EQ(masks, QString());
    EXPECT_EQ(MaskListItems(QStringLiteral("*.jpg;;*.*; *.bmp ;")),
              (QStringList{QStringLiteral("*.jpg"), QStringLiteral("*"), QStringLiteral("*.bmp")}));

    const QString longPath = QStringLiteral("/home/someone/Pictures/2003/Summer holiday at the beach/IMG_0001.JPG");
    const QString shortened = ShortenPathForDisplay(longPath, 40);
    EXPECT_LE(shortened.size(), 40);
    EXPECT_TRUE(shortened.endsWith(QStringLiteral(".../IMG_0001.JPG"))) << shortened.toStdString();
    EXPECT_TRUE(shortened.startsWith(QStringLiteral("/home/"))) << shortened.toStdString();
    EXPECT_EQ(ShortenPathForDisplay(QStringLiteral("/short/name.jpg"), 40), QStringLiteral("/short/name.jpg"));
    EXPECT_EQ(ShortenPathForDisplay(QStringLiteral("/a/") + QString(50, QLatin1Char('x')), 20),
              QStringLiteral(".../") + QString(50, QLatin1Char('x')));
}

TEST(ReadyDriveTest, ExistenceOfFilesNotDirectories)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("here.jpg"));
    writeFile(file, "x");
    EXPECT_TRUE(FileExistsOnReadyDrive(file));
    EXPECT_FALSE(FileExistsOnReadyDrive(dir.path()));
    EXPECT_FALSE(FileExistsOnReadyDrive(dir.filePath(QStringLiteral("gone.jpg"))));
    EXPECT_FALSE(FileExistsOnReadyDrive(QString()));
}

TEST(ReadyDriveTest, AVolumeThatDoesNotAnswerCountsAsMissingAtOnce)
{
    // Names under /kv-hung stand for a mount that hangs until released;
    // every other name answers at once. Both /kv-hung and /kv-other lie on
    // the root mount, /proc on its own.
    struct Probe {
        std::mutex mutex;
        std::condition_variable released;
        bool hung = true;
        QStringList started;
    };
    auto state = std::make_shared<Probe>();
    const auto previousProbe = setReadyDriveProbe([state](const QString& name) {
        std::unique_lock lock(state->mutex);
        state->started << name;
        if (name.startsWith(QLatin1String("/kv-hung/")))
            state->released.wait(lock, [&] { return !state->hung; });
        return true;
    });
    const int previousTimeout = setReadyDriveTimeout(100);
    auto release = [state] {
        std::lock_guard lock(state->mutex);
        state->hung = false;
        state->released.notify_all();
    };

    struct Call {
        const char* file;
        bool exists;
        QStringList started;  // every test started so far
    };
    const QStringList hungA = {"/kv-hung/a.jpg"};
    const Call calls[] = {
        {"/kv-hung/a.jpg", false, hungA},
        {"/kv-hung/a.jpg", false, hungA},  // Retry: waits for the same test again
        {"/kv-hung/b.jpg", false, hungA},  // another file on the mount as well
        {"/kv-other/c.jpg", false, hungA},
        {"/proc/kv-d.jpg", true, hungA + QStringList{"/proc/kv-d.jpg"}},  // another mount answers
    };
    for (const Call& c : calls) {
        SCOPED_TRACE(c.file);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(FileExistsOnReadyDrive(QString::fromLatin1(c.file)), c.exists);
        EXPECT_LT(timer.elapsed(), 1000);
        std::lock_guard lock(state->mutex);
        EXPECT_EQ(state->started, c.started);
    }

    // Once the mount answers, its files are tested again.
    release();
    EXPECT_TRUE(FileExistsOnReadyDrive(QStringLiteral("/kv-hung/b.jpg")));
    {
        std::lock_guard lock(state->mutex);
        EXPECT_EQ(state->started, (QStringList{"/kv-hung/a.jpg", "/proc/kv-d.jpg", "/kv-hung/b.jpg"}));
    }
    setReadyDriveTimeout(previousTimeout);
    setReadyDriveProbe(previousProbe);
}

TEST(PrivateDirectoryTest, OnlyADirectoryOfThisAccountWithNoAccessForOthers)
{
    QTemporaryDir temp;
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString name = temp.filePath(QStringLiteral("047100-03-20-") + NetworkUserName());
    const QString elsewhere = temp.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    auto mode = [](const QString& path) {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
    };

    const int elsewhereMode = mode(elsewhere);
    struct Case {
        const char* what;
        std::function<void()> prepare;
        bool given;
    };
    const Case cases[] = {
        {"made", [] {}, true},
        {"opened to others", [&] { QDir().mkpath(name); ::chmod(QFile::encodeName(name).constData(), 0777); }, true},
        {"a link", [&] { QFile::link(elsewhere, name); }, false},
        {"a file", [&] { writeFile(name, "x"); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(name);
        QDir(name).removeRecursively();
        c.prepare();
        const QString dir = PrivateDirectory();
        if (c.given) {
            EXPECT_EQ(dir, name + QLatin1Char('/'));
            EXPECT_EQ(mode(name), 0700);
        } else {
            EXPECT_TRUE(dir.isEmpty()) << dir.toStdString();
        }
    }
    EXPECT_EQ(mode(elsewhere), elsewhereMode);  // what the link points to is left alone
    qputenv("TMPDIR", savedTemp);
}

// ---- Counting and listing

class TreeTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root;

    QString at(const QString& relative) const { return root + relative; }

    void SetUp() override
    {
        root = AddTrailingBackslash(dir.path());
        writeFile(at(QStringLiteral("b.jpg")), "bb");
        writeFile(at(QStringLiteral("a.JPG")), "a");
        writeFile(at(QStringLiteral("c.bmp")), "cccc");
        writeFile(at(QStringLiteral("d.txt")), "ddddddd");
        writeFile(at(QStringLiteral("noext")), "n");
        writeFile(at(QStringLiteral("sub1/e.jpg")), "eeeee");
        writeFile(at(QStringLiteral("sub1/deep/f.bmp")), "ffffff");
        writeFile(at(QStringLiteral("sub2/g.jpg")), "g");
        // A link back to the root: following it would never end.
        ASSERT_EQ(::symlink(QFile::encodeName(dir.path()).constData(),
                            QFile::encodeName(at(QStringLiteral("sub2/loop"))).constData()),
                  0);
    }
};

TEST_F(TreeTest, ListsEachMaskInTurnThenSubdirectoriesDepthFirst)
{
    QStringList list{QStringLiteral("left over")};
    ListFiles(root, QStringLiteral("*.jpg;*.bmp"), true, list);
    EXPECT_EQ(list, (QStringList{at(QStringLiteral("a.JPG")), at(QStringLiteral("b.jpg")), at(QStringLiteral("c.bmp")),
                                 at(QStringLiteral("sub1/e.jpg")), at(QStringLiteral("sub1/deep/f.bmp")),
                                 at(QStringLiteral("sub2/g.jpg"))}));

    ListFiles(root, QStringLiteral("*.bmp;*.jpg"), false, list);
    EXPECT_EQ(list, (QStringList{at(QStringLiteral("c.bmp")), at(QStringLiteral("a.JPG")), at(QStringLiteral("b.jpg"))}));

    ListFiles(root, QStringLiteral("*.*"), false, list);
    EXPECT_EQ(list.size(), 5);  // files only, with or without an extension
}

TEST_F(TreeTest, CountsFilesAndBytes)
{
    struct Case {
        const char* masks;
        bool recurse;
        qint64 files, bytes;
    };
    const Case cases[] = {
        {"*.jpg;*.bmp", true, 6, 19}, {"*.jpg;*.bmp", false, 3, 7}, {"*.*", true, 8, 27},
        {"*.gif", true, 0, 0},        {"", true, 0, 0},
    };
    for (const Case& c : cases) {
        const FileCount count = CountFiles(root, QString::fromLatin1(c.masks), c.recurse);
        EXPECT_EQ(count.files, c.files) << c.masks << " " << c.recurse;
        EXPECT_EQ(count.bytes, c.bytes) << c.masks << " " << c.recurse;
    }
}

// ---- Copying

class CopyTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString source;
    QString target;
    RecordingLabel label;
    RecordingGauge gauge;

    void SetUp() override
    {
        source = dir.filePath(QStringLiteral("from/picture.jpg"));
        target = dir.filePath(QStringLiteral("to/nested/"));
        writeFile(source, "new picture");
        setModified(source, QDateTime::currentDateTime().addDays(-10));
    }
    QString copy() const { return target + QStringLiteral("picture.jpg"); }
};

TEST_F(CopyTest, CopiesIntoANewDirectoryKeepingTheFileTime)
{
    EXPECT_EQ(CopyOneFile(source, target, QStringLiteral("picture.jpg"), &gauge, &label), CopyOutcome::Copied);
    EXPECT_EQ(readFile(copy()), QByteArray("new picture"));
    EXPECT_EQ(QFileInfo(copy()).lastModified(), QFileInfo(source).lastModified());
    EXPECT_EQ(label.texts, QStringList{QStringLiteral("Copying File: ") + source});
    EXPECT_EQ(gauge.value, 1);
}

TEST_F(CopyTest, OverwriteQuestionForANewerDestination)
{
    struct Case {
        const char* name;
        int destinationAgeDays;  // relative to now; the source is 10 days old
        bool ask;
        std::optional<MessageAnswer> answer;  // nothing: no question expected
        CopyOutcome outcome;
    };
    const Case cases[] = {
        {"newer, No", 1, true, MessageAnswer::No, CopyOutcome::Skipped},
        {"newer, Yes", 1, true, MessageAnswer::Yes, CopyOutcome::Copied},
        {"same time, No", 10, true, MessageAnswer::No, CopyOutcome::Skipped},
        {"older: no question", 20, true, std::nullopt, CopyOutcome::Copied},
        {"newer, not asked", 1, false, std::nullopt, CopyOutcome::Copied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(copy(), "kept");
        setModified(copy(), c.destinationAgeDays == 10 ? QFileInfo(source).lastModified()
                                                       : QDateTime::currentDateTime().addDays(-c.destinationAgeDays));
        const QDateTime destinationTime = QFileInfo(copy()).lastModified();
        label.texts.clear();
        gauge.value = 0;
        ScriptedMessages messages;
        if (c.answer)
            messages.addAnswer(*c.answer);

        EXPECT_EQ(CopyOneFile(source, target, QStringLiteral("picture.jpg"), &gauge, &label, c.ask), c.outcome);

        if (c.answer) {
            ASSERT_EQ(messages.messages().size(), 1);
            EXPECT_EQ(messages.messages()[0].text,
                      QStringLiteral("Overwrite Newer File: ") + copy() + QLatin1Char(' ') +
                          FileDateTimeText(destinationTime) + QStringLiteral("\rWith: ") + source + QLatin1Char(' ') +
                          FileDateTimeText(QFileInfo(source).lastModified()) + QLatin1Char('?'));
            EXPECT_EQ(messages.messages()[0].kind, MessageKind::Question);
            EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::YesNo);
            EXPECT_EQ(messages.messages()[0].title, QStringLiteral("File Exists"));
        } else {
            EXPECT_TRUE(messages.messages().isEmpty());
        }
        const bool skipped = c.outcome == CopyOutcome::Skipped;
        EXPECT_EQ(readFile(copy()), skipped ? QByteArray("kept") : QByteArray("new picture"));
        ASSERT_EQ(label.texts.size(), 1);
        EXPECT_TRUE(label.texts[0].startsWith(skipped ? QStringLiteral("Skipping File: ")
                                                       : QStringLiteral("Copying File: ")));
        EXPECT_EQ(gauge.value, 1);
    }
}

TEST_F(CopyTest, ReadOnlyCopyIsReplacedAndFailuresKeepTheDestination)
{
    writeFile(copy(), "read-only");
    QFile::setPermissions(copy(), QFileDevice::ReadOwner);
    EXPECT_EQ(CopyOneFile(source, target, QStringLiteral("picture.jpg")), CopyOutcome::Copied);
    EXPECT_EQ(readFile(copy()), QByteArray("new picture"));

    // The copy takes the source's permissions (read-only included).
    QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(CopyOneFile(source, target, QStringLiteral("picture.jpg")), CopyOutcome::Copied);
    EXPECT_EQ(StoredPermissions(copy()), QFileDevice::ReadOwner | QFileDevice::ReadGroup);

    const QString missing = dir.filePath(QStringLiteral("from/missing.jpg"));
    {
        ScriptedMessages messages;
        EXPECT_EQ(CopyOneFile(missing, target, QStringLiteral("picture.jpg"), nullptr, nullptr, false, true),
                  CopyOutcome::Failed);
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Error Copying File: ") + missing});
        EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
        EXPECT_EQ(messages.messages()[0].title, QStringLiteral("Error"));
    }
    {
        ScriptedMessages messages;
        EXPECT_EQ(CopyOneFile(missing, target, QStringLiteral("picture.jpg")), CopyOutcome::Failed);
        EXPECT_TRUE(messages.messages().isEmpty());
    }
    EXPECT_EQ(readFile(copy()), QByteArray("new picture"));
}

TEST_F(TreeTest, CopyTreeKeepsTheStructure)
{
    QTemporaryDir out;
    RecordingGauge gauge;
    CopyTree(root, QStringLiteral("*.jpg;*.bmp"), out.path(), &gauge, nullptr, true);
    QStringList copied;
    ListFiles(out.path(), QStringLiteral("*.*"), true, copied);
    for (QString& file : copied)
        file = QDir(out.path()).relativeFilePath(file);
    EXPECT_EQ(copied, (QStringList{QStringLiteral("a.JPG"), QStringLiteral("b.jpg"), QStringLiteral("c.bmp"),
                                   QStringLiteral("sub1/e.jpg"), QStringLiteral("sub1/deep/f.bmp"),
                                   QStringLiteral("sub2/g.jpg")}));
    EXPECT_EQ(gauge.minimum, 0);
    EXPECT_EQ(gauge.maximum, 6);
    EXPECT_EQ(gauge.value, 6);

    QTemporaryDir flat;
    CopyTree(root, QStringLiteral("*.jpg"), flat.path(), nullptr, nullptr, false);
    EXPECT_EQ(QDir(flat.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("a.JPG"), QStringLiteral("b.jpg")}));
}

TEST_F(TreeTest, CopyTreeIntoItsOwnSubdirectoryEnds)
{
    CopyTree(root, QStringLiteral("*.jpg"), at(QStringLiteral("backup")), nullptr, nullptr, true);
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("backup/b.jpg"))));
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("backup/sub1/e.jpg"))));
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("backup/backup"))));
}

// ---- Wiping

TEST(WipeTest, WipeFileOverwritesInPlaceThenDeletes)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("secret.jpg"));
    const QString otherName = dir.filePath(QStringLiteral("same-inode"));
    const QByteArray original(100, 'S');
    writeFile(file, original);
    // A second name for the same data shows what was written over it.
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(otherName).constData()), 0);
    RecordingLabel label;
    RecordingGauge gauge;

    WipeFile(file, &label, &gauge);

    EXPECT_FALSE(QFileInfo::exists(file));
    const QByteArray left = readFile(otherName);
    EXPECT_EQ(left.size(), 2048);
    EXPECT_FALSE(left.contains(original.left(16)));
    EXPECT_EQ(label.texts, QStringList{file});
    EXPECT_EQ(gauge.value, 1);

    WipeFile(dir.filePath(QStringLiteral("missing.jpg")), &label, &gauge);
    EXPECT_EQ(gauge.value, 1);
}

TEST(WipeTest, LinksAreRemovedNeverFollowed)
{
    QTemporaryDir outside;
    const QString precious = outside.filePath(QStringLiteral("precious.jpg"));
    writeFile(precious, "do not wipe");

    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("tree"));
    writeFile(tree + QStringLiteral("/a.jpg"), "a");
    writeFile(tree + QStringLiteral("/sub/b.jpg"), "b");
    ASSERT_EQ(::symlink(QFile::encodeName(precious).constData(),
                        QFile::encodeName(tree + QStringLiteral("/link.jpg")).constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(),
                        QFile::encodeName(tree + QStringLiteral("/sub/outside")).constData()),
              0);
    RecordingGauge gauge;

    WipeDirectory(tree, nullptr, &gauge);

    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_EQ(readFile(precious), QByteArray("do not wipe"));
    EXPECT_EQ(gauge.maximum, 3);  // a.jpg, link.jpg, sub/b.jpg

    const QString link = dir.filePath(QStringLiteral("single-link.jpg"));
    ASSERT_EQ(::symlink(QFile::encodeName(precious).constData(), QFile::encodeName(link).constData()), 0);
    WipeFile(link);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(precious), QByteArray("do not wipe"));

    // An empty name is never taken for the current directory.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(outside.path()));
    WipeDirectory(QString());
    QDir::setCurrent(current);
    EXPECT_TRUE(QFileInfo::exists(precious));
}

// ---- Picture names and whole files

TEST(PictureFileTest, PictureExtensionsInAnyCase)
{
    const std::pair<const char*, bool> cases[] = {
        {"a.jpg", true},  {"B.JPG", true}, {"c.jpeg", true}, {"d.JPEG", true}, {"e.bmp", true}, {"f.Bmp", true},
        {"g.gif", false}, {"jpg", false},  {"h.jpg.txt", false}, {"", false},
    };
    for (const auto& [name, picture] : cases)
        EXPECT_EQ(IsPictureFile(QString::fromLatin1(name)), picture) << name;
    EXPECT_EQ(PictureFileMask(), QStringLiteral("*.jpg;*.jpeg;*.bmp"));
    EXPECT_TRUE(ExtensionInMasks(QStringLiteral("clip.AVI"), QStringLiteral("*.mpg;*.avi")));
    EXPECT_FALSE(ExtensionInMasks(QStringLiteral("clip.avi"), QString()));
}

TEST(WholeFileTest, ReplacingAndReading)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f.bin"));
    WriteFileReplacing(file, "first");
    WriteFileReplacing(file, "second");
    EXPECT_EQ(readFile(file), QByteArray("second"));

    QFile::setPermissions(file, QFileDevice::ReadOwner);
    EXPECT_THROW(WriteFileReplacing(file, "third"), FileWriteError);
    EXPECT_EQ(readFile(file), QByteArray("second"));
    EXPECT_THROW(WriteFileReplacing(dir.filePath(QStringLiteral("none/f.bin")), "x"), FileWriteError);

    QByteArray bytes;
    EXPECT_TRUE(ReadWholeFile(file, bytes));
    EXPECT_EQ(bytes, QByteArray("second"));
    EXPECT_FALSE(ReadWholeFile(file, bytes, 3));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_FALSE(ReadWholeFile(dir.path(), bytes));
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(ReadWholeFile(pipe, bytes));  // would block if opened
}

TEST(WholeFileTest, ReadingTakesMemoryForTheFileNotForTheLargestAllowed)
{
    if (kv::test::kAddressSanitizer)
        GTEST_SKIP() << "the address space cannot be limited under AddressSanitizer";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("small.jpg"));
    WriteFileReplacing(file, QByteArray(1000, 'x'));
    // 64 MB more address space than the child starts with; the largest file
    // allowed is 1 GB.
    const kv::test::ChildRun run = kv::test::runUnderMemoryLimit(qint64(64) << 20, [&file] {
        QByteArray bytes;
        return kv::test::Answer{ReadWholeFile(file, bytes), static_cast<int>(bytes.size()), 0, 0};
    });
    ASSERT_TRUE(run.finished) << "child wait status " << run.status;
    EXPECT_EQ(run.answer[0], 1);
    EXPECT_EQ(run.answer[1], 1000);
}

// ---- The desktop

struct RecordingLauncher : ShellLauncher {
    QList<QUrl> urls;
    QStringList documents;
    QList<bool> waits;
    int answer = 0;
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    int openDocument(const QString& fileName, bool wait) override
    {
        documents << fileName;
        waits << wait;
        return answer;
    }
};

TEST(DesktopTest, AddressesAndDocumentsGoToTheLauncher)
{
    RecordingLauncher launcher;
    ShellLauncher* previous = installShellLauncher(&launcher);

    EXPECT_TRUE(IsUrl(QStringLiteral("HTTP://x")));
    EXPECT_TRUE(IsUrl(QStringLiteral("https://x")));
    EXPECT_FALSE(IsUrl(QStringLiteral("www.example.com")));
    EXPECT_FALSE(IsUrl(QStringLiteral("ftp://x")));

    OpenUrl(QStringLiteral("www.example.com/pictures"));
    OpenUrl(QStringLiteral("HTTPS://example.com"));
    SendMail(QStringLiteral("ann@example.com"));
    SendMail(QStringLiteral("ann@example.com"), QStringLiteral("Holiday"));
    ASSERT_EQ(launcher.urls.size(), 4);
    EXPECT_EQ(launcher.urls[0].toString(), QStringLiteral("http://www.example.com/pictures"));
    EXPECT_EQ(launcher.urls[1].toString(), QStringLiteral("https://example.com"));
    EXPECT_EQ(launcher.urls[2].toString(), QStringLiteral("mailto:ann@example.com"));
    EXPECT_EQ(launcher.urls[3].toString(), QStringLiteral("mailto:ann@example.com?subject=Holiday"));

    QTemporaryDir dir;
    const QString document = dir.filePath(QStringLiteral("letter.txt"));
    writeFile(document, "text");
    EXPECT_EQ(OpenWithAssociatedProgram(dir.filePath(QStringLiteral("missing.txt")), false), 65535);
    EXPECT_TRUE(launcher.documents.isEmpty());
    launcher.answer = 0;
    EXPECT_EQ(OpenWithAssociatedProgram(document, true), 0);
    launcher.answer = 65535;
    EXPECT_EQ(OpenWithAssociatedProgram(document, false), 65535);
    EXPECT_EQ(launcher.documents, (QStringList{document, document}));
    EXPECT_EQ(launcher.waits, (QList<bool>{true, false}));

    installShellLauncher(previous);
}

// An address is always the one recipient, whatever it holds; a text given
// as a web page opens as a web address and nothing else.
TEST(DesktopTest, MailAddressesAndWebPagesOpenAsWhatTheyAre)
{
    RecordingLauncher launcher;
    ShellLauncher* previous = installShellLauncher(&launcher);
    const struct {
        const char* address;
        const char* subject;
    } mails[] = {
        {"ann b@example.com", ""},
        {"ann?cc=eve@example.com", ""},
        {"a&body=hi@example.com", "Holiday & more?"},
        {"ann@example.com,eve@example.com", ""},
        {"zoë@example.com", "Été"},
    };
    for (const auto& m : mails) {
        launcher.urls.clear();
        EXPECT_TRUE(SendMail(QString::fromUtf8(m.address), QString::fromUtf8(m.subject)));
        ASSERT_EQ(launcher.urls.size(), 1);
        const QUrl& url = launcher.urls.first();
        EXPECT_TRUE(url.isValid()) << m.address;
        EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
        EXPECT_EQ(url.path(QUrl::FullyDecoded), QString::fromUtf8(m.address));
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItems(QUrl::FullyDecoded).size(), *m.subject ? 1 : 0) << m.address;
        EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), QString::fromUtf8(m.subject));
    }
    for (const char* page : {"javascript:x", "file:///etc/passwd", "mailto:eve@example.com"}) {
        launcher.urls.clear();
        OpenUrl(QString::fromLatin1(page));
        for (const QUrl& url : launcher.urls)
            EXPECT_EQ(url.scheme(), QStringLiteral("http")) << page;
    }
    installShellLauncher(previous);
}

// ---- Abort, Retry, Ignore

TEST(AbortRetryIgnoreTest, ButtonsDefaultAndClosing)
{
    EXPECT_EQ(messageButtonAnswers(MessageButtons::AbortRetryIgnore),
              (QList<MessageAnswer>{MessageAnswer::Abort, MessageAnswer::Retry, MessageAnswer::Ignore}));
    EXPECT_EQ(messageEscapeAnswer(MessageButtons::AbortRetryIgnore), MessageAnswer::Abort);
    ScriptedMessages messages{MessageAnswer::Retry, MessageAnswer::Yes};
    EXPECT_EQ(askAbortRetryIgnore(QStringLiteral("Insert the disc")), MessageAnswer::Retry);
    // An answer that is not one of the buttons counts as closing the box.
    EXPECT_EQ(askAbortRetryIgnore(QStringLiteral("Insert the disc")), MessageAnswer::Abort);
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(messageAnswerName(MessageAnswer::Ignore), QStringLiteral("Ignore"));
}

}  // namespace
