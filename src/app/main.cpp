#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStringList parameters = QCoreApplication::arguments();
    parameters.removeFirst();
    kv::app::Startup startup(parameters, kv::app::systemLocationFolders(), {});
    return startup.run();
}
