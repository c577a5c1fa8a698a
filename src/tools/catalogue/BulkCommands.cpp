#include "tools/catalogue/BulkCommands.h"

#include "tools/catalogue/ToolResponder.h"

#include "common/MessageService.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "storage/BulkLoad.h"

#include <optional>

namespace kv::tools {

const char* const kBulkUsage =
    "       kestrelview-catalogue bulk-load DIR --location ID --description TEXT --rating ID [--category ID]\n"
    "           [--place ID] [--photographer ID] [--media-type ID] [--date MM/DD/YYYY] [--use-file-date]\n"
    "           [--use-metadata] [--threads N]\n"
    "       kestrelview-catalogue scan DIR (--location ID)... | --all  (with the same defaults)\n";

namespace {

struct BulkOptions {
    QString command;
    QString directory;
    storage::BulkLoadDefaults defaults;
    std::vector<qint64> locations;
    bool all = false;
    int threads = 0;
    // Given on the command line; the others come from the settings.
    bool placeGiven = false, categoryGiven = false, photographerGiven = false, mediaTypeGiven = false;
};

std::optional<qint64> number(const QString& text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<BulkOptions> parse(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return std::nullopt;
    BulkOptions o{.command = arguments[0], .directory = arguments[1]};
    storage::BulkLoadDefaults& d = o.defaults;
    // Options taking an ID: where it goes and whether it came from here.
    const struct {
        const char* option;
        qint64 storage::BulkLoadDefaults::*field;
        bool BulkOptions::*given;
    } ids[] = {
        {"--rating", &storage::BulkLoadDefaults::rating, nullptr},
        {"--category", &storage::BulkLoadDefaults::category, &BulkOptions::categoryGiven},
        {"--place", &storage::BulkLoadDefaults::place, &BulkOptions::placeGiven},
        {"--photographer", &storage::BulkLoadDefaults::photographer, &BulkOptions::photographerGiven},
        {"--media-type", &storage::BulkLoadDefaults::mediaType, &BulkOptions::mediaTypeGiven},
    };
    for (int i = 2; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        bool matched = false;
        for (const auto& id : ids) {
            if (a == QLatin1String(id.option) && hasValue) {
                const std::optional<qint64> value = number(arguments[++i]);
                if (!value)
                    return std::nullopt;
                d.*id.field = *value;
                if (id.given)
                    o.*id.given = true;
                matched = true;
            }
        }
        if (matched)
            continue;
        if (a == u"--location" && hasValue) {
            const std::optional<qint64> value = number(arguments[++i]);
            if (!value)
                return std::nullopt;
            o.locations.push_back(*value);
        } else if (a == u"--description" && hasValue) {
            d.description = arguments[++i];
        } else if (a == u"--date" && hasValue) {
            d.dateText = arguments[++i];
        } else if (a == u"--threads" && hasValue) {
            const std::optional<qint64> value = number(arguments[++i]);
            if (!value || *value < 1 || *value > 64)
                return std::nullopt;
            o.threads = static_cast<int>(*value);
        } else if (a == u"--use-file-date") {
            d.useFileDate = true;
        } else if (a == u"--use-metadata") {
            d.useTitleMetadata = d.useCommentMetadata = true;
        } else if (a == u"--all" && o.command == u"scan") {
            o.all = true;
        } else {
            return std::nullopt;
        }
    }
    if (o.command == u"bulk-load" && o.locations.size() != 1)
        return std::nullopt;
    if (o.command == u"scan" && o.all == !o.locations.empty())
        return std::nullopt;
    return o;
}

// The defaults not given take the settings' defaults, as the window's boxes
// start; a loaded location's media type is the location's own.
void fillFromSettings(BulkOptions& o, storage::BulkLoader& loader)
{
    const data::TSystemInfo& info = data::SystemInfo();
    storage::BulkLoadDefaults& d = o.defaults;
    if (!o.placeGiven)
        d.place = info.DefaultPlaceID;
    if (!o.categoryGiven)
        d.category = info.DefaultCatagoryID;
    if (!o.photographerGiven)
        d.photographer = info.DefaultPhotographerID;
    if (o.command == u"bulk-load") {
        d.storageLocation = o.locations.front();
        if (!o.mediaTypeGiven) {
            const auto found = loader.locations({d.storageLocation});
            d.mediaType = found.empty() ? -1 : found.front().mediaType;
        }
    }
}

}  // namespace

bool isBulkCommand(const QString& command) { return command == u"bulk-load" || command == u"scan"; }

int runBulkCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    std::optional<BulkOptions> o = parse(arguments);
    if (!o || !isBulkCommand(o->command)) {
        err << "usage:" << QString::fromLatin1(kBulkUsage).mid(6);
        return 2;
    }
    ToolResponder responder(err, true);
    common::ResponderScope scope(responder);
    try {
        data::TProgramDataForm dm;
        dm.setDatabase(data::Database::open(o->directory, false));
        dm.openTables(false);
        data::LoadSettings(dm.SettingsTable);
        storage::BulkLoader loader(dm);
        if (o->threads > 0)
            loader.setThreads(o->threads);
        fillFromSettings(*o, loader);
        int total = 0;
        int done = 0;
        loader.progress.line1 = [&out](const QString& text) { out << text << "\n" << Qt::flush; };
        loader.progress.start = [&](int maximum) {
            total = maximum;
            done = 0;
        };
        loader.progress.step = [&] {
            ++done;
            if (done == total || done % 100 == 0)
                out << "  " << done << " of " << total << " files\n" << Qt::flush;
        };
        QStringList refusal;
        bool ran = false;
        if (o->command == u"bulk-load") {
            ran = loader.load(o->defaults, refusal);
        } else {
            std::vector<qint64> ids = o->locations;
            if (o->all)
                for (const storage::ScanChoice& choice : storage::ScanChoices(dm))
                    ids.push_back(choice.id);
            ran = loader.scan(o->defaults, ids, refusal);
        }
        if (!ran) {
            for (const QString& line : refusal)
                err << "kestrelview-catalogue: " << line << "\n";
            return 1;
        }
        out << "Loaded " << loader.loadedCount() << " pictures\n";
        for (const QString& line : loader.errors())
            out << line << "\n";
        return 0;
    } catch (const data::EngineError& e) {
        err << "kestrelview-catalogue: " << e.errorStack().join(QStringLiteral("\n  ")) << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << "kestrelview-catalogue: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace kv::tools
