#include "studio/window/main_window.h"

#include "engine/screen_mode.h"
#include "graphics/cp1252.h"
#include "screen/input_box_widget.h"
#include "screen/screen_view.h"
#include "screen/virtual_keys.h"
#include "studio/capture/screen_capture.h"
#include "studio/debugging/debugger.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/sprite/sprite_page.h"
#include "studio/editors/tilemap/tile_map_page.h"
#include "studio/pages/load_page.h"
#include "studio/pages/register_pages.h"
#include "studio/views/colour_converters.h"
#include "studio/window/picture_button.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QStackedWidget>

#include <thread>

namespace ludomat {

namespace {

// The close button ends a run by moving the line counter this far past the end.
constexpr int kCloseBeyond = 100;

// Before a run starts on lines not yet saved (a step, Cont): a run that ends the program must
// not take them with it.
void keepRecoveryCurrent(const ScriptEditor& editor, StudioFiles& files)
{
    if (editor.isUnsaved()) files.writeRecoveryCopyNow();
}
// Closing lets the ending run's messages through this many times, this long apart.
constexpr int kCloseRounds = 3;
constexpr std::chrono::milliseconds kCloseWait{50};

bool isScriptFile(const QString& path) { return path.endsWith(".scp", Qt::CaseInsensitive); }

QString droppedScript(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && isScriptFile(url.toLocalFile())) return url.toLocalFile();
    return {};
}

QColor toQColor(Rgb colour) { return QColor(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF)); }

}  // namespace

void MainWindow::setErrorBoxesEnabled(bool enabled)
{
    m_errorBoxes = enabled;
    m_host->setErrorBoxesEnabled(enabled);
}

void MainWindow::tellUser(const QString& message)
{
    m_status->setText(message);
    if (m_errorBoxes) QMessageBox::warning(this, "Ludomat", message);
}

bool MainWindow::saveScript()
{
    QString error;
    if (m_files->saveEditor(&error)) return true;
    tellUser(error);
    return false;
}

void MainWindow::syncScript()
{
    if (!m_editor->isEdited()) return;
    m_engine.script().setLines(m_editor->lines());
    m_editor->markSynced();
}

void MainWindow::execute()
{
    // The run reads the map, the strip and the figures from disk: the editors' changes go first.
    if (!settleEditorDocuments()) return;
    // The script is always saved before it runs; one that cannot be saved does not run.
    QString error;
    if (!m_files->prepareRun(&error) || !m_files->saveEditor(&error)) {
        tellUser(error);
        return;
    }
    showScriptName(scriptName());
    m_engine.script().setLines(m_editor->lines());
    m_editor->markSynced();
    m_engine.execute(scriptName().toStdString());
    afterRun();
}

void MainWindow::stopOrContinue()
{
    bool resuming = m_engine.state().stopCaption == StopCaption::Cont;
    if (resuming) {
        keepRecoveryCurrent(*m_editor, *m_files);
        syncScript();
    }
    m_engine.stopOrContinue();
    if (resuming) afterRun();
    m_host->refreshView();
}

void MainWindow::afterRun()
{
    // A run that returns into an outer run leaves the editor to the outer one.
    if (m_engine.runDepth() > 0) return;
    const EngineState& state = m_engine.state();
    bool stoppedInside = state.stopCaption == StopCaption::Cont || m_engine.lastError().has_value();
    m_files->runReturned(stoppedInside);
    showScriptName(scriptName());
    if (m_files->showsOtherScript())
        m_status->setText(QString("Fonte mostra %1, carregado pelo script; Executar volta a %2.")
                              .arg(m_files->shownName(), scriptName()));
    m_host->refreshView();
}

void MainWindow::stepLine()
{
    keepRecoveryCurrent(*m_editor, *m_files);
    syncScript();
    m_engine.stepLine();
    m_host->refreshView();
}

bool MainWindow::showPage(const QString& name) { return m_host ? m_host->selectPage(name) : false; }

QString MainWindow::currentPage() const { return m_notebook->currentWidget()->objectName(); }

void MainWindow::showRegisters()
{
    showPage("Regs");
    m_registerPage->refreshList();
}

void MainWindow::showListing() { showPage("Fonte"); }

void MainWindow::showFiles()
{
    showPage("Load");
    m_loadPage->enter();
}

void MainWindow::showAliases()
{
    showPage("NomReg");
    m_aliasPage->refreshList();
}

void MainWindow::reportCaret(int line)
{
    m_engine.setCaretLine(line);
    // A marked run line follows the caret: that is where a step or Cont goes on.
    if (m_editor->runLine() >= 0) m_editor->setRunLine(line);
    m_host->refreshView();
}

