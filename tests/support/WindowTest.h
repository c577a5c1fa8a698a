#pragma once

#include "support/TempCatalogue.h"
#include "support/TestApplication.h"

#include "common/Application.h"
#include "common/MessageService.h"
#include "data/LoginData.h"
#include "data/SystemInfo.h"
#include "security/SecurityData.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kv::test {

// A window test: the program's application object (with its default error
// display), a data module on a new catalogue, scripted messages,
// window positions kept in a folder of the test's own, and the logged-on
// user, his rights and the settings reset afterwards.
class WindowTest : public ::testing::Test {
protected:
    OpenDataModule m;
    data::TProgramDataForm& dm = m.dm;
    common::ScriptedResponder messages;
    common::ResponderScope scope{messages};
    QTemporaryDir settingsDir;

    void SetUp() override
    {
        testApplication<common::TApplication>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    }
    void TearDown() override
    {
        data::LoginData() = data::TLoginData();
        security::SecurityData() = security::TSecurityData();
        data::SystemInfo() = data::TSystemInfo();
    }
};

}  // namespace kv::test
