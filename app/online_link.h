#pragma once
// Joins the online services to the studio window: the HTTP client, the version check with its
// notice on every activation, the update and the script catalogue over the screen. The online
// services reach the studio through StudioLink and the widgets handed over in OnlineViews, so
// neither layer sees the other's classes.

#include "app/online_views.h"
#include "online/studio_link.h"

#include <QObject>
#include <QString>

#include <memory>

namespace ludomat {

class CataloguePanel;
class Http;
class MainWindow;
class VersionCheck;

class OnlineLink : public QObject, public StudioLink {
    Q_OBJECT
public:
    // The notice runs this long after start-up when no activation ran it first.
    static constexpr int kStartupNoticeMs = 500;

    OnlineLink(MainWindow& window, const QString& serverRoot);
    OnlineLink(MainWindow& window, const OnlineViews& views, const QString& serverRoot);
    ~OnlineLink() override;

    Http& http() { return *m_http; }
    VersionCheck& version() { return *m_version; }
    CataloguePanel& catalogue() { return *m_catalogue; }

    // StudioLink
    QString programFolder() const override;
    QString versionText() const override;
    void setNotice(const QString& text) override;
    bool saveEditor() override;
    void setGameFolder(const QString& folder) override;
    bool openScript(const QString& fileName) override;
    void refreshScriptList() override;
    void quit() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectButtons();

    MainWindow& m_window;
    OnlineViews m_views;
    std::unique_ptr<Http> m_http;
    VersionCheck* m_version = nullptr;
    CataloguePanel* m_catalogue = nullptr;
    bool m_noticePending = false;
    bool m_noticeRan = false;
};

}  // namespace ludomat
