#include "pictures/PictureDelete.h"

#include "common/FileOperations.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "data/StatusNotice.h"
#include "data/SystemInfo.h"
#include "pictures/Previews.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace kv::pictures {

namespace {

// "(1, 2, 3)" of the IDs, each once.
QString idSet(QList<qint64> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    QStringList texts;
    for (qint64 id : ids)
        texts << QString::number(id);
    return QLatin1Char('(') + texts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

void run(data::Database& db, const QStringList& lines)
{
    data::Query q(&db);
    for (const QString& line : lines)
        q.addLine(line);
    q.execSQL();
}

// The full paths of the pictures' own files, where row and location say.
QStringList originalFiles(data::Database& db, const QString& ids)
{
    data::Query q(&db);
    q.addLine(QStringLiteral("Select PI.FileName, SL.Directory From \"PictureInfo.db\" PI"));
    q.addLine(QStringLiteral("LEFT OUTER JOIN \"StorageLocation.db\" SL"));
    q.addLine(QStringLiteral("ON (PI.StorageLocationID = SL.StorageLocationID)"));
    q.addLine(QStringLiteral("Where PI.PictureID In ") + ids);
    q.open();
    QStringList files;
    for (q.first(); !q.eof(); q.next()) {
        const QString name = data::readText(q, QStringLiteral("FileName"));
        const QString directory = data::readText(q, QStringLiteral("Directory"));
        if (!name.isEmpty() && !directory.isEmpty())
            files << common::AddTrailingBackslash(directory) + name;
    }
    q.close();
    return files;
}

}  // namespace

void DeletePictures(data::TProgramDataForm& dm, const QList<qint64>& pictureIds, bool deleteOriginals)
{
    if (pictureIds.isEmpty())
        return;
    data::Database& db = *dm.KestrelviewDatabase();
    const QString ids = idSet(pictureIds);
    data::StatusNotice notice(QStringLiteral("Please Wait: Deleting All Records Linked To Picture"));
    dm.InOneTransaction([&] {
        const QStringList originals = deleteOriginals ? originalFiles(db, ids) : QStringList();
        run(db, {QStringLiteral("Delete From \"PicturePeople.db\""), QStringLiteral("Where PictureID In ") + ids});
        run(db, {QStringLiteral("Delete From \"AlbumList.db\""), QStringLiteral("Where AlbumPictureID In ") + ids});
        run(db, {QStringLiteral("Update \"Person.db\""), QStringLiteral("Set PersonPicture = Null"),
                 QStringLiteral("Where PersonPicture In ") + ids});
        run(db, {QStringLiteral("Delete From \"PictureInfo.db\""), QStringLiteral("Where PictureID In ") + ids});
        db.afterCommit([&dm, originals, pictureIds] {
            for (const QString& file : originals)
                QFile::remove(file);
            // Previews are where the settings keep them now.
            if (!data::SystemInfo().PreviewDir.isEmpty())
                for (qint64 id : pictureIds)
                    QFile::remove(PreviewPath(id));
            // The data module's copies show the rows that are left; a row
            // being edited keeps its edit.
            for (data::Table* t : {&dm.PictureInfoTable, &dm.PicturePeopleTable, &dm.AlbumListTable, &dm.PersonTable})
                if (t->active() && t->state() == data::DataSet::State::Browse)
                    t->refresh();
        });
    });
}

}  // namespace kv::pictures