bool MainWindow::openScriptFile(const QString& path)
{
    QString error;
    if (!m_files->openFile(path, &error)) {
        tellUser(error);
        return false;
    }
    showListing();
    return true;
}

bool MainWindow::offerRecovery(const std::function<bool(const RecoveredScript&)>& ask)
{
    auto copy = m_files->pendingRecovery();
    if (!copy) return false;
    bool restore = true;
    if (ask) {
        restore = ask(*copy);
    } else {
        auto answer = QMessageBox::question(this, "Ludomat",
                                            QString("Recuperar o script não salvo?\n\n%1").arg(copy->scriptPath),
                                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        // A box closed by the session ending (a signal) is no answer: the copy waits for the next start.
        if (answer != QMessageBox::Yes && answer != QMessageBox::No) return false;
        restore = answer == QMessageBox::Yes;
    }
    if (m_shutDown) return false;
    if (!restore) {
        m_files->discardRecovery();
        return false;
    }
    m_files->restore(*copy);
    m_status->setText("Script recuperado: " + QFileInfo(copy->scriptPath).fileName());
    showListing();
    return true;
}

WindowHooks MainWindow::windowHooks()
{
    WindowHooks hooks;
    hooks.displaySize = [this] { return displaySize(); };
    hooks.enterFullScreen = [this](const FullScreenLayout& layout) { showFullScreenPage(layout); };
    hooks.leaveFullScreen = [this] { showNormalPage(); };
    return hooks;
}

DisplaySize MainWindow::displaySize() const
{
    QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!display) return {};
    // The window has no border, so maximised it covers the whole display.
    return {display->geometry().width(), display->geometry().height()};
}

void MainWindow::showFullScreenPage(const FullScreenLayout& layout)
{
    m_fullScreen = true;
    m_outer->setCurrentWidget(m_fullScreenPage);
    setPalette(QPalette(Qt::black));
    setAutoFillBackground(true);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QScreen* display = screen()) setGeometry(display->geometry());
    showFullScreen();
    m_screenPanel->setPalette(QPalette(toQColor(layout.panelColour)));
    m_screenPanel->setGeometry(layout.left, layout.top, layout.width, layout.height);
    m_screen->setGeometry(0, 0, layout.width, layout.height);
    m_screenPanel->raise();
    m_screen->update();
}

void MainWindow::showNormalPage()
{
    if (!m_fullScreen) return;
    m_fullScreen = false;
    m_outer->setCurrentWidget(m_skinPage);
    setAutoFillBackground(false);
    showNormal();
    setFixedSize(kWidth, kHeight);
    centreOnScreen();
    m_screenPanel->setPalette(QPalette(Qt::black));
    m_screenPanel->setGeometry(kScreenRect);
    m_screen->setGeometry(0, 0, ScreenView::kWidth, ScreenView::kHeight);
    m_screen->update();
}

void MainWindow::leaveFullScreen()
{
    if (!m_fullScreen) return;
    leaveFullScreenMode(m_engine);
    // The engine asks for the normal page itself; this is for an engine that had nothing to leave.
    showNormalPage();
    // A run ended here copies the buffer to the screen once more on its way out; the buffer holds
    // the shrunk screen by then, not a base-size corner of the large picture.
    m_engine.screen().copyScreenToBuffer();
}

void MainWindow::endRunningScript()
{
    if (!m_engine.state().isRunning) return;
    m_host->setClosing(true);
    m_engine.endRun(kCloseBeyond);
    for (int i = 0; i < kCloseRounds; ++i) {
        std::this_thread::sleep_for(kCloseWait);
        QCoreApplication::processEvents();
    }
}

bool MainWindow::shutdown(bool mayAsk)
{
    if (m_shutDown) return true;
    QString error;
    if (m_files->finish(&error)) {
        m_shutDown = true;
        return true;
    }
    // The lines are safe in the recovery copy before anyone is asked anything.
    QString copy = m_files->writeRecoveryCopyNow();
    QString where = copy.isEmpty() ? QString("Nem a cópia de recuperação pôde ser gravada.")
                                   : QString("Uma cópia de recuperação foi gravada em %1.").arg(copy);
    QString question = QString("Não foi possível salvar o script ou as configurações:\n%1\n\n%2\n\nFechar mesmo assim?")
                           .arg(error, where);
    m_status->setText(error);
    if (mayAsk && !askCloseAnyway(question)) return false;
    m_shutDown = true;
    return true;
}

