// The main window's side of the drawing editor and the views: building the pages "Dodiroz",
// "Matriz" and "Buffers", the colour converters on "Regs", and the ways in from the pictures of
// "Load".

#include "studio/window/main_window.h"

#include "screen/screen_view.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/sprite/sprite_page.h"
#include "studio/editors/tilemap/tile_map_page.h"
#include "studio/pages/load_page.h"
#include "studio/pages/register_pages.h"
#include "studio/views/buffers_page.h"
#include "studio/views/colour_converters.h"
#include "studio/views/plot_matrix_page.h"

#include <QLabel>
#include <QListWidget>

namespace ludomat {

namespace {

// Where the "Cores:" row sits on "Regs": under the register list, which gives it room.
const QRect kConvertersRect(342, 290, ColourConverters::kSize.width(), ColourConverters::kSize.height());

}  // namespace

QWidget* MainWindow::buildVisualPage(const char* name)
{
    if (qstrcmp(name, "Dodiroz") == 0) return m_drawingPage = new DrawingPage(m_context);
    if (qstrcmp(name, "Matriz") == 0) return m_matrixPage = new PlotMatrixPage(m_context);
    if (qstrcmp(name, "Buffers") == 0) return m_buffersPage = new BuffersPage(m_context);
    return nullptr;
}

void MainWindow::connectVisualPages()
{
    connect(m_drawingPage, &DrawingPage::transferred, this, &MainWindow::showListing);
    connect(m_drawingPage, &DrawingPage::notice, m_status, &QLabel::setText);
    m_drawingPage->setSaveQuestion([this](const QString& name) { return askToSave(name); });
    connect(m_drawingPage, &DrawingPage::tileMapRequested, this, [this] { m_tileMapPage->enter(); });
    // `Arq2` lists the figures of the folder chosen on "Load", whenever it is chosen.
    connect(m_files, &StudioFiles::gameFolderChanged, m_drawingPage, &DrawingPage::rereadFigureFiles);

    m_converters = new ColourConverters(m_registerPage);
    m_converters->setGeometry(kConvertersRect);
    QListWidget& list = m_registerPage->list();
    QRect shorter = list.geometry();
    shorter.setBottom(kConvertersRect.top() - 6);
    list.setGeometry(shorter);
    connect(m_converters, &ColourConverters::notice, m_status, &QLabel::setText);

    connect(m_loadPage, &LoadPage::pictureClicked, this, [this](const QString& picture) {
        if (picture == "imDodiroz") openDrawing(FigureKind::Pixel);
        if (picture == "imBitmap") openDrawing(FigureKind::Plot);
        if (picture == "imMatriz") showMatrix();
        if (picture == "imTiles") m_tileMapPage->enter();
        if (picture == "imSprites") m_spritePage->enter();
    });
}

SaveAnswer MainWindow::askToSave(const QString& documentName)
{
    if (m_saveQuestion) return m_saveQuestion(documentName);
    // A session ended from outside keeps what the user made; with the boxes off (tests) the
    // changes go, as if nobody had made them.
    if (m_unattended) return SaveAnswer::Save;
    if (!m_errorBoxes) return SaveAnswer::Discard;
    return askInBox(this, documentName);
}

bool MainWindow::settleEditorDocuments()
{
    return m_tileMapPage->settleChanges() && m_drawingPage->settleChanges() && m_spritePage->settleChanges();
}

void MainWindow::openDrawing(FigureKind kind)
{
    showPage("Dodiroz");
    m_drawingPage->open(kind);
}

void MainWindow::showMatrix()
{
    showPage("Matriz");
    m_matrixPage->refresh();
}

void MainWindow::showBuffers()
{
    showPage("Buffers");
    m_buffersPage->refresh();
}

}  // namespace ludomat
