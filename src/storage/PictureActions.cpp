#include "storage/PictureActions.h"

#include "common/FileOperations.h"
#include "common/FileTransfer.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/IdList.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "pictures/PictureDelete.h"
#include "pictures/PictureFileCopy.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <exception>

namespace kv::storage {

namespace {

// The gauge of an action; events are let through before each step.
class Gauge : public MoveProgressScope {
public:
    using MoveProgressScope::MoveProgressScope;
    void step(int by = 1)
    {
        QCoreApplication::processEvents();
        MoveProgressScope::step(by);
    }
};

// The valid IDs of a batch as "(1, 2)"; texts that are not IDs are passed by.
QString idSet(const QStringList& ids, int from, int count, QList<qint64>* numbers = nullptr)
{
    QStringList texts;
    for (int i = from; i < from + count && i < ids.size(); ++i) {
        bool ok = false;
        const qint64 id = ids.at(i).toLongLong(&ok);
        if (!ok)
            continue;
        texts << QString::number(id);
        if (numbers)
            *numbers << id;
    }
    return QLatin1Char('(') + texts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

void exec(data::Database& db, const QStringList& lines)
{
    data::Query q(&db);
    q.execLines(lines);
}

struct Location {
    bool found = false;
    QVariant mediaType;
    QString directory;  // with its separator, or empty
    QString discLabel;
};

// Each location row is read once per action.
class Locations {
public:
    explicit Locations(data::Database& db)
        : m_db(db)
    {
    }
    const Location& at(qint64 id)
    {
        if (const auto it = m_cache.constFind(id); it != m_cache.constEnd())
            return it.value();
        data::Query q(&m_db);
        q.openLines({QStringLiteral("Select MediaType, Directory, DiscLabel From \"StorageLocation.db\""),
                     QStringLiteral("Where StorageLocationID = ") + QString::number(id)});
        Location l;
        if (!q.isEmpty()) {
            q.first();
            l.found = true;
            l.mediaType = q.fieldValue(QStringLiteral("MediaType"));
            l.directory = data::readText(q, QStringLiteral("Directory"));
            if (!l.directory.isEmpty())
                l.directory = common::AddTrailingBackslash(l.directory);
            l.discLabel = data::readText(q, QStringLiteral("DiscLabel"));
        }
        return *m_cache.insert(id, l);
    }

private:
    data::Database& m_db;
    QHash<qint64, Location> m_cache;
};

QString sqlValue(const QVariant& v)
{
    const qint64 n = data::valueInteger(v, -1);
    return n < 0 ? QStringLiteral("Null") : QString::number(n);
}

// Asks for the disc while the file is missing. True when it is there;
// ignoring/aborted tell the user's choice otherwise.
bool waitForFile(const QString& path, const QString& discLabel, bool& ignoring, bool& aborted)
{
    while (!common::AbsoluteFileExists(path)) {
        if (ignoring)
            return false;
        const common::MessageAnswer answer = common::askAbortRetryIgnore(common::FormatMessage(
            QStringLiteral("Error: Cannot Find File: %s% Please Insert Disc labeled: %s%"),
            path + QLatin1Char('\t') + discLabel));
        if (answer == common::MessageAnswer::Abort) {
            aborted = true;
            return false;
        }
        if (answer == common::MessageAnswer::Ignore) {
            ignoring = true;
            return false;
        }
    }
    return true;
}

}  // namespace

QString PictureCountText(int count)
{
    // The C locale leaves the separators out unless told otherwise.
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(count);
}

ActionReport CopyFoundPictures(data::TProgramDataForm& dm, const data::IdList& ids, const QString& directory,
                               bool rotate, bool shrink, int largestSide, MoveProgress* progress)
{
    ActionReport report;
    if (ids.isEmpty())
        return report;
    const QString target = common::AddTrailingBackslash(directory);
    if (QDir::isRelativePath(target) || !QDir().mkpath(target)) {
        for (const QString& id : ids.items())
            report.notDone << id + QStringLiteral(" (cannot create ") + target + QLatin1Char(')');
        return report;
    }
    Gauge gauge(progress, ids.size());
    for (const QString& id : ids.items()) {
        gauge.step();
        common::TransferResult transfer;
        transfer.outcome = common::TransferOutcome::Missing;
        int answer = pictures::kCopyNoFile;
        try {
            answer = pictures::CopyPictureFile(dm, id, target, rotate, shrink, largestSide, &transfer);
        } catch (const std::exception& e) {
            report.notDone << id + QStringLiteral(" (") + QString::fromUtf8(e.what()) + QLatin1Char(')');
            continue;
        }
        if (answer == pictures::kCopyAborted) {
            report.aborted = true;
            report.notDone << id + QStringLiteral(" (aborted)");
            break;
        }
        if (answer == pictures::kCopyIgnored)
            report.notDone << id + QStringLiteral(" (missing, ignored)");
        else if (answer == pictures::kCopyDone && transfer.done())
            ++report.done;
        else if (answer == pictures::kCopyDone && transfer.outcome == common::TransferOutcome::Exists)
            report.notDone << id + QStringLiteral(" (not overwritten)");
        else if (answer == pictures::kCopyDone && transfer.outcome == common::TransferOutcome::Failed)
            report.notDone << id + QStringLiteral(" (") + transfer.reason + QLatin1Char(')');
    }
    return report;
}

ActionReport MoveFoundPictures(data::TProgramDataForm& dm, const data::IdList& ids, qint64 targetLocation,
                               bool moveFiles, MoveProgress* progress)
{
    ActionReport report;
    if (ids.isEmpty())
        return report;
    data::Database& db = *dm.KestrelviewDatabase();
    Locations locations(db);
    const Location target = locations.at(targetLocation);
    if (!target.found) {
        for (const QString& id : ids.items())
            report.notDone << id + QStringLiteral(" (no such storage location)");
        return report;
    }
    const QString setTarget = QStringLiteral("Set MediaTypeID = ") + sqlValue(target.mediaType) +
                              QStringLiteral(", StorageLocationID = ") + QString::number(targetLocation);
    Gauge gauge(progress, ids.size());
    const QStringList& items = ids.items();

    // Without files: set-based, a batch per transaction.
    if (!moveFiles || target.directory.isEmpty()) {
        for (int from = 0; from < items.size(); from += kActionBatch) {
            const int count = std::min<int>(kActionBatch, items.size() - from);
            data::Query q(&db);
            dm.InOneTransaction([&] {
                q.execLines({QStringLiteral("Update \"PictureInfo.db\""), setTarget,
                             QStringLiteral("Where PictureID In ") + idSet(items, from, count)});
            });
            report.done += static_cast<int>(q.rowsAffected());
            gauge.step(count);
        }
        dm.PictureInfoTable.refresh();
        return report;
    }

    // The names the target location's pictures hold: such a file in the
    // target directory is never replaced.
    QSet<QString> namedAtTarget;
    {
        data::Query q(&db);
        q.openLines({QStringLiteral("Select FileName From \"PictureInfo.db\""),
                     QStringLiteral("Where StorageLocationID = ") + QString::number(targetLocation)});
        for (q.first(); !q.eof(); q.next())
            namedAtTarget.insert(data::readText(q, QStringLiteral("FileName")));
    }
    const bool targetExists = QFileInfo(target.directory).isDir();
    bool ignoring = false;
    for (const QString& id : items) {
        gauge.step();
        data::Query q(&db);
        q.openLines({QStringLiteral("Select FileName, StorageLocationID From \"PictureInfo.db\""),
                     QStringLiteral("Where PictureID = ") + QString::number(id.toLongLong())});
        if (q.isEmpty())
            continue;  // deleted meanwhile
        q.first();
        const QString name = data::readText(q, QStringLiteral("FileName"));
        const Location& from = locations.at(data::readInteger(q, QStringLiteral("StorageLocationID")));
        q.close();
        bool repoint = true;
        if (!name.isEmpty() && targetExists) {
            if (!common::IsPlainFileName(name)) {
                report.notDone << id + QStringLiteral(" ") + name + QStringLiteral(" (not a file name)");
            } else if (from.directory.isEmpty()) {
                report.notDone << id + QStringLiteral(" ") + name + QStringLiteral(" (its location has no directory)");
            } else if (common::SameFileOrDirectory(from.directory, target.directory)) {
                // Already there: no file step, never the overwrite question.
            } else {
                bool aborted = false;
                const bool present = waitForFile(from.directory + name, from.discLabel, ignoring, aborted);
                if (aborted) {
                    report.aborted = true;
                    report.notDone << id + QStringLiteral(" ") + name + QStringLiteral(" (aborted)");
                    break;
                }
                if (!present) {
                    report.notDone << id + QStringLiteral(" ") + name + QStringLiteral(" (missing, ignored)");
                } else {
                    const QString existing = target.directory + name;
                    bool replace = false;
                    bool skip = false;
                    if (QFileInfo::exists(existing)) {
                        const bool yes = common::askDestructive(common::FormatMessage(
                            QStringLiteral("Error: The file: %s% already exists in the directory: %s% do you wish "
                                           "to overwrite it?"),
                            name + QLatin1Char('\t') + target.directory));
                        if (yes && namedAtTarget.contains(name)) {
                            report.notDone << id + QStringLiteral(" ") + name +
                                                  QStringLiteral(" (the existing file belongs to another picture)");
                            skip = true;
                        } else if (!yes) {
                            report.notDone << id + QStringLiteral(" ") + name + QStringLiteral(" (not overwritten)");
                            skip = true;
                        }
                        replace = yes;
                    }
                    if (!skip) {
                        const common::TransferResult moved = common::TransferFile(
                            from.directory + name, target.directory, name, common::TransferMode::Move,
                            replace ? common::OverwritePolicy::Replace : common::OverwritePolicy::Never);
                        if (!moved.done() && moved.outcome != common::TransferOutcome::SameFile) {
                            // The file and its record stay where they were.
                            report.notDone << id + QStringLiteral(" ") + name + QStringLiteral(" (") +
                                                  (moved.reason.isEmpty() ? QStringLiteral("not moved") : moved.reason) +
                                                  QLatin1Char(')');
                            repoint = false;
                        }
                    }
                }
            }
        }
        if (!repoint)
            continue;
        exec(db, {QStringLiteral("Update \"PictureInfo.db\""), setTarget,
                  QStringLiteral("Where PictureID = ") + QString::number(id.toLongLong())});
        namedAtTarget.insert(name);
        ++report.done;
    }
    dm.PictureInfoTable.refresh();
    return report;
}

ActionReport AddFoundPicturesToAlbum(data::TProgramDataForm& dm, const data::IdList& ids, qint64 albumId,
                                     MoveProgress* progress)
{
    ActionReport report;
    if (ids.isEmpty())
        return report;
    data::Database& db = *dm.KestrelviewDatabase();
    const qint64 user = data::LoginData().UserID;
    const QString stamps = (user >= 0 ? QString::number(user) : QStringLiteral("Null")) + QStringLiteral(", '") +
                           data::isoTimestamp(QDateTime::currentDateTime()) + QLatin1Char('\'');
    Gauge gauge(progress, ids.size());
    const QStringList& items = ids.items();
    for (int from = 0; from < items.size(); from += kActionBatch) {
        const int count = std::min<int>(kActionBatch, items.size() - from);
        data::Query q(&db);
        dm.InOneTransaction([&] {
            q.execLines({QStringLiteral("Insert Into \"AlbumList.db\""),
                         QStringLiteral("(AlbumID, AlbumPictureID, AlbumListModifiedBy, AlbumListModifiedDate)"),
                         QStringLiteral("Select ") + QString::number(albumId) + QStringLiteral(", PictureID, ") + stamps,
                         QStringLiteral("From \"PictureInfo.db\""),
                         QStringLiteral("Where PictureID In ") + idSet(items, from, count)});
        });
        report.done += static_cast<int>(q.rowsAffected());
        gauge.step(count);
    }
    if (dm.AlbumListTable.active() && dm.AlbumListTable.state() == data::DataSet::State::Browse)
        dm.AlbumListTable.refresh();
    return report;
}

ActionReport DeleteFoundPictures(data::TProgramDataForm& dm, const data::IdList& ids, bool deleteOriginals,
                                 MoveProgress* progress)
{
    ActionReport report;
    Gauge gauge(progress, ids.size());
    const QStringList& items = ids.items();
    for (int from = 0; from < items.size(); from += kActionBatch) {
        const int count = std::min<int>(kActionBatch, items.size() - from);
        QList<qint64> batch;
        idSet(items, from, count, &batch);
        try {
            pictures::DeletePictures(dm, batch, deleteOriginals);
            report.done += static_cast<int>(batch.size());
        } catch (const std::exception& e) {
            for (qint64 id : batch)
                report.notDone << QString::number(id) + QStringLiteral(" (") + QString::fromUtf8(e.what()) +
                                      QLatin1Char(')');
        }
        gauge.step(count);
    }
    return report;
}

void ReportActionDone(const ActionReport& report)
{
    if (!report.notDone.isEmpty())
        common::showWarning(QStringLiteral("These Pictures Were Not Done:\r") + report.notDone.join(QLatin1Char('\r')));
    common::showInformation(QStringLiteral("Operation Compleated"));
}

}  // namespace kv::storage
