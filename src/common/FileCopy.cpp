#include "common/FileCopy.h"

#include "common/FileOperations.h"
#include "common/FileTransfer.h"
#include "common/MessageService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <limits>

namespace kv::common {

namespace {

void processPendingEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void walkTree(const QString& sourceDirectory, const QStringList& masks, const QString& destinationDirectory,
              const QString& excluded, ProgressGauge* gauge, ProgressLabel* label, bool recurse)
{
    const QDir source(sourceDirectory);
    for (const QString& mask : masks) {
        const QFileInfoList files = source.entryInfoList({mask}, QDir::Files | QDir::Hidden, QDir::Name);
        for (const QFileInfo& file : files)
            CopyOneFile(file.absoluteFilePath(), destinationDirectory, file.fileName(), gauge, label, false, false);
    }
    if (!recurse)
        return;
    const QStringList subdirectories =
        source.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    for (const QString& sub : subdirectories) {
        const QString from = QDir::cleanPath(source.absoluteFilePath(sub));
        if (from == excluded)
            continue;  // the copy itself, when it lies inside the source
        walkTree(from, masks, AddTrailingBackslash(destinationDirectory) + sub, excluded, gauge, label, recurse);
    }
}

}  // namespace

QString FileDateTimeText(const QDateTime& when)
{
    return QLocale::c().toString(when, QStringLiteral("MM/dd/yyyy h:mm:ss AP"));
}

QString OverwriteNewerText(const QString& destination, const QDateTime& destinationTime, const QString& source,
                           const QDateTime& sourceTime)
{
    return QStringLiteral("Overwrite Newer File: ") + destination + QLatin1Char(' ') +
           FileDateTimeText(destinationTime) + QStringLiteral("\r") + QStringLiteral("With: ") + source +
           QLatin1Char(' ') + FileDateTimeText(sourceTime) + QLatin1Char('?');
}

CopyOutcome CopyOneFile(const QString& sourcePath, const QString& destinationDirectory,
                        const QString& destinationName, ProgressGauge* gauge, ProgressLabel* label,
                        bool askBeforeOverwritingNewer, bool showErrors)
{
    const QString directory = AddTrailingBackslash(destinationDirectory);
    if (!directory.isEmpty())
        QDir().mkpath(directory);
    const QString destination = directory + destinationName;
    const QFileInfo source(sourcePath);
    const QFileInfo existing(destination);

    if (askBeforeOverwritingNewer && existing.exists() && source.exists() &&
        !(existing.lastModified() < source.lastModified())) {
        const QString question =
            OverwriteNewerText(destination, existing.lastModified(), sourcePath, source.lastModified());
        if (!askQuestion(question, QStringLiteral("File Exists"))) {
            if (label)
                label->setText(QStringLiteral("Skipping File: ") + ShortenPathForDisplay(sourcePath));
            if (gauge)
                gauge->step();
            processPendingEvents();
            return CopyOutcome::Skipped;
        }
    }

    // A read-only copy from an earlier run must not stop the new one.
    if (existing.exists() && !existing.isDir())
        QFile::setPermissions(destination, StoredPermissions(destination) | QFileDevice::WriteOwner);
    if (label)
        label->setText(QStringLiteral("Copying File: ") + ShortenPathForDisplay(sourcePath));
    if (gauge)
        gauge->step();
    processPendingEvents();

    // Relative names count from the current directory here, as they always did.
    const QString absoluteDirectory = directory.isEmpty() ? QString() : QFileInfo(directory).absoluteFilePath();
    const TransferResult copied = TransferFile(source.absoluteFilePath(), absoluteDirectory, destinationName,
                                               TransferMode::Copy, OverwritePolicy::Replace);
    if (copied.done() || copied.outcome == TransferOutcome::SameFile)
        return CopyOutcome::Copied;
    if (showErrors)
        showError(QStringLiteral("Error Copying File: ") + sourcePath, QStringLiteral("Error"));
    return CopyOutcome::Failed;
}

void CopyTree(const QString& sourceDirectory, const QString& maskList, const QString& destinationDirectory,
              ProgressGauge* gauge, ProgressLabel* label, bool recurse)
{
    if (gauge) {
        const qint64 files = CountFiles(sourceDirectory, maskList, recurse).files;
        gauge->setRange(0, static_cast<int>(std::min<qint64>(files, std::numeric_limits<int>::max())));
        gauge->setPosition(0);
    }
    const QStringList masks = MaskListItems(maskList);
    const QString excluded = QDir::cleanPath(QFileInfo(destinationDirectory).absoluteFilePath());
    walkTree(QDir::cleanPath(QFileInfo(sourceDirectory).absoluteFilePath()), masks, destinationDirectory, excluded,
             gauge, label, recurse);
}

}  // namespace kv::common
