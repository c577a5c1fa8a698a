#include "ui/main/MainMenu.h"

#include "security/SecurityData.h"

#include <algorithm>

namespace kv::ui {

const std::vector<MenuItemDef>& mainMenuItems()
{
    static const std::vector<MenuItemDef> items = {
        {"&File", nullptr, "&Printer Setup", 1000},
        {"&File", nullptr, "&User Settings", 1100},
        {"&File", nullptr, "&System Settings", 1200},
        {"&File", nullptr, "Us&er Setup", 1300},
        {"&File", nullptr, "Se&curity", 1800},
        {"&File", nullptr, "&Pack Database", 1500},
        {"&File", nullptr, "Clear Database", 0},
        {"&File", nullptr, "&Information", 1600},
        {"&File", nullptr, "&Exit", 1700},
        {"&Tables", nullptr, "&Album", 2700},
        {"&Tables", nullptr, "&Rating", 2000},
        {"&Tables", nullptr, "&Place", 2100},
        {"&Tables", nullptr, "&Category", 2200},
        {"&Tables", nullptr, "&Sub-Category", 2400},
        {"&Tables", nullptr, "P&erson Group", 2900},
        {"&Tables", nullptr, "&Person", 2300},
        {"&Tables", nullptr, "&Media Type", 2500},
        {"&Tables", nullptr, "S&torage Location", 2600},
        {"&Tables", nullptr, "Sa&ved Searches", 2800},
        {"&Picture", nullptr, "&Summary", 3100},
        {"&Picture", nullptr, "&Bulk Load", 3200},
        {"&Picture", nullptr, "Count &Person", 3400},
        {"&Picture", nullptr, "Count &Album", 3500},
        {"&Picture", nullptr, "Count P&lace", 3600},
        {"&Picture", nullptr, "Count P&hotographer", 3700},
        {"&Picture", nullptr, "Count &Rating", 3800},
        {"&Picture", nullptr, "Count &Category", 3900},
        {"&Picture", nullptr, "Count &Sub-Category", 3950},
        {"&Picture", nullptr, "Count &Media Type", 3960},
        {"&Picture", nullptr, "Count S&torage Location", 3970},
        {"&Search", nullptr, "&Basic", 4100},
        {"&Search", nullptr, "&Advanced", 4200},
        {"&Web Options", nullptr, "&Upload Pictures", 3300},
        {"&Web Options", nullptr, "&Current Report Upload", 8100},
        {"&Web Options", nullptr, "&Delete Web Site", 8200},
        {"&Tools", "&Copy Pictures", "&Basic", 9101},
        {"&Tools", "&Copy Pictures", "&Advanced", 9105},
        {"&Tools", "&Move Pictures", "&Basic", 9201},
        {"&Tools", "&Move Pictures", "&Advanced", 9205},
        {"&Tools", "&Add Album", "&Basic", 9300},
        {"&Tools", "&Add Album", "&Advanced", 9400},
        {"&Tools", "&Bulk Delete", "&Basic", 9500},
        {"&Tools", "&Bulk Delete", "&Advanced", 9600},
        {"&Tools", "&Screen Saver Slide Show", "&Basic", 9710},
        {"&Tools", "&Screen Saver Slide Show", "&Advanced", 9730},
        {"&Tools", "S&lide Show", "&Basic", 9830},
        {"&Tools", "S&lide Show", "&Advanced", 9840},
        {"&Tools", "S&lide Show", "&Person", 9865},
        {"&Tools", "&Export Kestrelview", "&Basic", 0},
        {"&Tools", "&Export Kestrelview", "&Advanced", 0},
        {"&Tools", nullptr, "Sca&n For New Pictures", 9800},
        {"&Tools", nullptr, "Reset Image Size", 9930},
        {"&Reports", nullptr, "&Basic", 5100},
        {"&Reports", nullptr, "&Advanced", 5200},
        {"&Reports", nullptr, "B&irthday", 5300},
        {"&Reports", nullptr, "A&ddress Book", 5400},
        {"&Reports", nullptr, "Add&ress Book Export", 5500},
        {"&Help", nullptr, "Product Help", 6100},
        {"&Help", nullptr, "&About", 6200},
    };
    return items;
}

int groupHelpContext(const QString& group)
{
    if (group == u"&Copy Pictures")
        return 9100;
    if (group == u"&Move Pictures")
        return 9200;
    if (group == u"&Screen Saver Slide Show")
        return 9700;
    if (group == u"S&lide Show")
        return 9820;
    return 0;
}

QString menuItemKey(const MenuItemDef& item)
{
    QString key = QString::fromLatin1(item.menu) + QLatin1Char('/');
    if (item.group)
        key += QString::fromLatin1(item.group) + QLatin1Char('/');
    return key + QString::fromLatin1(item.caption);
}

std::map<QString, bool> menuRights(const security::TSecurityData& r, bool databaseReadOnly, bool screenSaverInstalled)
{
    return {
        {QStringLiteral("&File/&System Settings"), r.CanModifySettings || r.CanViewSettings},
        {QStringLiteral("&File/Us&er Setup"), r.CanAddUsers},
        {QStringLiteral("&File/Se&curity"), r.CanViewSecurity || r.Supervisor},
        {QStringLiteral("&File/&Pack Database"), r.CanPackDatabase},
        {QStringLiteral("&Tables/&Rating"), r.CanAddRating || r.CanEditRating || r.CanDeleteRating},
        {QStringLiteral("&Picture/&Bulk Load"), r.CanAddPicture},
        {QStringLiteral("&Web Options"), r.CanUploadHTML},
        {QStringLiteral("&Tables/Sa&ved Searches"), r.CanSaveSearch || r.CanEditSearch || r.CanDeleteSearch},
        {QStringLiteral("&Tools/&Move Pictures"), r.CanMoveLocations},
        {QStringLiteral("&Tools/&Copy Pictures"), r.CanCopyPictures},
        {QStringLiteral("&Tools/&Add Album"), r.CanAddPicture},
        {QStringLiteral("&Tools/&Bulk Delete"), r.CanDeletePicture},
        {QStringLiteral("&Tools/&Screen Saver Slide Show"), screenSaverInstalled},
        {QStringLiteral("&Tools/Sca&n For New Pictures"), r.CanAddPicture},
        {QStringLiteral("&Tools/Reset Image Size"), r.Supervisor && !databaseReadOnly},
        {QStringLiteral("&Tools/&Export Kestrelview"), r.CanExport},
        {QStringLiteral("&Reports/Add&ress Book Export"), r.CanExport},
    };
}

std::vector<std::pair<int, int>> backgroundTiles(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight)
{
    std::vector<std::pair<int, int>> tiles;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return tiles;
    const int stepX = std::max(1, pictureWidth - 1);
    const int stepY = std::max(1, pictureHeight - 1);
    for (int y = 0; y < windowHeight; y += stepY)
        for (int x = 0; x < windowWidth; x += stepX)
            tiles.emplace_back(x, y);
    return tiles;
}

}  // namespace kv::ui
