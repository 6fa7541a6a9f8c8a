#include "studio/window/main_window.h"

#include "screen/screen_view.h"
#include "studio/capture/screen_capture.h"
#include "studio/debugging/debugger.h"
#include "studio/editing/editor_assist.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/sprite/sprite_page.h"
#include "studio/editors/tilemap/tile_map_page.h"
#include "studio/files/program_folder.h"
#include "studio/help/help_page.h"
#include "studio/pages/load_page.h"
#include "studio/pages/register_pages.h"
#include "studio/pages/watch_panel.h"
#include "studio/editing/warnings_panel.h"
#include "studio/files/settings_file.h"
#include "studio/sharing/export_action.h"
#include "studio/views/plot_matrix_page.h"
#include "studio/window/close_button.h"
#include "studio/window/dialogs.h"
#include "studio/window/picture_button.h"
#include "studio/window/skin.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace ludomat {

namespace {

const QRect kNotebookRect(794, 66, 607, 420);
// `Stn` grows with the name up to the line label; the slack covers the italic overhang.
constexpr int kScriptNameMaxWidth = 380;
constexpr int kScriptNameSlack = 6;
constexpr int kButtonTop = 490;
constexpr int kButtonHeight = 30;
// The pages of the tool notebook, in order; the ones not built here are empty until their editors come.
const char* const kPageNames[] = {"Default", "Lixo",   "Fonte",   "Load",   "Regs",   "Dodiroz",
                                  "TileMap", "Matriz", "Sprites", "NomReg", "Buffers"};

QLabel* plainLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text = {})
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Page 0 of the outer notebook: the skin, which also moves the borderless window when dragged.
class SkinPage : public QWidget {
public:
    explicit SkinPage(QWidget* parent) : QWidget(parent) { setObjectName("Normal"); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        skin::paintBackground(painter, rect(), MainWindow::kScreenRect, kNotebookRect);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) return;
        // The window manager moves the window best; without one it stays where it is.
        if (QWindow* handle = window()->windowHandle()) handle->startSystemMove();
    }
};

}  // namespace

const QRect MainWindow::kScreenRect(26, 66, ScreenView::kWidth, ScreenView::kHeight);

MainWindow::MainWindow(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("MainWindow");
    setWindowTitle("Ludomat");
    setWindowIcon(QIcon(skin::appIcon(64)));
    setFixedSize(kWidth, kHeight);
    setStyleSheet(skin::styleSheet());
    setAcceptDrops(true);
    installToolkitTranslations();

    QString folder = withTrailingSlash(programFolder.isEmpty() ? defaultProgramFolder() : programFolder);
    m_engine.setProgramFolder(folder.toStdString());
    m_engine.setGameFolder(folder.toStdString());
    m_engine.state().screenMode = 1;

    m_startedFresh = !QFileInfo::exists(folder + kSettingsFileName);
    m_editor = new ScriptEditor;
    m_files = new StudioFiles(m_engine, *m_editor, folder, this);
    buildPages();

    StudioViews views;
    views.editor = m_editor;
    views.lineLabel = m_lineLabel;
    views.stopCaption = m_stopCaption;
    views.runLed = m_runLed;
    views.watches = &m_registerPage->watches();
    views.registers = m_registerPage;
    views.aliases = m_aliasPage;
    views.screen = m_screen;
    views.notebook = m_notebook;
    views.files = m_files;
    m_host = std::make_unique<StudioHost>(m_engine, views, windowHooks());
    m_engine.setHost(m_host.get());

    connectFiles();
    m_files->start();
    m_loadPage->enter();
    m_debugger = new Debugger(m_context, *m_registerPage, *m_host, this);
    m_notebook->addWidget(m_help = new HelpPage(m_context));
    m_capture = new ScreenCapture(m_context, m_screenPanel, this);
    placeCaptureButtons();
    m_export = new ExportAction(m_context, m_loadPage);
    m_assist = new EditorAssist(*m_editor, [this] {
        if (saveScript())
            m_status->setText(
                QString("%1 gravado.").arg(m_files->showsOtherScript() ? m_files->shownName() : scriptName()));
    });
    // After the editor's help, so a warning under the mouse is told before the command's help.
    m_warnings = new WarningsPanel(
        *m_editor, [this] { return gameFolder(); }, this);
    if (auto* fonte = qobject_cast<QBoxLayout*>(m_editor->parentWidget()->layout()))
        fonte->addWidget(m_warnings->list());
    m_warnings->checkNow();
    m_host->refreshView();
    // Keys reach the window before its controls, so F1 steps wherever the focus is.
    qApp->installEventFilter(this);
    centreOnScreen();
}

