#include "studio/studio_host.h"

#include "graphics/cp1252.h"
#include "studio/screen_view.h"
#include "studio/script_editor.h"
#include "studio/watch_panel.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStackedWidget>

namespace ludomat {

StudioHost::StudioHost(Engine& engine, const StudioViews& views) : m_engine(engine), m_views(views) {}

void StudioHost::refreshView()
{
    m_views.lineLabel->setText(QString::number(m_engine.shownLine()));
    bool cont = m_engine.state().stopCaption == StopCaption::Cont;
    m_views.stopCaption->setText(cont ? "Cont" : "Stop");
    m_views.watches->refresh();
}

void StudioHost::processEvents()
{
    refreshView();
    QCoreApplication::processEvents();
}

void StudioHost::runStarted()
{
    m_views.runLed->show();
    m_views.editor->setEnabled(false);
    refreshView();
}

void StudioHost::runEnded()
{
    m_views.runLed->hide();
    m_views.editor->setEnabled(true);
    m_views.screen->update();
    refreshView();
}

void StudioHost::pausedAt(int line)
{
    selectPage("Fonte");
    m_views.editor->setEnabled(true);
    m_views.editor->setFocus();
    m_views.editor->selectLine(line);
    refreshView();
}

void StudioHost::stepped(int nextLine)
{
    m_views.editor->selectLine(nextLine);
    m_views.screen->update();
    refreshView();
}

void StudioHost::scriptLoaded(const std::string&)
{
    // The engine's lines are now the script; showing them is not an edit of the user's.
    m_views.editor->setLines(m_engine.script().lines());
}

QString StudioHost::errorText(const RunError& error)
{
    return QString("%1\n\nLinha %2: %3")
        .arg(fromCp1252(error.message))
        .arg(error.line)
        .arg(fromCp1252(error.lineText));
}

void StudioHost::showError(const RunError& error)
{
    m_views.editor->setEnabled(true);
    m_views.editor->selectLine(error.line);
    refreshView();
    m_lastErrorText = errorText(error);
    if (m_errorBoxes) QMessageBox::critical(m_views.editor->window(), "Ludomat", m_lastErrorText);
}

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

}  // namespace ludomat
