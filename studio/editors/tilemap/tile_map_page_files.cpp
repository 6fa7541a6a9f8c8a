// The tile-map page's dealings with files, the screen and the script: opening the page, reading
// and saving maps and tile strips, "ver", "grid" and the two "tilemap" lines.

#include "studio/editors/tilemap/tile_map_page.h"

#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/script_error.h"
#include "engine/tile_drawing.h"
#include "graphics/cp1252.h"
#include "graphics/plot_grid.h"
#include "graphics/tile_map_file.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_widgets.h"
#include "studio/files/studio_files.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QUndoStack>

namespace ludomat {

namespace {

// Maps and every picture kind a tile strip loads from, so a PNG strip can be picked too.
const QStringList kFileMask{"*.tlm", "*.bmp", "*.png", "*.gif", "*.jpg"};

bool namesPictureFile(const QString& name)
{
    return name.contains(".bmp") || name.contains(".gif") || name.contains(".jpg") || name.contains(".png");
}

}  // namespace
void TileMapPage::enter()
{
    if (m_context.setStatus) m_context.setStatus(QString());
    m_message->clear();
    if (m_context.showPage) m_context.showPage("TileMap");
    Engine& engine = *m_context.engine;
    if (!m_introShown) {
        m_introShown = true;
        engine.screen().tela = Bitmap::fromImage(editor_art::tileMapIntro());
        if (m_context.screenChanged) m_context.screenChanged();
    }
    const PlotSettings& plots = engine.plotSettings();
    m_sizeLabel->setText(QString("tiles: %1 x %2 grid: %3 x %4")
                             .arg(plots.plotWidth())
                             .arg(plots.plotHeight())
                             .arg(760 / plots.plotWidth())
                             .arg(420 / plots.plotHeight()));
    m_mapField->setText(fromCp1252(engine.mapGrid().name()));
    m_tilesName->setText(fromCp1252(engine.tileSet().name()));
    const MapView& view = engine.mapView();
    const int values[] = {view.px, view.py, view.width, view.height, view.firstRow, view.firstColumn};
    for (int i = 0; i < 6; ++i) m_viewFields[i]->setText(QString::number(values[i]));
    m_zoom->showTile(m_currentTile, plots.plotWidth(), plots.plotHeight());
    rereadFiles();
    // A run may have loaded another map since: the history then belongs to a map that is gone.
    const MapGrid& grid = engine.mapGrid();
    historyIsCurrent();
    // The map file is read again, unless that would throw away edits not yet saved.
    QString name = fromCp1252(grid.name());
    bool ok = true;
    if (!name.isEmpty() && m_undo->isClean()) ok = readMap(name);
    if (ok) m_tileCount->setText(QString("tiles: %1").arg(engine.tileSet().picture().width() / plots.plotWidth()));
    m_grid->mapChanged();
    m_strip->stripChanged();
}

void TileMapPage::rememberMapIdentity()
{
    const MapGrid& grid = m_context.engine->mapGrid();
    m_mapName = grid.name();
    m_mapColumns = grid.columns();
    m_mapRows = grid.rows();
}

void TileMapPage::rereadFiles()
{
    m_files->clear();
    QDir folder(m_context.files->gameFolder());
    m_files->addItems(folder.entryList(kFileMask, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

bool TileMapPage::readMap(const QString& name)
{
    QString error;
    if (!checkGameFileName(name, &error)) {
        tellUser(error);
        return false;
    }
    QString path = m_context.files->gameFolder() + name;
    if (!QFileInfo::exists(path)) {
        tellUser(QString("Arquivo não encontrado: %1").arg(path));
        return false;
    }
    try {
        MapGrid grid = readTileMapFile(std::filesystem::path(path.toStdString()), toCp1252(name));
        grid.setName(toCp1252(name));
        m_context.engine->mapGrid() = std::move(grid);
    } catch (const TileMapError& e) {
        tellUser(QString("Mapa não lido (%1): %2").arg(name, QString::fromStdString(e.what())));
        return false;
    }
    m_undo->clear();
    m_undo->setClean();
    rememberMapIdentity();
    m_grid->mapChanged();
    return true;
}

bool TileMapPage::readTiles(const QString& name)
{
    QString error;
    if (!checkGameFileName(name, &error)) {
        tellUser(error);
        return false;
    }
    Engine& engine = *m_context.engine;
    std::string bytes = toCp1252(name);
    if (!gameFileExists(engine, bytes)) return false;
    Bitmap picture;
    try {
        if (!loadGamePicture(engine, bytes, picture)) return false;
    } catch (const ScriptError& e) {
        tellUser(QString("Figura não lida (%1): %2").arg(name, QString::fromStdString(e.what())));
        return false;
    }
    engine.tileSet().setPicture(std::move(picture));
    engine.tileSet().setName(bytes);
    // The strip's history would put back pixels of another picture.
    m_undo->clear();
    stripEdited();
    return true;
}

void TileMapPage::loadMapField()
{
    QString name = m_mapField->text();
    // A name that does not exist is passed over quietly.
    if (!QFileInfo::exists(m_context.files->gameFolder() + name) || name.isEmpty()) return;
    readMap(name);
}

void TileMapPage::loadTilesField()
{
    if (m_tilesName->text().isEmpty()) return;
    readTiles(m_tilesName->text());
}

void TileMapPage::openListedFile(const QString& name)
{
    if (namesPictureFile(name)) {
        if (readTiles(name)) m_tilesName->setText(name);
    } else if (name.contains(".tlm")) {
        if (readMap(name)) m_mapField->setText(name);
    }
}

bool TileMapPage::saveMap()
{
    QString name = m_mapField->text();
    if (name.isEmpty()) name = "000.tlm";
    if (!name.contains(".tlm")) name += ".tlm";
    m_mapField->setText(name);
    QString error;
    if (!checkGameFileName(name, &error)) {
        tellUser(error);
        return false;
    }
    const MapGrid& grid = m_context.engine->mapGrid();
    // Every cell is converted before anything is written; a bad one is named.
    std::string text;
    try {
        text = formatTileMap(grid);
    } catch (const TileMapError&) {
        reportBadCell("Mapa não gravado", QRect(0, 0, kMaxMapColumns, kMaxMapRows));
        return false;
    }
    if (!writeGameFile(m_context.files->gameFolder(), name, QByteArray::fromStdString(text), &error)) {
        tellUser(error);
        return false;
    }
    // The page reads this file again when it reopens: it must be the map just saved.
    m_context.engine->mapGrid().setName(toCp1252(name));
    m_undo->setClean();
    rememberMapIdentity();
    tellUser(QString("Mapa gravado: %1").arg(name));
    rereadFiles();
    return true;
}

void TileMapPage::reportBadCell(const QString& what, const QRect& area)
{
    const MapGrid& grid = m_context.engine->mapGrid();
    const int right = std::min<long long>((long long)area.x() + area.width(), grid.columns());
    const int bottom = std::min<long long>((long long)area.y() + area.height(), grid.rows());
    for (int r = std::max(area.y(), 0); r < bottom; ++r)
        for (int c = std::max(area.x(), 0); c < right; ++c) {
            std::optional<int> tile = grid.tile(c, r);
            if (tile && *tile >= 0 && *tile <= 255) continue;
            tellUser(QString("%1: a célula da coluna %2, linha %3 tem '%4', que não é um tile de 0 a 255.")
                         .arg(what)
                         .arg(c)
                         .arg(r)
                         .arg(fromCp1252(grid.cellText(c, r))));
            m_grid->setSelectedCell(QPoint(c, r));
            m_grid->scrollToCell(QPoint(c, r));
            return;
        }
}

bool TileMapPage::saveTiles()
{
    QString name = m_tilesName->text();
    if (name.isEmpty()) name = "000.bmp";
    if (!name.contains('.')) name += ".bmp";
    // The extension becomes "bmp"; a short one ("t.p") is replaced whole rather than eating
    // into the name.
    name = name.left(name.lastIndexOf('.') + 1) + "bmp";
    m_tilesName->setText(name);
    QString error;
    if (!checkGameFileName(name, &error)) {
        tellUser(error);
        return false;
    }
    if (!writeGameFile(m_context.files->gameFolder(), name, bmpFileBytes(m_context.engine->tileSet().picture()),
                       &error)) {
        tellUser(error);
        return false;
    }
    m_context.engine->tileSet().setName(toCp1252(name));
    tellUser(QString("Tiles gravados: %1").arg(name));
    rereadFiles();
    return true;
}

MapView TileMapPage::viewFromFields(bool* drawTiles)
{
    int values[6];
    for (int i = 0; i < 6; ++i) {
        QLineEdit* f = m_viewFields[i];
        if (i == 5 && f->text().trimmed().isEmpty()) {
            *drawTiles = false;
            values[i] = 0;
            continue;
        }
        values[i] = f->text().trimmed().toInt();
        f->setText(QString::number(values[i]));
    }
    MapView view{values[0], values[1], values[2], values[3], values[4], values[5]};
    m_context.engine->mapView() = view;
    return view;
}

void TileMapPage::showMap()
{
    Engine& engine = *m_context.engine;
    ScreenBuffers& screen = engine.screen();
    QString background = m_background->text();
    if (background.isEmpty()) {
        screen.screenBuffer.fill(engine.textSettings().paper());
    } else {
        QString error;
        std::string name = toCp1252(background);
        if (checkGameFileName(background, &error) && gameFileExists(engine, name)) {
            try {
                if (loadGamePicture(engine, name, screen.shapeBuffer)) {
                    const Bitmap& picture = screen.shapeBuffer;
                    Bitmap& buffer = screen.screenBuffer;
                    for (int y = 0; y < std::min(picture.height(), buffer.height()); ++y)
                        std::copy_n(picture.scanLine(y), std::min(picture.width(), buffer.width()), buffer.scanLine(y));
                }
            } catch (const ScriptError& e) {
                tellUser(QString("Fundo não lido (%1): %2").arg(background, QString::fromStdString(e.what())));
            }
        }
    }
    bool drawTiles = true;
    MapView view = viewFromFields(&drawTiles);
    if (drawTiles) {
        try {
            drawMapWindow(engine, view, false);
        } catch (const ScriptError&) {
            reportBadCell("Mapa desenhado só até a célula inválida",
                          QRect(view.firstColumn, view.firstRow, view.width, view.height));
        }
    }
    screen.refresh();
    if (m_context.screenChanged) m_context.screenChanged();
}

void TileMapPage::showGrid()
{
    Engine& engine = *m_context.engine;
    const PlotSettings& plots = engine.plotSettings();
    drawPlotGrid(engine.screen().screenBuffer, plots.plotWidth(), plots.plotHeight());
    engine.screen().refresh();
    if (m_context.screenChanged) m_context.screenChanged();
}

void TileMapPage::writeLoadLine()
{
    QString line = "  tilemap " + m_mapField->text() + "," + m_tilesName->text();
    writeScriptLine(*m_context.editor,
                    [](const QString& text) { return text.contains("tilemap") && namesPictureFile(text); }, line, true);
    if (m_context.showPage) m_context.showPage("Fonte");
}

void TileMapPage::writeViewLine()
{
    QStringList values;
    for (QLineEdit* f : m_viewFields) values << f->text();
    QString line = "  tilemap " + values.join(',');
    writeScriptLine(*m_context.editor,
                    [](const QString& text) { return text.contains("tilemap") && !namesPictureFile(text); }, line,
                    true);
    if (m_context.showPage) m_context.showPage("Fonte");
}

}  // namespace ludomat
