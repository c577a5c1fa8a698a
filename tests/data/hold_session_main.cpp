// Registers itself as a program using the catalogue, prints "ready", then
// waits until killed. Used by the session registry test.
#include "data/SessionRegistry.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    kv::data::SessionRegistry registry(args[1], args[2]);
    std::printf("%s\n", registry.registered() ? "ready" : "failed");
    std::fflush(stdout);
    for (int i = 0; i < 600; ++i)
        QThread::msleep(100);
    return 0;
}
