#pragma once
// The widgets of the studio window that the online services write to or listen on, handed to
// them explicitly so that no online code looks a widget up by its name.

class QAbstractButton;
class QLabel;
class QWidget;

namespace ludomat {

class MainWindow;

struct OnlineViews {
    QWidget* skin = nullptr;                     // `Normal`: the window's face, where the lamp goes
    QWidget* loadPage = nullptr;                 // the "Load" page, where the gauge goes
    QWidget* screenPanel = nullptr;              // `PanTel`: the catalogue covers it
    QAbstractButton* memberIcon = nullptr;       // `Icovip`
    QAbstractButton* manualButton = nullptr;     // `btWeb`
    QAbstractButton* checkButton = nullptr;      // `btVrs`
    QAbstractButton* updateButton = nullptr;     // `btAtu`
    QAbstractButton* catalogueButton = nullptr;  // `btDown`
    QLabel* message = nullptr;                   // `Mesg`
    QLabel* version = nullptr;                   // `lbVersao`
    QLabel* notice = nullptr;                    // `Stx`
};

// The window's widgets for the online services, as the window and its Load page hand them out.
OnlineViews onlineViewsOf(MainWindow& window);

}  // namespace ludomat
