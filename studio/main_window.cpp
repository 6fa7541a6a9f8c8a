#include "studio/main_window.h"

#include "engine/script_files.h"
#include "graphics/cp1252.h"
#include "studio/close_button.h"
#include "studio/program_folder.h"
#include "studio/screen_view.h"
#include "studio/script_editor.h"
#include "studio/skin.h"
#include "studio/watch_panel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <thread>

namespace ludomat {

namespace {

const QRect kScreenRect(26, 66, ScreenView::kWidth, ScreenView::kHeight);
const QRect kNotebookRect(794, 66, 607, 420);
constexpr int kButtonTop = 490;
constexpr int kButtonHeight = 30;
// The close button ends a run by moving the line counter this far past the end.
constexpr int kCloseBeyond = 100;
// Closing lets the ending run's messages through this many times, this long apart.
constexpr int kCloseRounds = 3;
constexpr std::chrono::milliseconds kCloseWait{50};

std::filesystem::path toPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

QLabel* plainLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text = {})
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

const QString MainWindow::kFirstLine = "//=== Meu primeiro programa " + QString(21, '=');

MainWindow::MainWindow(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("MainWindow");
    setWindowTitle("Ludomat");
    setFixedSize(kWidth, kHeight);
    setStyleSheet(skin::styleSheet());

    m_programFolder = withTrailingSlash(programFolder.isEmpty() ? defaultProgramFolder() : programFolder);
    m_gameFolder = m_programFolder;
    m_engine.setProgramFolder(m_programFolder.toStdString());
    m_engine.setGameFolder(m_gameFolder.toStdString());

    m_screen = new ScreenView(this);
    m_screen->setGeometry(kScreenRect);
    // Presses on the screen and the notebook are theirs; only the skin drags the window.
    m_screen->setAttribute(Qt::WA_NoMousePropagation);
    buildHeader();
    buildNotebook();
    buildButtons();

    StudioViews views;
    views.editor = m_editor;
    views.lineLabel = m_lineLabel;
    views.stopCaption = m_stopCaption;
    views.runLed = m_runLed;
    views.watches = m_watches;
    views.screen = m_screen;
    views.notebook = m_notebook;
    m_host = std::make_unique<StudioHost>(m_engine, views);
    m_engine.setHost(m_host.get());

    loadStartScript();
    m_host->refreshView();
    // Keys reach the window before its controls, so F1 steps wherever the focus is.
    qApp->installEventFilter(this);
    centreOnScreen();
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    m_engine.setHost(nullptr);
}

void MainWindow::buildHeader()
{
    m_closeButton = new CloseButton(this);
    m_closeButton->move(1368, 0);
    connect(m_closeButton, &QAbstractButton::clicked, this, &MainWindow::closeStudio);

    m_scriptLabel = plainLabel(this, "Stn", QRect(797, 40, 380, 20), m_scriptName);
    plainLabel(this, "lbLinha", QRect(1192, 45, 44, 18), "Linha:");
    m_lineLabel = plainLabel(this, "lbLin", QRect(1238, 45, 80, 18), "0");
    plainLabel(this, "lbVersao", QRect(1336, 25, 30, 16), "1.0");
    m_status = plainLabel(this, "Stx", QRect(30, 492, 740, 26));

    m_runLed = new QLabel(this);
    m_runLed->setObjectName("Led2");
    m_runLed->setGeometry(772, 47, 12, 12);
    m_runLed->setToolTip("Executando");
    m_runLed->hide();
}

void MainWindow::buildNotebook()
{
    m_notebook = new QStackedWidget(this);
    m_notebook->setObjectName("Abook");
    m_notebook->setGeometry(kNotebookRect);
    m_notebook->setAttribute(Qt::WA_NoMousePropagation);

    auto* sourcePage = new QWidget;
    sourcePage->setObjectName("Fonte");
    auto* sourceLayout = new QVBoxLayout(sourcePage);
    sourceLayout->setContentsMargins(0, 0, 0, 0);
    m_editor = new ScriptEditor(sourcePage);
    sourceLayout->addWidget(m_editor);
    m_notebook->addWidget(sourcePage);
    connect(m_editor, &ScriptEditor::caretLineReported, this, &MainWindow::reportCaret);

    auto* registerPage = new QWidget;
    registerPage->setObjectName("Regs");
    registerPage->setAttribute(Qt::WA_StyledBackground);
    m_watches = new WatchPanel(m_engine.state(), registerPage);
    m_watches->setAttribute(Qt::WA_StyledBackground);
    m_watches->setGeometry(0, 0, kNotebookRect.width(), kNotebookRect.height());
    m_notebook->addWidget(registerPage);

    m_notebook->setCurrentWidget(sourcePage);
}

QPushButton* MainWindow::addButton(const QString& caption, const char* name, int x, int width)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(x, kButtonTop, width, kButtonHeight);
    button->setFocusPolicy(Qt::NoFocus);
    // Every picture button clears the notice line when pressed.
    connect(button, &QPushButton::pressed, m_status, &QLabel::clear);
    return button;
}

