#include "tools/ludomat-play/play_window.h"

#include "graphics/cp1252.h"
#include "screen/input_box_widget.h"
#include "screen/screen_view.h"
#include "screen/virtual_keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>

#include <cstdio>

namespace ludomat {

void PlayHost::processEvents()
{
    m_window.screen().update();
    HeadlessHost::processEvents();
}

bool PlayHost::abortRequested()
{
    return m_window.isLeaving() || HeadlessHost::abortRequested();
}

void PlayHost::showError(const RunError& error)
{
    HeadlessHost::showError(error);
    QString text = QString("Linha %1: %2").arg(error.line).arg(fromCp1252(error.message));
    std::fprintf(stderr, "error: line %d: %s\n", error.line, error.message.c_str());
    if (m_errorBoxes) QMessageBox::critical(&m_window, "Ludomat", text);
}

void PlayHost::screenChanged()
{
    m_window.screen().pictureChanged();
}

DisplaySize PlayHost::displaySize()
{
    QScreen* display = m_window.screen().screen();
    if (!display) return HeadlessHost::displaySize();
    QSize size = display->geometry().size();
    return {size.width(), size.height()};
}

void PlayHost::enterFullScreen(const FullScreenLayout& layout)
{
    HeadlessHost::enterFullScreen(layout);
    m_window.showFullScreenLayout(layout);
}

void PlayHost::leaveFullScreen()
{
    HeadlessHost::leaveFullScreen();
    m_window.showNormalLayout();
}

void PlayHost::inputBoxChanged(const InputBox& box)
{
    m_window.screen().showInputBox(box);
}

std::optional<ScreenPoint> PlayHost::mousePosition()
{
    // Scripted clicks (tests) say where the pointer is; otherwise the real pointer does.
    if (auto scripted = HeadlessHost::mousePosition()) return scripted;
    QPoint at = m_window.screen().mapFromGlobal(QCursor::pos());
    return ScreenPoint{at.x(), at.y()};
}

PlayWindow::PlayWindow() : m_host(*this), m_engine(&m_host)
{
    setObjectName("Jogo");
    setWindowTitle("Ludomat");
    setPalette(QPalette(Qt::black));
    setAutoFillBackground(true);
    m_panel = new QWidget(this);
    m_panel->setAutoFillBackground(true);
    m_panel->setPalette(QPalette(Qt::black));
    m_screen = new ScreenView(m_panel);
    m_screen->setPicture(&m_engine.screen().tela);
    showNormalLayout();
    m_host.attach(&m_engine);

    connect(m_screen, &ScreenView::mouseMovedTo, this,
            [this](QPoint p) { deliver([&] { m_engine.mouseMoved(p.x(), p.y()); }); });
    connect(m_screen, &ScreenView::mousePressedAt, this, [this](Qt::MouseButton button, QPoint p) {
        MouseButton pressed = button == Qt::RightButton    ? MouseButton::Right
                              : button == Qt::MiddleButton ? MouseButton::Middle
                                                           : MouseButton::Left;
        deliver([&] { m_engine.mousePressed(pressed, p.x(), p.y()); });
    });
    connect(m_screen, &ScreenView::mouseReleasedAt, this,
            [this](Qt::MouseButton, QPoint p) { deliver([&] { m_engine.mouseReleased(p.x(), p.y()); }); });
    connect(m_screen->inputBox(), &InputBoxWidget::confirmed, this,
            [this](const QString& text) { deliver([&] { m_engine.confirmInput(toCp1252(text)); }); });
    qApp->installEventFilter(this);
}

PlayWindow::~PlayWindow()
{
    qApp->removeEventFilter(this);
    m_engine.setHost(nullptr);
}

void PlayWindow::deliver(const std::function<void()>& event)
{
    // A click or an answer may start a run (a hotspot's script); the window then waits in it.
    if (!m_leaving) event();
}

void PlayWindow::leave()
{
    m_leaving = true;
    close();
    QCoreApplication::quit();
}

void PlayWindow::showNormalLayout()
{
    showNormal();
    setFixedSize(ScreenView::kWidth, ScreenView::kHeight);
    m_panel->setGeometry(0, 0, ScreenView::kWidth, ScreenView::kHeight);
    m_screen->setGeometry(0, 0, ScreenView::kWidth, ScreenView::kHeight);
    m_screen->update();
}

void PlayWindow::showFullScreenLayout(const FullScreenLayout& layout)
{
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QScreen* display = QWidget::screen()) setGeometry(display->geometry());
    showFullScreen();
    m_panel->setPalette(QPalette(QColor(QRgb(layout.panelColour))));
    m_panel->setGeometry(layout.left, layout.top, layout.width, layout.height);
    m_screen->setGeometry(0, 0, layout.width, layout.height);
    m_screen->update();
}

bool PlayWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        if (!key->isAutoRepeat()) m_engine.keyUp();
        return false;
    }
    if (key->key() == Qt::Key_Escape) {
        leave();
        return true;
    }
    m_engine.keyDown(virtualKeyCode(key->key()));
    return false;
}

void PlayWindow::closeEvent(QCloseEvent* event)
{
    // Closing ends a running game first; the run sees it at its next message round.
    m_leaving = true;
    event->accept();
    QCoreApplication::quit();
}

}  // namespace ludomat
