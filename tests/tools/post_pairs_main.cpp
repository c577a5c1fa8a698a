// Posts COUNT pairs of places, each pair in one transaction ("Pair N a" and
// "Pair N b"), printing "ready" once the first pair is in: another program
// writing while the backup test copies the catalogue.
#include "data/Database.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kv_post_pairs DIR COUNT\n");
        return 2;
    }
    try {
        auto db = kv::data::Database::open(args[1], false);
        kv::data::Statement add(*db, QStringLiteral("INSERT INTO Place (PlaceDescription) VALUES (?)"));
        const int count = args[2].toInt();
        for (int i = 0; i < count; ++i) {
            kv::data::WriteTransaction tx(*db);
            for (const char* half : {"a", "b"}) {
                add.reset();
                add.bind(1, QStringLiteral("Pair %1 %2").arg(i).arg(QLatin1String(half)));
                add.step();
            }
            tx.commit();
            if (i == 0) {
                std::printf("ready\n");
                std::fflush(stdout);
            }
            QThread::usleep(500);
        }
    } catch (const kv::data::EngineError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
