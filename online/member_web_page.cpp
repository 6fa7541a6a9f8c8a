#include "online/member_web_page.h"

#include "online/page_commands.h"

namespace ludomat {

namespace {

// Takes the first address a new-window page is asked for, hands it to the member page as its
// own navigation, and goes away: pages never open windows of their own.
class WindowCatcher : public QWebEnginePage {
public:
    WindowCatcher(MemberWebPage* owner) : QWebEnginePage(owner->profile(), owner), m_owner(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (m_owner) {
            m_owner->setUrl(url);
            m_owner = nullptr;
            deleteLater();
        }
        return false;
    }

private:
    MemberWebPage* m_owner;
};

}  // namespace

MemberWebPage::MemberWebPage(const QString& serverRoot, QObject* parent)
    : QWebEnginePage(parent), m_root(serverRoot)
{
}

bool MemberWebPage::isOwnServer(const QUrl& url) const
{
    return url.scheme() == m_root.scheme() && url.host() == m_root.host() &&
           url.port(url.scheme() == "https" ? 443 : 80) == m_root.port(m_root.scheme() == "https" ? 443 : 80) &&
           url.path().startsWith(m_root.path());
}

bool MemberWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // Commands are read from the address as the browser reports it.
    if (!PageCommands::queueOf(url.toString()) || !isOwnServer(url))
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    emit commandsRequested(url.toString());
    return false;
}

QWebEnginePage* MemberWebPage::createWindow(WebWindowType)
{
    return new WindowCatcher(this);
}

}  // namespace ludomat
