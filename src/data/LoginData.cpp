#include "data/LoginData.h"

namespace kv::data {

TLoginData& LoginData()
{
    static TLoginData login;
    return login;
}

}  // namespace kv::data
