#include "common/Application.h"

#include "data/ErrorDisplay.h"

namespace kv::common {

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    data::OperationGuard guard;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        guard.failed(std::current_exception());
        return false;
    }
}

}  // namespace kv::common
