#pragma once

#include <QApplication>

namespace kv::common {

// The program's application object. Every event, and with it every handler
// of every window, is delivered under the default error display
// (data/ErrorDisplay.h): an error a handler lets through is shown and
// logged, what it left half done is cancelled, and the event loop goes on.
// Catching here matters: an exception must never travel through Qt's own
// event delivery.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kv::common
