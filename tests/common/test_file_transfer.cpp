// The one move and copy helper on real directories: renames, the copy path
// (forced by a rename that fails as between two file systems), the same
// file under another spelling, names already taken, and refused input.
#include "common/FileOperations.h"
#include "common/FileTransfer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

using namespace kv::common;

using kv::test::readFile;
using kv::test::writeFile;

namespace {

// Installs a first rename that fails with the given errno (or the system's
// when none) for the life of the scope.
class RenameScope {
public:
    explicit RenameScope(std::optional<int> error)
        : m_previous(setRenameFunction(error ? RenameFunction([e = *error](const QByteArray&, const QByteArray&,
                                                                           bool) { return e; })
                                             : RenameFunction()))
    {
    }
    ~RenameScope() { setRenameFunction(m_previous); }

private:
    RenameFunction m_previous;
};

const char* outcomeName(TransferOutcome o)
{
    switch (o) {
    case TransferOutcome::Moved: return "Moved";
    case TransferOutcome::Copied: return "Copied";
    case TransferOutcome::SameFile: return "SameFile";
    case TransferOutcome::Exists: return "Exists";
    case TransferOutcome::Missing: return "Missing";
    case TransferOutcome::Failed: return "Failed";
    }
    return "?";
}

}  // namespace

TEST(FileTransferTest, TableOfCases)
{
    enum class Target { Other, SameThroughDot, SameThroughLink, Relative, Empty, NotThere };
    struct Case {
        const char* name;
        TransferMode mode;
        OverwritePolicy overwrite;
        std::optional<int> renameError;  // the first rename fails so: EXDEV forces the copy path
        Target target;
        const char* fileName;
        bool sourceExists;
        const char* taken;  // what the target name already holds (nullptr: free)
        TransferOutcome outcome;
        const char* sourceAfter;  // nullptr: gone
        const char* targetAfter;  // nullptr: absent
    };
    const Case cases[] = {
        {"move by rename", TransferMode::Move, OverwritePolicy::Never, std::nullopt, Target::Other, "a.jpg", true,
         nullptr, TransferOutcome::Moved, nullptr, "picture"},
        {"move by copy", TransferMode::Move, OverwritePolicy::Never, EXDEV, Target::Other, "a.jpg", true, nullptr,
         TransferOutcome::Moved, nullptr, "picture"},
        {"copy", TransferMode::Copy, OverwritePolicy::Never, std::nullopt, Target::Other, "a.jpg", true, nullptr,
         TransferOutcome::Copied, "picture", "picture"},
        {"move onto itself, other spelling", TransferMode::Move, OverwritePolicy::Replace, EXDEV,
         Target::SameThroughDot, "a.jpg", true, "picture", TransferOutcome::SameFile, "picture", "picture"},
        {"copy onto itself through a link", TransferMode::Copy, OverwritePolicy::Replace, std::nullopt,
         Target::SameThroughLink, "a.jpg", true, "picture", TransferOutcome::SameFile, "picture", "picture"},
        {"name taken, move by rename", TransferMode::Move, OverwritePolicy::Never, std::nullopt, Target::Other,
         "a.jpg", true, "other", TransferOutcome::Exists, "picture", "other"},
        {"name taken, move by copy", TransferMode::Move, OverwritePolicy::Never, EXDEV, Target::Other, "a.jpg", true,
         "other", TransferOutcome::Exists, "picture", "other"},
        {"name taken, replaced by copy", TransferMode::Move, OverwritePolicy::Replace, EXDEV, Target::Other, "a.jpg",
         true, "other", TransferOutcome::Moved, nullptr, "picture"},
        {"name taken, copy replaces", TransferMode::Copy, OverwritePolicy::Replace, std::nullopt, Target::Other,
         "a.jpg", true, "other", TransferOutcome::Copied, "picture", "picture"},
        {"missing source", TransferMode::Move, OverwritePolicy::Never, std::nullopt, Target::Other, "a.jpg", false,
         nullptr, TransferOutcome::Missing, nullptr, nullptr},
        {"read-only source", TransferMode::Move, OverwritePolicy::Never, EROFS, Target::Other, "a.jpg", true, nullptr,
         TransferOutcome::Failed, "picture", nullptr},
        {"relative directory", TransferMode::Copy, OverwritePolicy::Never, std::nullopt, Target::Relative, "a.jpg",
         true, nullptr, TransferOutcome::Failed, "picture", nullptr},
        {"empty directory", TransferMode::Move, OverwritePolicy::Never, std::nullopt, Target::Empty, "a.jpg", true,
         nullptr, TransferOutcome::Failed, "picture", nullptr},
        {"directory not there (unmounted)", TransferMode::Move, OverwritePolicy::Never, EXDEV, Target::NotThere,
         "a.jpg", true, nullptr, TransferOutcome::Failed, "picture", nullptr},
        {"name with a directory", TransferMode::Move, OverwritePolicy::Never, std::nullopt, Target::Other,
         "../a.jpg", true, nullptr, TransferOutcome::Failed, "picture", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString from = dir.filePath("from");
        const QString to = dir.filePath("to");
        QDir().mkpath(from);
        QDir().mkpath(to);
        const QString source = from + "/a.jpg";
        if (c.sourceExists) {
            writeFile(source, "picture");
            QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        }
        ASSERT_TRUE(QFile::link(from, dir.filePath("link-to-from")));
        QString directory;
        switch (c.target) {
        case Target::Other: directory = to; break;
        case Target::SameThroughDot: directory = from + "/./"; break;
        case Target::SameThroughLink: directory = dir.filePath("link-to-from"); break;
        case Target::Relative: directory = "to"; break;
        case Target::Empty: break;
        case Target::NotThere: directory = dir.filePath("unmounted/disc"); break;
        }
        const QString target = (c.target == Target::SameThroughDot || c.target == Target::SameThroughLink ? from : to) +
                               "/a.jpg";
        if (c.taken && c.target == Target::Other)
            writeFile(target, c.taken);

        TransferResult result;
        {
            RenameScope rename(c.renameError);
            result = TransferFile(source, directory, QString::fromLatin1(c.fileName), c.mode, c.overwrite);
        }

        EXPECT_STREQ(outcomeName(result.outcome), outcomeName(c.outcome)) << result.reason.toStdString();
        EXPECT_TRUE(c.outcome != TransferOutcome::Failed || !result.reason.isEmpty());  // a failure says why
        if (c.sourceAfter)
            EXPECT_EQ(readFile(source), QByteArray(c.sourceAfter));
        else
            EXPECT_FALSE(QFileInfo::exists(source));
        if (c.target == Target::SameThroughDot || c.target == Target::SameThroughLink)
            continue;
        if (c.targetAfter)
            EXPECT_EQ(readFile(target), QByteArray(c.targetAfter));
        else
            EXPECT_FALSE(QFileInfo::exists(target));
        // The copy path leaves no temporary file behind, whatever happened.
        EXPECT_EQ(QDir(to).entryList(QDir::Files | QDir::Hidden).size(), c.targetAfter ? 1 : 0);
        EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + "/to/a.jpg"));
    }
}

