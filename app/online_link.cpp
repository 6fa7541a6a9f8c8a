#include "app/online_link.h"

#include "online/catalogue_panel.h"
#include "online/http_client.h"
#include "online/version_check.h"
#include "studio/pages/folder_tree.h"
#include "studio/pages/load_page.h"
#include "studio/window/main_window.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

namespace ludomat {

namespace {

// The activity indicator `Led1`: a small green lamp on the window, hidden when idle.
QLabel* makeLed(QWidget* parent)
{
    auto* led = new QLabel(parent);
    led->setObjectName("Led1");
    led->setGeometry(758, 49, 8, 8);
    led->setStyleSheet("background: #4cd964; border-radius: 4px;");
    led->setToolTip("Conectando ao servidor");
    led->hide();
    return led;
}

QProgressBar* makeGauge(QWidget* page)
{
    auto* gauge = new QProgressBar(page);
    gauge->setObjectName("G1");
    gauge->setGeometry(334, 190, 120, 5);
    gauge->setTextVisible(false);
    gauge->hide();
    return gauge;
}

}  // namespace

OnlineLink::OnlineLink(MainWindow& window, const QString& serverRoot)
    : OnlineLink(window, onlineViewsOf(window), serverRoot)
{
}

OnlineLink::OnlineLink(MainWindow& window, const OnlineViews& views, const QString& serverRoot)
    : QObject(&window), m_window(window), m_views(views), m_http(std::make_unique<Http>(serverRoot))
{
    QLabel* led = makeLed(views.skin ? views.skin : &window);
    m_http->setActivityIndicator([led](bool shown) {
        led->setVisible(shown);
        led->repaint();
    });

    VersionViews versionViews;
    versionViews.message = views.message;
    versionViews.updateButton = views.updateButton;
    versionViews.gauge = makeGauge(views.loadPage ? views.loadPage : &window);
    versionViews.led = led;
    m_version = new VersionCheck(*m_http, *this, versionViews, this);

    m_catalogue = new CataloguePanel(*m_http, *this, views.screenPanel);
    // The version label shows the version this program was built as, the one the check compares.
    if (views.version && !QCoreApplication::applicationVersion().isEmpty())
        views.version->setText(QCoreApplication::applicationVersion());
    connectButtons();
    window.installEventFilter(this);
    // Start-up counts as an activation even where no window manager ever activates the window.
    QTimer::singleShot(kStartupNoticeMs, this, [this] {
        if (!m_noticeRan) m_version->notice();
    });
}

OnlineLink::~OnlineLink()
{
    m_window.removeEventFilter(this);
}

void OnlineLink::connectButtons()
{
    auto hook = [this](QAbstractButton* button, const QString& tip, auto action) {
        if (!button) return;
        button->setToolTip(tip);
        connect(button, &QAbstractButton::clicked, this, action);
    };
    hook(m_views.checkButton, "Compara esta versão com a do servidor", [this] { m_version->check(); });
    hook(m_views.updateButton, "Baixa a versão nova e reinicia o Ludomat", [this] { m_version->update(); });
    hook(m_views.catalogueButton, "Jogos prontos para baixar e estudar", [this] { m_catalogue->toggle(); });
}

bool OnlineLink::eventFilter(QObject* watched, QEvent* event)
{
    // Every activation runs the quiet notice once the activation itself is over.
    if (watched == &m_window && event->type() == QEvent::WindowActivate && !m_noticePending) {
        m_noticePending = true;
        QTimer::singleShot(0, this, [this] {
            m_noticePending = false;
            m_noticeRan = true;
            m_version->notice();
        });
    }
    return QObject::eventFilter(watched, event);
}

QString OnlineLink::programFolder() const
{
    return m_window.programFolder();
}

QString OnlineLink::versionText() const
{
    return m_views.version ? m_views.version->text() : QString();
}

void OnlineLink::setNotice(const QString& text)
{
    if (m_views.notice) m_views.notice->setText(text);
}

bool OnlineLink::saveEditor()
{
    QString error;
    if (m_window.files().saveEditor(&error)) return true;
    QMessageBox::warning(&m_window, "Ludomat", error);
    return false;
}

void OnlineLink::setGameFolder(const QString& folder)
{
    m_window.files().setGameFolder(folder);
    m_window.loadPage().folders().reread(m_window.programFolder(), m_window.gameFolder());
}

bool OnlineLink::openScript(const QString& fileName)
{
    QString error;
    if (!m_window.files().load(fileName, &error)) return false;
    m_window.showListing();
    return true;
}

void OnlineLink::refreshScriptList()
{
    m_window.loadPage().rereadFiles();
}

void OnlineLink::quit()
{
    m_window.closeStudio();
}

}  // namespace ludomat
