#include "app/online_views.h"

#include "studio/pages/load_page.h"
#include "studio/window/main_window.h"


namespace ludomat {

OnlineViews onlineViewsOf(MainWindow& window)
{
    LoadPage& load = window.loadPage();
    const LoadPage::OnlineControls& controls = load.onlineControls();
    OnlineViews views;
    views.skin = window.skinPage();
    views.loadPage = &load;
    views.screenPanel = window.screenPanel();
    views.memberIcon = controls.memberIcon;
    views.manualButton = controls.manual;
    views.checkButton = controls.checkVersion;
    views.updateButton = controls.update;
    views.catalogueButton = controls.catalogue;
    views.message = load.message();
    views.version = window.versionLabel();
    views.notice = window.noticeLabel();
    return views;
}

}  // namespace ludomat
