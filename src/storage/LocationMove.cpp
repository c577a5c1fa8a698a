#include "storage/LocationMove.h"

#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/ProgramDataForm.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <vector>

namespace kv::storage {

namespace {

using Outcome = LocationMoveResult::Outcome;

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

bool sameDirectory(const QString& a, const QString& b)
{
    return common::SameFileOrDirectory(a, b) || QDir::cleanPath(a) == QDir::cleanPath(b);
}

// Whether the name is taken in the directory, also by a dangling link.
bool nameTaken(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

struct LocationFile {
    QString name;
    bool missing = false;  // not found, and the user chose Ignore
};

// The file names of the location's pictures, one entry per picture row
// (-1: no file to move on that row), and the files to move, each once.
struct PictureFiles {
    std::vector<int> rows;
    std::vector<LocationFile> files;
};

PictureFiles readPictureFiles(data::TProgramDataForm& dm, qint64 location, QStringList& skipped)
{
    data::Query& query = dm.PictureInfoQuery;
    query.close();
    query.clearSql();
    query.addLine(QStringLiteral("Select FileName"));
    query.addLine(QStringLiteral("From \"PictureInfo.db\""));
    query.addLine(QStringLiteral("Where StorageLocationID = ") + QString::number(location));
    query.open();
    PictureFiles result;
    QHash<QString, int> seen;
    for (query.first(); !query.eof(); query.next()) {
        const QString name = data::readText(query, QStringLiteral("FileName"));
        int index = -1;
        if (name.isEmpty()) {
        } else if (!common::IsPlainFileName(name)) {
            skipped << name + QStringLiteral(" (not a file name)");
        } else if (const auto it = seen.constFind(name); it != seen.constEnd()) {
            index = it.value();
        } else {
            index = static_cast<int>(result.files.size());
            seen.insert(name, index);
            result.files.push_back({name});
        }
        result.rows.push_back(index);
    }
    query.close();
    return result;
}

QString listed(const QStringList& names) { return names.join(QLatin1Char('\r')); }

}  // namespace

LocationMoveResult MoveLocationFiles(data::TProgramDataForm& dm, const QString& newDirectory, MoveProgress* progress,
                                     FileMover mover)
{
    data::Table& location = dm.StorageLocationTable;
    LocationMoveResult result;
    if (!location.active() || (location.isEmpty() && !editing(location)))
        return result;
    // A location being edited is saved first; when that is refused (the
    // record rules said why) nothing moves.
    if (editing(location) && !location.post())
        return result;
    if (!mover)
        mover = [](const QString& source, const QString& directory, const QString& name) {
            return common::TransferFile(source, directory, name, common::TransferMode::Move,
                                        common::OverwritePolicy::Never);
        };

    const QString target = common::AddTrailingBackslash(newDirectory);
    result.directory = target;
    auto refuse = [&result](const QString& text) {
        common::showError(text);
        return result;
    };
    if (target.isEmpty() || QDir::isRelativePath(target))
        return refuse(QStringLiteral("Error: The New File Location Must Be A Full Path: ") + newDirectory);
    const int width = location.fieldWidth(QStringLiteral("Directory"));
    if (width > 0 && target.size() > width)
        return refuse(QStringLiteral("Error: The Directory Name Is Longer Than %1 Characters: ").arg(width) + target);
    const QFileInfo targetInfo(target);
    if (!targetInfo.isDir() || !targetInfo.isWritable())
        return refuse(QStringLiteral("Error: Cannot Move To: ") + target +
                      QStringLiteral(" The directory cannot be reached or written."));

    const qint64 locationId = data::readInteger(location, QStringLiteral("StorageLocationID"));
    const QString oldDirectory = data::readText(location, QStringLiteral("Directory"));
    const QString source = common::AddTrailingBackslash(oldDirectory);
    const QString discLabel = data::readText(location, QStringLiteral("DiscLabel"));

    // Without a directory the location's files are nowhere to be found:
    // nothing is looked for, only the directory is set.
    PictureFiles pictures;
    if (!oldDirectory.isEmpty()) {
        if (sameDirectory(source, target))
            return refuse(QStringLiteral("Error: The Files Are Already In The Directory: ") + target);
        pictures = readPictureFiles(dm, locationId, result.skipped);
    }
    MoveProgressScope shown(progress, static_cast<int>(pictures.rows.size()));

    // Nothing is ever replaced: another file of a location file's name in
    // the new directory stops the move before it starts.
    QStringList clashes;
    for (const LocationFile& f : pictures.files) {
        shown.pulse();
        if (nameTaken(target + f.name) && !common::SameFileOrDirectory(source + f.name, target + f.name))
            clashes << f.name;
    }
    if (!clashes.isEmpty())
        return refuse(QStringLiteral("Error: These Files Already Exist In ") + target +
                      QStringLiteral(" And Would Be Replaced. Nothing Was Moved.\r") + listed(clashes));

    // Every file is looked for before the first one moves, asking for the
    // location's disc while one is missing.
    bool ignoring = false;
    for (LocationFile& f : pictures.files) {
        if (ignoring)
            break;
        shown.pulse();
        const QString path = source + f.name;
        while (!common::AbsoluteFileExists(path)) {
            const common::MessageAnswer answer = common::askAbortRetryIgnore(common::FormatMessage(
                QStringLiteral("Error: Cannot Find File: %s% Please Insert Disc labeled: %s%"),
                path + QLatin1Char('\t') + discLabel));
            if (answer == common::MessageAnswer::Abort) {
                result.outcome = Outcome::Aborted;
                return refuse(QStringLiteral("Move Aborted At File: ") + path +
                              QStringLiteral("\rNo Files Were Moved."));
            }
            if (answer == common::MessageAnswer::Ignore) {
                f.missing = ignoring = true;
                break;
            }
        }
    }

    // Puts the moved files back after a failure; what cannot go back is told.
    auto putBack = [&] {
        for (auto it = result.moved.crbegin(); it != result.moved.crend(); ++it)
            if (!common::TransferFile(target + *it, source, *it, common::TransferMode::Move,
                                      common::OverwritePolicy::Never)
                     .done())
                result.strayed.prepend(*it);
        result.moved.clear();
    };
    auto failure = [&](const QString& file, const QString& why) {
        putBack();
        result.outcome = Outcome::Failed;
        QString text = QStringLiteral("Error: Cannot Move File: ") + file + QLatin1Char('\r') + why +
                       QStringLiteral("\rThe files were left where they were.");
        if (!result.strayed.isEmpty())
            text += QStringLiteral("\rThese files could not be put back and are in ") + target + QStringLiteral(":\r") +
                    listed(result.strayed);
        common::showError(text);
        return result;
    };

    std::vector<bool> handled(pictures.files.size(), false);
    for (const int index : pictures.rows) {
        shown.step();
        if (index < 0 || handled[static_cast<size_t>(index)])
            continue;
        handled[static_cast<size_t>(index)] = true;
        const LocationFile& f = pictures.files[static_cast<size_t>(index)];
        const QString path = source + f.name;
        if (f.missing || QDir::isRelativePath(path)) {
            result.skipped << f.name + QStringLiteral(" (not found)");
            continue;
        }
        const common::TransferResult moved = mover(path, target, f.name);
        switch (moved.outcome) {
        case common::TransferOutcome::Moved:
        case common::TransferOutcome::Copied:
            result.moved << f.name;
            break;
        case common::TransferOutcome::SameFile:
            break;  // already in the new directory
        case common::TransferOutcome::Missing:
            result.skipped << f.name + QStringLiteral(" (not found)");
            break;
        case common::TransferOutcome::Exists:
            return failure(path, QStringLiteral("A file of that name appeared in ") + target);
        case common::TransferOutcome::Failed:
            return failure(path, moved.reason);
        }
    }

    // The location names its new directory, or the files go back.
    try {
        if (!location.edit())
            return failure(target, QStringLiteral("The Storage Location could not be changed."));
        location.setFieldValue(QStringLiteral("Directory"), target);
        if (!location.post()) {
            location.cancel();
            return failure(target, QStringLiteral("The Storage Location could not be saved."));
        }
    } catch (...) {
        if (editing(location))
            location.cancel();
        putBack();
        throw;
    }
    result.outcome = Outcome::Moved;
    if (!result.skipped.isEmpty())
        common::showWarning(QStringLiteral("These Files Were Not Moved:\r") + listed(result.skipped));
    common::showInformation(QStringLiteral("Operation Compleated"));
    return result;
}

}  // namespace kv::storage
