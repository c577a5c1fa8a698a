#include "ui/main/MainForm.h"

#include "common/WindowPosition.h"

#include <QStatusBar>

namespace kv::ui {

TMainForm::TMainForm(bool databaseReadOnly, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kestrelview Version 2.1")
                   + (databaseReadOnly ? QStringLiteral(" [Read Only]") : QString()));
    resize(600, 450);
    statusBar();
    new common::TSaveFormPosition(this, QStringLiteral("Main Form"));
}

}  // namespace kv::ui
