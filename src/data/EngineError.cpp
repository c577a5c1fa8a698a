#include "data/EngineError.h"

namespace kv::data {

EngineError::EngineError(const QStringList& errorStack)
    : std::runtime_error(errorStack.join(QLatin1Char('\n')).toStdString())
    , m_stack(errorStack)
{
}

EngineError::EngineError(const QString& message)
    : EngineError(QStringList{message})
{
}

}  // namespace kv::data