TEST(FileTransferTest, TheCopyPathKeepsTimeAndPermissions)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("from/a.jpg");
    writeFile(source, QByteArray(3 << 20, 'x'));  // more than one block
    QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2004, 7, 1), QTime(12, 30)), QFileDevice::FileModificationTime));
    }
    QDir().mkpath(dir.filePath("to"));
    RenameScope rename(EXDEV);
    const TransferResult result =
        TransferFile(source, dir.filePath("to"), "a.jpg", TransferMode::Move, OverwritePolicy::Never);
    ASSERT_EQ(result.outcome, TransferOutcome::Moved) << result.reason.toStdString();
    const QFileInfo moved(dir.filePath("to/a.jpg"));
    EXPECT_EQ(moved.size(), 3 << 20);
    EXPECT_EQ(moved.lastModified(), QDateTime(QDate(2004, 7, 1), QTime(12, 30)));
    EXPECT_EQ(StoredPermissions(moved.filePath()),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
}

TEST(FileTransferTest, PlainFileNamesAndAbsoluteExistence)
{
    for (const char* name : {"a.jpg", "..a.jpg", "a..jpg", "C:\\x.jpg"})
        EXPECT_TRUE(IsPlainFileName(QString::fromLatin1(name))) << name;
    for (const char* name : {"", ".", "..", "sub/a.jpg", "../a.jpg", "/etc/passwd"})
        EXPECT_FALSE(IsPlainFileName(QString::fromLatin1(name))) << name;

    QTemporaryDir dir;
    writeFile(dir.filePath("a.jpg"), "x");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_FALSE(AbsoluteFileExists("a.jpg"));  // never found through the current directory
    EXPECT_FALSE(AbsoluteFileExists("C:\\a.jpg"));
    EXPECT_TRUE(AbsoluteFileExists(dir.filePath("a.jpg")));
    QDir::setCurrent(previous);
}
