#pragma once
// The page of the member window's browser: it watches every address the browser goes to and
// hands the commands of a "Cmd=" address to the window instead of showing it, but only when a
// page of our own server asked for it by a link or a form. A page of any other site that sends
// the browser to such an address gets nothing: the address is neither run nor shown. The same
// marker in an address of another site is shown as a plain page, never run.

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
    // True when a navigation to `target` of kind `type`, asked for by the page showing `from`,
    // may run the commands of `target`.
    bool mayRunCommands(const QUrl& target, NavigationType type, bool isMainFrame, const QUrl& from) const;
    // A new window's first address, asked for by the page now shown; handled as its own link.
    void openedFromPage(const QUrl& url, NavigationType type);

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
