#pragma once

#include <QMainWindow>

namespace kv::ui {

// The main window: every command starts from its menu.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(bool databaseReadOnly, QWidget* parent = nullptr);
};

}  // namespace kv::ui