void MainWindow::buildButtons()
{
    connect(addButton("Executar", "btExe", 800, 120), &QPushButton::clicked, this, &MainWindow::execute);

    QPushButton* stop = addButton(QString(), "btStp", 930, 80);
    m_stopCaption = plainLabel(stop, "Lb9", stop->rect(), "Stop");
    m_stopCaption->setAlignment(Qt::AlignCenter);
    m_stopCaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(stop, &QPushButton::clicked, this, &MainWindow::stopOrContinue);

    connect(addButton("Registradores", "btReg", 1020, 150), &QPushButton::clicked, this,
            [this] { showPage("Regs"); });
    connect(addButton("Listagem", "btLst", 1180, 110), &QPushButton::clicked, this,
            [this] { showPage("Fonte"); });
}

void MainWindow::loadStartScript()
{
    std::vector<std::string> lines{toCp1252(kFirstLine)};
    if (QFileInfo::exists(scriptPath())) {
        if (auto stored = readScriptFile(toPath(scriptPath()))) lines = std::move(*stored);
    }
    m_editor->setLines(lines);
    m_engine.script().setLines(std::move(lines));
}

void MainWindow::centreOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

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
    std::string reason;
    if (writeScriptFile(toPath(scriptPath()), m_editor->lines(), &reason)) return true;
    tellUser(QString("Não foi possível gravar %1: %2").arg(scriptPath(), QString::fromLocal8Bit(reason.c_str())));
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
    // The script is always saved before it runs; one that cannot be saved does not run.
    if (!saveScript()) return;
    m_engine.script().setLines(m_editor->lines());
    m_editor->markSynced();
    m_engine.execute(m_scriptName.toStdString());
}

void MainWindow::stopOrContinue()
{
    if (m_engine.state().stopCaption == StopCaption::Cont) syncScript();
    m_engine.stopOrContinue();
    m_host->refreshView();
}

void MainWindow::stepLine()
{
    syncScript();
    m_engine.stepLine();
    m_host->refreshView();
}

bool MainWindow::showPage(const QString& name) { return m_host->selectPage(name); }

void MainWindow::reportCaret(int line)
{
    m_engine.setCaretLine(line);
    m_host->refreshView();
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

void MainWindow::closeStudio() { close(); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    endRunningScript();
    saveScript();
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event)
{
    // A window shown again runs scripts again.
    m_host->setClosing(false);
    QWidget::showEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_F1: stepLine(); return true;
    case Qt::Key_F3: showPage("Regs"); return true;
    case Qt::Key_F4: showPage("Fonte"); return true;
    default: return false;
    }
}

void MainWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    skin::paintBackground(painter, rect(), kScreenRect, kNotebookRect);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    // The window manager moves the window best; without one, follow the mouse ourselves.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) move(event->globalPosition().toPoint() - m_dragOffset);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) { m_dragging = false; }

}  // namespace ludomat
