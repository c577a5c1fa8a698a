// Posts one picture of a file through the picture table with the record
// checks on, as a workstation's picture window does. Once the checks before
// the write have passed it waits at a barrier, so that a test can let two of
// these reach the write together.
// Exit code: 0 posted, 4 refused (its messages on stdout), 1 engine error.
#include "common/MessageService.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"

#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {

// Says it is ready, then waits for the test's "go" (at most a minute).
void arriveAndWait(const QString& barrier, const QString& label)
{
    QFile ready(QDir(barrier).filePath(label + QStringLiteral(".ready")));
    if (ready.open(QIODevice::WriteOnly))
        ready.close();
    QDeadlineTimer deadline(60000);
    while (!QFile::exists(QDir(barrier).filePath(QStringLiteral("go"))) && !deadline.hasExpired())
        QThread::msleep(5);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: kv_post_picture DIR FILENAME BARRIER_DIR LABEL\n");
        return 2;
    }
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope(messages);
    try {
        kv::data::TProgramDataForm dm;
        dm.setDatabase(kv::data::Database::open(args[1], false));
        dm.openTables(false);
        kv::data::LoginData().UserID = 1;
        dm.ValidateOnPost = true;
        auto& t = dm.PictureInfoTable;
        const auto rules = t.beforePost;
        t.beforePost = [&](kv::data::Table& table) {
            rules(table);
            arriveAndWait(args[3], args[4]);
        };
        if (!t.insert())
            return 3;
        const std::pair<const char*, QVariant> values[] = {
            {"PictureDescription", args[4]}, {"DateTaken", QDate(2004, 7, 1)}, {"PlaceID", 1},
            {"CatagoryID", 1}, {"PhotograherID", 1}, {"RatingID", 1}, {"MediaTypeID", 1},
            {"StorageLocationID", 1}, {"FileName", args[2]}};
        for (const auto& [field, value] : values)
            t.setFieldValue(QString::fromLatin1(field), value);
        const bool posted = t.post();
        for (const QString& text : messages.texts())
            std::printf("%s\n", text.toUtf8().constData());
        return posted ? 0 : 4;
    } catch (const kv::data::EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