void MainWindow::showPrimer()
{
    showPage("Ajuda");
    m_help->showLesson(0);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    m_debugger->storeBreakpoints();
    shutdown(false);
    m_engine.setHost(nullptr);
}

void MainWindow::buildPages()
{
    m_outer = new QStackedWidget(this);
    m_outer->setObjectName("Abok0");
    m_outer->setGeometry(rect());
    m_skinPage = new SkinPage(m_outer);
    m_fullScreenPage = new QWidget(m_outer);
    m_fullScreenPage->setObjectName("Modo4");
    m_outer->addWidget(m_skinPage);
    m_outer->addWidget(m_fullScreenPage);
    m_outer->setCurrentWidget(m_skinPage);

    // The screen panel lies above both pages of the outer notebook; the drawing page draws on it.
    m_screenPanel = new QWidget(this);
    m_screenPanel->setObjectName("PanTel");
    m_screenPanel->setGeometry(kScreenRect);
    m_screenPanel->setAutoFillBackground(true);
    m_screenPanel->setPalette(QPalette(Qt::black));
    m_screen = new ScreenView(m_screenPanel);
    m_screen->setGeometry(0, 0, ScreenView::kWidth, ScreenView::kHeight);
    m_screen->setPicture(&m_engine.screen().tela);

    buildHeader(m_skinPage);
    fillPageContext();
    buildNotebook(m_skinPage);
    buildButtons(m_skinPage);
    m_screenPanel->raise();
    connectScreen();
}

void MainWindow::fillPageContext()
{
    m_context.engine = &m_engine;
    m_context.editor = m_editor;
    m_context.files = m_files;
    m_context.screen = m_screen;
    m_context.setStatus = [this](const QString& text) { m_status->setText(text); };
    m_context.showPage = [this](const QString& name) { showPage(name); };
    m_context.screenChanged = [this] { m_screen->update(); };
    m_context.refreshView = [this] { m_host->refreshView(); };
    m_context.saveScript = [this] { return saveScript(); };
    m_context.syncScript = [this] { syncScript(); };
    m_context.execute = [this] { execute(); };
    m_context.stopOrContinue = [this] { stopOrContinue(); };
    m_context.askToSave = [this](const QString& name) { return askToSave(name); };
}

void MainWindow::placeCaptureButtons()
{
    m_status->resize(m_status->width() - 110, m_status->height());
    m_capture->placeButtons(m_skinPage, QPoint(m_status->geometry().right() + 4, m_status->y()), m_status->height());
}

void MainWindow::buildHeader(QWidget* skin)
{
    m_closeButton = new CloseButton(skin);
    m_closeButton->move(1368, 0);
    connect(m_closeButton, &QAbstractButton::clicked, this, &MainWindow::closeStudio);

    m_scriptLabel = plainLabel(skin, "Stn", QRect(797, 40, kScriptNameMaxWidth, 21));
    plainLabel(skin, "lbLinha", QRect(1192, 45, 44, 18), "Linha:");
    m_lineLabel = plainLabel(skin, "lbLin", QRect(1238, 45, 80, 18), "0");
    m_versionLabel = plainLabel(skin, "lbVersao", QRect(1336, 25, 30, 16), "1.0");
    m_status = plainLabel(skin, "Stx", QRect(30, 492, 620, 26));
    // Where the pointer is on the screen, in the picture's pixels.
    m_pointerX = plainLabel(skin, "Lbx", QRect(660, 492, 55, 26));
    m_pointerY = plainLabel(skin, "Lby", QRect(718, 492, 55, 26));

    m_runLed = new QLabel(skin);
    m_runLed->setObjectName("Led2");
    m_runLed->setGeometry(772, 47, 12, 12);
    m_runLed->setToolTip("Executando");
    m_runLed->hide();
}

