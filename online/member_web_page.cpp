#include "online/member_web_page.h"

#include "online/page_commands.h"

namespace ludomat {

namespace {

// Takes the first address a new-window page is asked for, hands it to the member page as a
// navigation of the page that opened it, and goes away: pages never open windows of their own.
class WindowCatcher : public QWebEnginePage {
public:
    WindowCatcher(MemberWebPage* owner) : QWebEnginePage(owner->profile(), owner), m_owner(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool) override
    {
        if (m_owner) {
            m_owner->openedFromPage(url, type);
            m_owner = nullptr;
            deleteLater();
        }
        return false;
    }

private:
    MemberWebPage* m_owner;
};

}  // namespace

MemberWebPage::MemberWebPage(const QString& serverRoot, QObject* parent) : QWebEnginePage(parent), m_root(serverRoot) {}

bool MemberWebPage::isOwnServer(const QUrl& url) const
{
    return url.scheme() == m_root.scheme() && url.host() == m_root.host() &&
           url.port(url.scheme() == "https" ? 443 : 80) == m_root.port(m_root.scheme() == "https" ? 443 : 80) &&
           url.path().startsWith(m_root.path());
}

bool MemberWebPage::mayRunCommands(const QUrl& target, NavigationType type, bool isMainFrame, const QUrl& from) const
{
    // A link or form the member used on a page of ours; redirects, typed addresses, reloads and
    // history steps are nobody's click, and a frame cannot speak for the page.
    const bool followed = type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted;
    return followed && isMainFrame && isOwnServer(target) && isOwnServer(from);
}

bool MemberWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // Commands are read from the address as the browser reports it.
    if (!PageCommands::queueOf(url.toString()) || !isOwnServer(url))
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    // The page still shown is the one that asked: a page's own navigation does not change the
    // address shown before it commits.
    if (mayRunCommands(url, type, isMainFrame, this->url())) emit commandsRequested(url.toString());
    return false;
}

void MemberWebPage::openedFromPage(const QUrl& url, NavigationType type)
{
    if (!PageCommands::queueOf(url.toString()) || !isOwnServer(url)) {
        setUrl(url);
        return;
    }
    if (mayRunCommands(url, type, true, this->url())) emit commandsRequested(url.toString());
}

QWebEnginePage* MemberWebPage::createWindow(WebWindowType)
{
    return new WindowCatcher(this);
}

}  // namespace ludomat
