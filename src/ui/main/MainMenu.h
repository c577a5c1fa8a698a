#pragma once

#include <QString>

#include <map>
#include <vector>

namespace kv::security {
struct TSecurityData;
}

namespace kv::ui {

// One entry of the main menu: its top-level menu, an optional group
// (submenu) and its caption, with the help topic it passes to the help file
// (0: none).
struct MenuItemDef {
    const char* menu;
    const char* group;  // nullptr for a plain item
    const char* caption;
    int helpContext;
};

// Every item of the main menu in order.
const std::vector<MenuItemDef>& mainMenuItems();

// Help topics of the groups themselves ("&Copy Pictures" 9100 ...).
int groupHelpContext(const QString& group);

// The key of an item: "&File/&Exit", "&Tools/&Copy Pictures/&Basic".
QString menuItemKey(const MenuItemDef& item);

// What the rights allow on first activation: key -> enabled. Items not in
// the map stay enabled. "Clear Database" is not here: it is shown or hidden.
std::map<QString, bool> menuRights(const security::TSecurityData& rights, bool databaseReadOnly,
                                   bool screenSaverInstalled);

// Where the background tiles go: rows and columns stepping by the picture's
// size less one pixel (tiles overlap by a pixel), never by less than one.
std::vector<std::pair<int, int>> backgroundTiles(int pictureWidth, int pictureHeight, int windowWidth,
                                                 int windowHeight);

}  // namespace kv::ui
