#pragma once
// The page of the member window's browser: it watches every address the browser goes to and
// hands the commands of a "Cmd=" address of our own server to the window instead of showing it.
// The same marker on any other site is shown as a plain page, never run.

#include <QUrl>
#include <QWebEnginePage>

#include <string>

namespace ludomat {

class MemberWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    // `serverRoot` ends with "/"; only addresses under it may carry commands.
    MemberWebPage(const QString& serverRoot, QObject* parent = nullptr);

    // True when `url` lies under the server root (same scheme, host and port, path inside).
    bool isOwnServer(const QUrl& url) const;

signals:
    // A "Cmd=" address of our own server, stopped before it was shown.
    void commandsRequested(const QString& address);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // A link that opens a new window gets a fresh page whose first address comes back here.
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    QUrl m_root;
};

}  // namespace ludomat