void MainWindow::buildNotebook(QWidget* skin)
{
    m_notebook = new QStackedWidget(skin);
    m_notebook->setObjectName("Abook");
    m_notebook->setGeometry(kNotebookRect);
    for (const char* name : kPageNames) {
        QWidget* page = nullptr;
        if (qstrcmp(name, "Fonte") == 0) {
            page = new QWidget;
            auto* layout = new QVBoxLayout(page);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(m_editor);
        } else if (qstrcmp(name, "Load") == 0) {
            page = m_loadPage = new LoadPage(m_context);
        } else if (qstrcmp(name, "Regs") == 0) {
            page = m_registerPage = new RegisterPage(m_context);
        } else if (qstrcmp(name, "TileMap") == 0 || qstrcmp(name, "Sprites") == 0) {
            continue;  // added in their place by buildEditorPages()
        } else if (qstrcmp(name, "NomReg") == 0) {
            page = m_aliasPage = new AliasPage(m_context);
        } else if (QWidget* visual = buildVisualPage(name)) {
            page = visual;
        } else {
            page = new QWidget;
            page->setAttribute(Qt::WA_StyledBackground);
        }
        page->setObjectName(name);
        m_notebook->addWidget(page);
    }
    buildEditorPages();
    connect(m_editor, &ScriptEditor::caretLineReported, this, &MainWindow::reportCaret);
    connect(m_loadPage, &LoadPage::scriptShown, this, &MainWindow::showListing);
    connect(&m_registerPage->watches(), &WatchPanel::registerEdited, this, [this] { m_registerPage->refreshList(); });
    connectVisualPages();
    m_notebook->setCurrentWidget(m_editor->parentWidget());
}

void MainWindow::buildEditorPages()
{
    m_tileMapPage = new TileMapPage(m_context);
    m_spritePage = new SpritePage(m_context);
    // In the notebook's order: "TileMap" after "Dodiroz", "Sprites" after "Matriz".
    m_notebook->insertWidget(m_notebook->indexOf(m_drawingPage) + 1, m_tileMapPage);
    m_notebook->insertWidget(m_notebook->indexOf(m_matrixPage) + 1, m_spritePage);
}

PictureButton* MainWindow::addButton(QWidget* skin, const QString& caption, const char* name, int x, int width)
{
    skin::ButtonLook look = qstrcmp(name, "btExe") == 0 ? skin::ButtonLook::Go : skin::ButtonLook::Plain;
    skin::Glyph glyph = skin::Glyph::None;
    if (qstrcmp(name, "btExe") == 0) glyph = skin::Glyph::Run;
    if (qstrcmp(name, "btReg") == 0) glyph = skin::Glyph::Registers;
    if (qstrcmp(name, "btLst") == 0) glyph = skin::Glyph::Listing;
    if (qstrcmp(name, "btArq") == 0) glyph = skin::Glyph::Files;
    auto* button = new PictureButton(caption, look, glyph, skin);
    button->setObjectName(name);
    button->setGeometry(x, kButtonTop, width, kButtonHeight);
    return button;
}

void MainWindow::buildButtons(QWidget* skin)
{
    connect(addButton(skin, "Executar", "btExe", 800, 120), &QAbstractButton::clicked, this, &MainWindow::execute);
    PictureButton* stop = addButton(skin, QString(), "btStp", 930, 80);
    m_stopCaption = plainLabel(stop, "Lb9", stop->rect(), "Stop");
    m_stopCaption->setAlignment(Qt::AlignCenter);
    m_stopCaption->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(stop, &QAbstractButton::clicked, this, &MainWindow::stopOrContinue);
    connect(addButton(skin, "Registradores", "btReg", 1020, 150), &QAbstractButton::clicked, this,
            &MainWindow::showRegisters);
    connect(addButton(skin, "Listagem", "btLst", 1180, 110), &QAbstractButton::clicked, this, &MainWindow::showListing);
    connect(addButton(skin, "Arquivos", "btArq", 1300, 100), &QAbstractButton::clicked, this, &MainWindow::showFiles);
}

void MainWindow::connectFiles()
{
    connect(m_files, &StudioFiles::scriptNameChanged, this, [this](const QString& name) {
        // While a run goes on, `Stn` keeps the name the run started with.
        if (!m_engine.state().isRunning) showScriptName(name);
    });
    connect(m_files, &StudioFiles::linesReplaced, this, [this] {
        m_editor->setRunLine(-1);
        if (m_host) m_host->refreshView();
    });
}

void MainWindow::showScriptName(const QString& name)
{
    m_scriptLabel->setText(name);
    // The accent line under the name is the label's lower border, so it spans the name alone.
    m_scriptLabel->ensurePolished();
    int width = m_scriptLabel->fontMetrics().horizontalAdvance(name) + kScriptNameSlack;
    m_scriptLabel->resize(std::min(width, kScriptNameMaxWidth), m_scriptLabel->height());
}

void MainWindow::centreOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

}  // namespace ludomat
