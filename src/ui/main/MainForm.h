#pragma once

#include <QImage>
#include <QMainWindow>
#include <QMap>

#include <functional>

class QAction;
class QLabel;
class QMenu;

namespace kv::data {
class TProgramDataForm;
}
namespace kv::reference {
enum class EditorKind;
}

namespace kv::ui {

// The main window: every command starts from its menu. The client area is
// tiled with the background picture.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(bool databaseReadOnly, bool showClearDatabase = false, QWidget* parent = nullptr);

    // Also makes the bulk load the storage location editor's scan window.
    void setDataModule(data::TProgramDataForm* dm);

    // The item of a menu by its key ("&File/&Exit"); the top-level menu's
    // action for a key without an item ("&Tools").
    QAction* action(const QString& key) const;
    QMenu* menu(const QString& caption) const;

    // First activation: enable the menus and apply the rights.
    void FormActivate();
    // Forget the cached background (the settings changed); repaints.
    void DropBackground();
    const QImage& background();

    // The product notice, a permanent part of the status bar: the texts
    // shown while the menus are browsed pass beside it.
    QLabel* statusNotice() const { return m_statusNotice; }

    // Where a command of a later step plugs in.
    void setCommand(const QString& key, std::function<void()> command);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void PrinterSetupClick();
    void AboutClick();
    void ProductHelpClick();
    void UserSettingsClick();
    void UserSetupClick();
    void SecurityClick();
    void OpenEditor(reference::EditorKind kind);

    data::TProgramDataForm* m_dm = nullptr;
    bool m_readOnly;
    bool m_showClearDatabase;
    bool m_activated = false;
    QMap<QString, QAction*> m_actions;
    QMap<QString, QMenu*> m_menus;
    QImage m_background;
    QLabel* m_statusNotice = nullptr;
};

// The built-in background picture.
QImage builtInBackground();

}  // namespace kv::ui
