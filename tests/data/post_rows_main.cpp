// Posts N pictures through the picture table, as one workstation would.
// Used by the multi-user tests: two of these run at once on one catalogue;
// "network" makes it take the catalogue's directory for a network drive.
#include "data/CatalogueFiles.h"
#include "data/ProgramDataForm.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4 && !(args.size() == 5 && args[4] == QLatin1String("network"))) {
        std::fprintf(stderr, "usage: kv_post_rows DIR COUNT LABEL [network]\n");
        return 2;
    }
    if (args.size() == 5)
        kv::data::setNetworkFileSystemCheck([](const QString&) { return true; });
    try {
        kv::data::TProgramDataForm dm;
        dm.setDatabase(kv::data::Database::open(args[1], false));
        dm.openTables(false);
        auto& t = dm.PictureInfoTable;
        t.beforePost = [](kv::data::Table& table) {
            table.setFieldValue(QStringLiteral("PictureModifiedDate"), QDateTime::currentDateTime());
        };
        const int count = args[2].toInt();
        for (int i = 0; i < count; ++i) {
            if (!t.insert())
                return 3;
            t.setFieldValue(QStringLiteral("PictureDescription"), QStringLiteral("%1 %2").arg(args[3]).arg(i));
            t.setFieldValue(QStringLiteral("RatingID"), i % 5);
            if (!t.post())
                return 3;
        }
    } catch (const kv::data::EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
