#pragma once

#include <QString>

namespace kv::data {

// The logged-on user. Its UserID goes into every ...ModifiedBy stamp.
struct TLoginData {
    qint64 UserID = -1;
    QString LoginName;  // upper-cased
    qint64 SecurityID = -1;
    QString UserName;
};

TLoginData& LoginData();

}  // namespace kv::data
