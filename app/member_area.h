#pragma once
// Joins the member window and the web menu window to the studio: both are created at start-up,
// hidden; the member picture and F5 open the first, "Manual, tutoriais e dicas" the second.
// The member window reaches the studio only through MemberLink, implemented here.

#include "app/online_views.h"
#include "online/member_link.h"

#include <QObject>

namespace ludomat {

class Http;
class MainWindow;
class MemberWindow;
class WebMenuWindow;

class MemberArea : public QObject, public MemberLink {
    Q_OBJECT
public:
    MemberArea(MainWindow& window, Http& http);
    MemberArea(MainWindow& window, Http& http, const OnlineViews& views);
    ~MemberArea() override;

    MemberWindow& memberWindow() { return *m_member; }
    WebMenuWindow& webMenu() { return *m_webMenu; }
    void openMemberWindow();

    // MemberLink
    QString programFolder() const override;
    QString memberEmail() const override;
    QString memberPassword() const override;
    void setMember(const QString& email, const QString& password) override;
    void showIndicator(bool shown) override;
    QString editorSelection() const override;
    void insertBeforeCaretLine(const QString& text) override;
    void openWorkFolder(const QString& folder) override;
    void executeScript() override;
    void showRegisters() override;
    bool loadScript(const QString& folder, const QString& fileName) override;
    QWidget* mainWindow() override;
    bool drawOnScreen(const QString& picturePath) override;
    bool openBoardScript(const QString& folder, const QString& fileName) override;

private:
    MainWindow& m_window;
    Http& m_http;
    WebMenuWindow* m_webMenu;
    MemberWindow* m_member;
};

}  // namespace ludomat
