// The member window's "Shop" page: the server's member menu in a browser, the seven option
// entries beside it, and what the page commands do in the window and the studio.

#include "graphics/cp1252.h"
#include "online/http_client.h"
#include "online/member_link.h"
#include "online/member_web_page.h"
#include "online/member_window.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTimer>
#include <QWebEngineView>

namespace ludomat {

void MemberWindow::buildShopPages()
{
    QWidget* shop = page(MainPage::Shop);
    m_web = new QWebEngineView(shop);
    m_web->setObjectName("Web");
    m_web->setGeometry(0, 0, 734, 468);
    m_webPage = new MemberWebPage(m_http.serverRoot(), m_web);
    m_web->setPage(m_webPage);
    // A command address is run after the browser has let go of it.
    connect(
        m_webPage, &MemberWebPage::commandsRequested, this,
        [this](const QString& address) {
            if (auto queue = PageCommands::queueOf(address)) m_commands->run(*queue);
        },
        Qt::QueuedConnection);

    QWidget* side = sidePage(SidePage::Shop);
    auto* panel = new QWidget(side);
    panel->setObjectName("PanOpc");
    panel->setGeometry(0, 0, 181, 464);
    panel->setAutoFillBackground(true);
    panel->setStyleSheet("#PanOpc { background: rgb(81, 94, 104); }");
    for (int k = 0; k < kOptionEntries; ++k) {
        auto* caption = new QLabel(panel);
        caption->setObjectName(QString("Opc%1").arg(k));
        caption->setGeometry(0, 66 * k, 180, 22);
        caption->setTextFormat(Qt::PlainText);
        caption->setCursor(Qt::PointingHandCursor);
        caption->setStyleSheet("color: rgb(167, 204, 235); font: bold underline 19px 'Arial';");
        caption->installEventFilter(this);
        auto* description = new QLabel(panel);
        description->setObjectName(QString("Dsc%1").arg(k));
        description->setGeometry(0, 66 * k + 22, 180, 44);
        description->setTextFormat(Qt::PlainText);
        description->setWordWrap(true);
        description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        description->setStyleSheet("color: rgb(200, 207, 213); font: italic 16px 'Arial';");
        m_entryCaptions.push_back(caption);
        m_entryDescriptions.push_back(description);
    }
}

void MemberWindow::showShop()
{
    showPages(MainPage::Shop, SidePage::Shop);
    m_status->clear();
    for (int k = 0; k < kOptionEntries; ++k) {
        m_entryCaptions[k]->clear();
        m_entryDescriptions[k]->clear();
    }
    m_web->setUrl(QUrl(m_memberBase + "menu.htm"));
}

void MemberWindow::runEntry(int index)
{
    // An emptied entry keeps its command, so its empty caption still runs it.
    std::string command = toCp1252(m_entryCaptions.at(index)->toolTip());
    if (!command.empty()) m_commands->run(command);
}

void MemberWindow::download(const QString& folder, const QString& fileName, std::function<void(bool)> done)
{
    m_http.prepareRequest();
    m_http.downloadFileAsync(m_memberBase, folder, fileName, this, std::move(done));
}

void MemberWindow::showIndicator(bool shown)
{
    m_led1->setVisible(shown);
    m_led1->repaint();
}

void MemberWindow::fillEntries(const std::vector<OptionEntryText>& entries)
{
    for (int k = 0; k < kOptionEntries; ++k) {
        m_entryCaptions[k]->clear();
        m_entryDescriptions[k]->clear();
    }
    for (size_t g = 0; g < entries.size(); ++g) {
        m_entryCaptions[g]->setToolTip(fromCp1252(entries[g].command));
        m_entryCaptions[g]->setText(fromCp1252(entries[g].caption));
        m_entryDescriptions[g]->setText(fromCp1252(entries[g].description));
    }
}

void MemberWindow::navigate(const QString& page)
{
    m_web->setUrl(QUrl(m_memberBase + page));
}

void MemberWindow::openWorkFolder(const QString& folder)
{
    m_link.openWorkFolder(folder);
}

void MemberWindow::executeScript()
{
    QApplication::processEvents();
    if (QWidget* main = m_link.mainWindow()) {
        lower();
        main->raise();
        main->activateWindow();
    }
    m_link.executeScript();
    QApplication::processEvents();
}

void MemberWindow::showRegisters()
{
    m_link.showRegisters();
}

bool MemberWindow::loadScript(const QString& folder, const QString& fileName)
{
    return m_link.loadScript(folder, fileName);
}

void MemberWindow::refuse(const QString& message)
{
    m_status->setText(message);
    showIndicator(false);
}

}  // namespace ludomat