bool MainWindow::askCloseAnyway(const QString& question)
{
    if (m_closeQuestion) return m_closeQuestion(question);
    if (!m_errorBoxes) return true;
    return QMessageBox::question(this, "Ludomat", question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void MainWindow::closeStudio() { close(); }

void MainWindow::closeUnattended()
{
    m_unattended = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    endRunningScript();
    if (!m_shutDown && !settleEditorDocuments()) {
        event->ignore();
        return;
    }
    if (!shutdown(!m_unattended)) {
        // The user keeps the window to save elsewhere; a run ended by closing stays ended.
        m_host->setClosing(false);
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event)
{
    // A window shown again runs scripts again and saves again when it closes.
    m_host->setClosing(false);
    m_shutDown = false;
    QWidget::showEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    m_outer->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // A click anywhere on the full-screen window brings the studio back.
    if (m_fullScreen) leaveFullScreen();
    QWidget::mousePressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedScript(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    QString path = droppedScript(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    openScriptFile(path);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        // Every picture button, on the skin or on a page, clears the notice line when pressed.
        auto* button = qobject_cast<PictureButton*>(watched);
        if (button && button->window() == this && button->isEnabled() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_status->clear();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Scripts read the held key; a release ends it, except the releases of auto-repeat.
    if (event->type() == QEvent::KeyRelease) {
        if (!key->isAutoRepeat()) m_engine.keyUp();
        return false;
    }
    m_engine.keyDown(virtualKeyCode(key->key()));
    return handleKey(key);
}

bool MainWindow::handleKey(QKeyEvent* event)
{
    if (m_capture->handleKey(event)) return true;
    if (event->key() == Qt::Key_F1 && event->modifiers().testFlag(Qt::ControlModifier)) {
        m_debugger->runToCaret();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        if (!m_fullScreen) return false;
        leaveFullScreen();
        return true;
    case Qt::Key_F1: stepLine(); return true;
    case Qt::Key_F2: showAliases(); return true;
    case Qt::Key_F3: showRegisters(); return true;
    case Qt::Key_F4: showListing(); return true;
    case Qt::Key_F6: showBuffers(); return true;
    case Qt::Key_F7: showPage("Ajuda"); return true;
    case Qt::Key_F8: showMatrix(); return true;
    case Qt::Key_F9: openDrawing(FigureKind::Pixel); return true;
    case Qt::Key_F10: openDrawing(FigureKind::Plot); return true;
    case Qt::Key_F11: m_tileMapPage->enter(); return true;
    case Qt::Key_F12: m_spritePage->enter(); return true;
    case Qt::Key_F5: emit memberAreaRequested(); return true;
    default: return !hotspotsActive() && m_drawingPage->handleKey(event);
    }
}

void MainWindow::connectScreen()
{
    connect(m_screen, &ScreenView::mouseMovedTo, this, &MainWindow::screenMouseMoved);
    connect(m_screen, &ScreenView::mousePressedAt, this, &MainWindow::screenMousePressed);
    connect(m_screen, &ScreenView::mouseReleasedAt, this, [this](Qt::MouseButton button, QPoint point) {
        if (!hotspotsActive()) m_drawingPage->mouseReleased(button, point);
        screenMouseReleased(point);
    });
    connect(m_screen->inputBox(), &InputBoxWidget::confirmed, this, &MainWindow::inputConfirmed);
}

bool MainWindow::hotspotsActive() const
{
    // On the drawing page the screen is a drawing surface, not a game.
    return currentPage().compare("Dodiroz", Qt::CaseInsensitive) != 0;
}

void MainWindow::deliverToRun(const std::function<void()>& event)
{
    bool idle = !m_engine.state().isRunning;
    int runsBefore = m_host->runsStarted();
    // A run started here looks for its label in what the editor shows now.
    if (idle) syncScript();
    event();
    if (idle && m_host->runsStarted() != runsBefore) afterRun();
}

void MainWindow::screenMouseMoved(QPoint point)
{
    m_pointerX->setText(QString("X: %1").arg(point.x()));
    m_pointerY->setText(QString("Y: %1").arg(point.y()));
    m_converters->showMousePosition(point);
    m_engine.mouseMoved(point.x(), point.y(), hotspotsActive());
    if (!hotspotsActive()) m_drawingPage->mouseMoved(point);
}

void MainWindow::screenMousePressed(Qt::MouseButton button, QPoint point)
{
    MouseButton pressed = MouseButton::Left;
    if (button == Qt::MiddleButton) pressed = MouseButton::Middle;
    else if (button == Qt::RightButton) pressed = MouseButton::Right;
    else if (button != Qt::LeftButton) return;
    m_engine.mousePressed(pressed, point.x(), point.y(), hotspotsActive());
    if (!hotspotsActive()) m_drawingPage->mousePressed(button, point);
}

void MainWindow::screenMouseReleased(QPoint point)
{
    deliverToRun([&] { m_engine.mouseReleased(point.x(), point.y(), hotspotsActive()); });
}

void MainWindow::inputConfirmed(const QString& text)
{
    deliverToRun([&] { m_engine.confirmInput(toCp1252(text)); });
}

}  // namespace ludomat
