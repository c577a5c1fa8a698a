#pragma once

#include <QStandardPaths>

namespace kv::test {

// The one application object of a test program, made on first use and
// kept until the process ends. Standard paths point into a test folder.
template <class App>
App& testApplication()
{
    static int argc = 1;
    static char name[] = "kv_tests";
    static char* argv[] = {name, nullptr};
    static App* app = [] {
        QStandardPaths::setTestModeEnabled(true);
        return new App(argc, argv);
    }();
    return *app;
}

}  // namespace kv::test
