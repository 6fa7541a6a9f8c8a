#include "app/online_views.h"

#include "studio/pages/load_page.h"
#include "studio/window/main_window.h"

#include <QAbstractButton>
#include <QLabel>

namespace ludomat {

OnlineViews onlineViewsOf(MainWindow& window)
{
    LoadPage& load = window.loadPage();
    OnlineViews views;
    views.skin = window.findChild<QWidget*>("Normal");
    views.loadPage = &load;
    views.screenPanel = window.findChild<QWidget*>("PanTel");
    views.memberIcon = load.findChild<QAbstractButton*>("Icovip");
    views.manualButton = load.findChild<QAbstractButton*>("btWeb");
    views.checkButton = load.findChild<QAbstractButton*>("btVrs");
    views.updateButton = load.findChild<QAbstractButton*>("btAtu");
    views.catalogueButton = load.findChild<QAbstractButton*>("btDown");
    views.message = load.findChild<QLabel*>("Mesg");
    views.version = window.findChild<QLabel*>("lbVersao");
    views.notice = window.findChild<QLabel*>("Stx");
    return views;
}

}  // namespace ludomat
