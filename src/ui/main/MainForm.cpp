#include "ui/main/MainForm.h"

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
}

}  // namespace kv::ui
