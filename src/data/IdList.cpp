#include "data/IdList.h"

namespace kv::data {

void IdList::clear()
{
    m_items.clear();
    m_set.clear();
}

void IdList::append(const QString& id)
{
    m_items << id;
    m_set.insert(id);
}

bool IdList::appendUnique(const QString& id)
{
    if (m_set.contains(id))
        return false;
    append(id);
    return true;
}

}  // namespace kv::data
