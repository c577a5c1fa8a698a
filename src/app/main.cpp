#include "app/Startup.h"
#include "common/Application.h"

int main(int argc, char* argv[])
{
    // Qt's FFmpeg media backend plays videos and sounds without relying on
    // GStreamer plugins that a machine may lack.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    kv::common::TApplication app(argc, argv);
    QStringList parameters = QCoreApplication::arguments();
    parameters.removeFirst();
    kv::app::Startup startup(parameters, kv::app::systemLocationFolders(), {});
    return startup.run();
}
