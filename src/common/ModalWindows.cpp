#include "common/ModalWindows.h"

#include <utility>

namespace kv::common {

namespace {
ModalHandler& installedHandler()
{
    static ModalHandler handler;
    return handler;
}
}  // namespace

ModalHandler installModalHandler(ModalHandler handler)
{
    return std::exchange(installedHandler(), std::move(handler));
}

bool hasModalHandler() { return static_cast<bool>(installedHandler()); }

int runModal(QObject& window, const std::function<int()>& show)
{
    // A copy, so that a handler may install another one while it runs.
    const ModalHandler handler = installedHandler();
    return handler ? handler(window) : show();
}

ModalHandlerScope::ModalHandlerScope(ModalHandler handler)
    : m_previous(installModalHandler(std::move(handler)))
{
}

ModalHandlerScope::~ModalHandlerScope() { installModalHandler(std::move(m_previous)); }

}  // namespace kv::common
