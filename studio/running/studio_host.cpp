#include "studio/running/studio_host.h"

#include "graphics/cp1252.h"
#include "screen/screen_view.h"
#include "studio/editing/script_editor.h"
#include "studio/files/studio_files.h"
#include "studio/pages/register_pages.h"
#include "studio/pages/watch_panel.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>

namespace ludomat {

StudioHost::StudioHost(Engine& engine, const StudioViews& views, WindowHooks hooks)
    : m_engine(engine), m_views(views), m_hooks(std::move(hooks)), m_frameTimer(std::make_unique<QTimer>())
{
    // A coarse timer may let a one-second wait loop pass without a tick.
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    m_frameTimer->setInterval(kFrameRateIntervalMs);
    QObject::connect(m_frameTimer.get(), &QTimer::timeout, [this] {
        if (m_frameTick) m_frameTick();
    });
}

StudioHost::~StudioHost() = default;

void StudioHost::refreshView()
{
    m_sinceViewRefresh.restart();
    m_views.lineLabel->setText(QString::number(m_engine.shownLine()));
    bool cont = m_engine.state().stopCaption == StopCaption::Cont;
    m_views.stopCaption->setText(cont ? "Cont" : "Stop");
    m_views.watches->refresh();
}

void StudioHost::processEvents()
{
    if (!m_sinceViewRefresh.isValid() || m_sinceViewRefresh.elapsed() >= kViewRefreshIntervalMs) refreshView();
    QCoreApplication::processEvents();
}

void StudioHost::runStarted()
{
    ++m_runsStarted;
    m_lastErrorText.clear();
    m_views.runLed->show();
    m_views.editor->setRunLine(-1);
    m_views.editor->setEnabled(false);
    refreshView();
    if (m_runObserver) m_runObserver(RunEvent::Started);
}

void StudioHost::runEnded()
{
    m_views.runLed->hide();
    m_views.editor->setEnabled(true);
    m_views.screen->update();
    refreshView();
    if (m_views.notebook->currentWidget() == m_views.registers) m_views.registers->refreshList();
}

void StudioHost::pausedAt(int line)
{
    selectPage("Fonte");
    m_views.editor->setEnabled(true);
    m_views.editor->setFocus();
    m_views.editor->selectLine(line);
    m_views.editor->setRunLine(line);
    m_views.screen->update();
    refreshView();
    if (m_runObserver) m_runObserver(RunEvent::Paused);
}

void StudioHost::stepped(int nextLine)
{
    m_views.editor->selectLine(nextLine);
    m_views.editor->setRunLine(nextLine);
    m_views.screen->update();
    refreshView();
    m_views.registers->refreshList();
    if (m_runObserver) m_runObserver(RunEvent::Stepped);
}

void StudioHost::scriptLoaded(const std::string& name)
{
    // The engine's lines are now the script; showing them is not an edit of the user's, and the
    // files remember whose lines they are so they are never saved under the user's name.
    m_views.files->scriptLoadedByRun(name);
}

QString StudioHost::errorText(const RunError& error, const QString& scriptName)
{
    // The line index first, as the editor's "Linha:" counts it, then what went wrong and the line
    // itself, named by its file when it is not the user's script.
    QString text = QString("Linha %1: %2").arg(error.line).arg(fromCp1252(error.message));
    QString line = fromCp1252(error.lineText).trimmed();
    if (!scriptName.isEmpty()) line = QString("%1, linha %2: %3").arg(scriptName).arg(error.line).arg(line);
    if (!line.isEmpty()) text += "\n\n" + line;
    return text;
}

void StudioHost::showError(const RunError& error)
{
    selectPage("Fonte");
    m_views.editor->setEnabled(true);
    m_views.editor->selectLine(error.line);
    m_views.screen->update();
    refreshView();
    StudioFiles* files = m_views.files;
    m_lastErrorText = errorText(error, files->showsOtherScript() ? files->shownName() : QString());
    if (m_errorBoxes) QMessageBox::critical(m_views.editor->window(), "Ludomat", m_lastErrorText);
}

void StudioHost::screenChanged() { m_views.screen->pictureChanged(); }

void StudioHost::showPage(std::string_view name)
{
    selectPage(QString::fromUtf8(name.data(), qsizetype(name.size())));
}

bool StudioHost::selectPage(const QString& name)
{
    QStackedWidget* notebook = m_views.notebook;
    for (int i = 0; i < notebook->count(); ++i) {
        QWidget* page = notebook->widget(i);
        if (page->objectName().compare(name, Qt::CaseInsensitive) == 0) {
            notebook->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

DisplaySize StudioHost::displaySize()
{
    if (!m_hooks.displaySize) return {};
    return m_hooks.displaySize();
}

void StudioHost::enterFullScreen(const FullScreenLayout& layout)
{
    if (m_hooks.enterFullScreen) m_hooks.enterFullScreen(layout);
}

void StudioHost::leaveFullScreen()
{
    if (m_hooks.leaveFullScreen) m_hooks.leaveFullScreen();
}

void StudioHost::startFrameRateTimer(std::function<void()> tick)
{
    m_frameTick = std::move(tick);
    m_frameTimer->start();
}

void StudioHost::stopFrameRateTimer()
{
    m_frameTimer->stop();
    m_frameTick = nullptr;
}

bool StudioHost::isFrameRateTimerActive() const { return m_frameTimer->isActive(); }

void StudioHost::inputBoxChanged(const InputBox& box) { m_views.screen->showInputBox(box); }

std::optional<ScreenPoint> StudioHost::mousePosition()
{
    // Relative to the panel that holds the screen, as the user sees it: a stretched picture is
    // not scaled back.
    QWidget* panel = m_views.screen->parentWidget() ? m_views.screen->parentWidget() : m_views.screen;
    QPoint at = panel->mapFromGlobal(QCursor::pos());
    return ScreenPoint{at.x(), at.y()};
}

void StudioHost::cursorChanged(int code) { m_views.screen->setCursor(ScreenView::cursorShape(code)); }

}  // namespace ludomat
