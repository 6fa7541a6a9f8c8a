#include "online/web_menu_window.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace ludomat {

namespace {

// Pages never open windows of their own: a link meant for a new window opens in this one.
class MenuPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage* createWindow(WebWindowType) override
    {
        auto* fresh = new QWebEnginePage(profile(), this);
        connect(fresh, &QWebEnginePage::urlChanged, this, [this, fresh](const QUrl& url) {
            setUrl(url);
            fresh->deleteLater();
        });
        return fresh;
    }
};

}  // namespace

WebMenuWindow::WebMenuWindow(const QString& serverRoot, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_serverRoot(serverRoot)
{
    setObjectName("WebMenu");
    setWindowTitle("Ludomat - Manual, tutoriais e dicas");
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette slate = palette();
    slate.setColor(QPalette::Window, QColor(81, 94, 104));
    setPalette(slate);

    auto* close = new QToolButton(this);
    close->setObjectName("btFim");
    close->setText("✕");
    close->setGeometry(716, 0, 46, 28);
    close->setStyleSheet("QToolButton { background: transparent; color: #e8eef2; border: none; font: bold 16px 'Arial'; }"
                         "QToolButton:hover { background: #c0392b; } QToolButton:pressed { background: #7f1d14; }");
    connect(close, &QToolButton::clicked, this, &QWidget::hide);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(20, 43, 730, 464);
    panel->setFrameShape(QFrame::NoFrame);
    m_web = new QWebEngineView(panel);
    m_web->setObjectName("Web");
    m_web->setGeometry(-2, -2, 752, 468);
    m_web->setPage(new MenuPage(m_web));
    m_web->setUrl(QUrl(productBase() + "menu.htm"));
}

void WebMenuWindow::showMenu()
{
    if (isVisible()) return;
    m_web->setUrl(QUrl(productBase() + "menu.htm"));
    show();
    QApplication::processEvents();
}

void WebMenuWindow::showHelp(const QString& page, QPoint memberTopLeft)
{
    if (!isVisible()) {
        move(memberTopLeft + QPoint(300, 200));
        QApplication::processEvents();
    }
    m_web->setUrl(QUrl(productBase() + page));
    show();
    raise();
}

// Dragging the background moves the window by exactly the mouse's movement.
void WebMenuWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    m_dragging = true;
    m_pressPoint = event->position().toPoint();
}

void WebMenuWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) move(pos() + event->position().toPoint() - m_pressPoint);
}

void WebMenuWindow::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

}  // namespace ludomat
