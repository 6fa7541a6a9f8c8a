// The tile-map page's dealings with files, the screen and the script: opening the page, reading
// and saving maps and tile strips, "ver", "grid" and the two "tilemap" lines.

#include "studio/editors/tilemap/tile_map_page.h"

#include "engine/engine.h"
#include "engine/error_messages.h"
#include "engine/game_pictures.h"
#include "engine/script_error.h"
#include "engine/tile_drawing.h"
#include "graphics/cp1252.h"
#include "graphics/plot_grid.h"
#include "graphics/tile_map_file.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_widgets.h"
#include "studio/editing/script_editor.h"
#include "studio/files/studio_files.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QUndoStack>

#include <cerrno>

namespace ludomat {

namespace {

// Maps and every picture kind a tile strip loads from, so a PNG strip can be picked too.
const QStringList kFileMask{"*.tlm", "*.bmp", "*.png", "*.gif", "*.jpg"};

bool namesPictureFile(const QString& name)
{
    return name.contains(".bmp") || name.contains(".gif") || name.contains(".jpg") || name.contains(".png");
}

bool isLoadLine(const QString& text)
{
    return text.contains("tilemap") && namesPictureFile(text);
}

// Whether a line before `line` sets the plot size with "defplot" (or "defplot=").
bool setsPlotSizeBefore(const ScriptEditor& editor, int line)
{
    QTextBlock block = editor.document()->begin();
    for (int i = 0; i < line && block.isValid(); ++i, block = block.next()) {
        const QString word = block.text().trimmed().section(' ', 0, 0);
        if (word == "defplot" || word == "defplot=") return true;
    }
    return false;
}

int findScriptLine(const ScriptEditor& editor, const std::function<bool(const QString&)>& matches)
{
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next())
        if (matches(block.text())) return block.blockNumber();
    return -1;
}

void selectScriptLine(ScriptEditor& editor, int line)
{
    QTextCursor cursor(editor.document()->findBlockByNumber(line));
    editor.setTextCursor(cursor);
}

// The engine's own wording of a map file that cannot be read.
QString tileMapErrorText(const std::string& name, const TileMapError& e)
{
    switch (e.kind()) {
        case TileMapErrorKind::TooLarge:
            return fromCp1252(errorText(ErrorMessage::TileMapTooLarge, name));
        case TileMapErrorKind::BadCell:
            return fromCp1252(errorText(ErrorMessage::TileMapBadCell, name, std::to_string(e.line()), e.detail()));
        case TileMapErrorKind::ShortLine:
            return fromCp1252(errorText(ErrorMessage::TileMapShortLine, name, std::to_string(e.line())));
        default:
            return fromCp1252(reasonText(e.errorNumber() ? e.errorNumber() : EIO));
    }
}

// The file "save map:" writes for the text of the "mapa" field.
QString mapFileName(QString name)
{
    if (name.isEmpty()) name = "000.tlm";
    if (!name.contains(".tlm")) name += ".tlm";
    return name;
}

// The file "save tiles:" writes for the text of the "tiles" field.
QString tilesFileName(QString name)
{
    if (name.isEmpty()) name = "000.bmp";
    if (!name.contains('.')) name += ".bmp";
    // The extension becomes "bmp"; a short one ("t.p") is replaced whole rather than eating
    // into the name.
    return name.left(name.lastIndexOf('.') + 1) + "bmp";
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
    rereadFiles();
    bool ok = true;
    // A run may have loaded another map or strip since; edits not yet saved are never replaced.
    if (!m_document.tilesModified() && (!(m_document.tiles().picture() == engine.tileSet().picture()) ||
                                        m_document.tiles().name() != engine.tileSet().name()))
        m_document.replaceTiles(engine.tileSet());
    if (!m_document.mapModified()) {
        QString name = fromCp1252(engine.mapGrid().name());
        if (!name.isEmpty())
            ok = readMap(name);
        else if (!(m_document.map() == engine.mapGrid()) || !m_document.map().name().empty())
            m_document.replaceMap(engine.mapGrid());
    }
    m_mapField->setText(fromCp1252(m_document.map().name()));
    m_tilesName->setText(fromCp1252(m_document.tiles().name()));
    const MapView& view = engine.mapView();
    const int values[] = {view.px, view.py, view.width, view.height, view.firstRow, view.firstColumn};
    for (int i = 0; i < 6; ++i) m_viewFields[i]->setText(QString::number(values[i]));
    m_zoom->showTile(m_currentTile, plots.plotWidth(), plots.plotHeight());
    if (ok) m_tileCount->setText(QString("tiles: %1").arg(m_document.tiles().picture().width() / plots.plotWidth()));
    m_grid->mapChanged();
    m_grid->tilesChanged(plots.plotWidth(), plots.plotHeight());
    m_strip->stripChanged();
}

void TileMapPage::publish(TileMapDocument::Part part)
{
    // The engine holds what the files hold, so a run without a load line draws the saved map.
    if (part == TileMapDocument::Part::Map)
        m_context.engine->mapGrid() = m_document.map();
    else
        m_context.engine->tileSet() = m_document.tiles();
    m_document.markSaved(part);
}

QString TileMapPage::changedFilesName() const
{
    QStringList names;
    if (m_document.mapModified()) names << documentFileName(TileMapDocument::Part::Map);
    if (m_document.tilesModified()) names << documentFileName(TileMapDocument::Part::Tiles);
    return names.join(" e ");
}

QString TileMapPage::documentFileName(TileMapDocument::Part part) const
{
    // While another file is being loaded its name is in the field: the edits belong to the
    // file they were read from.
    const bool map = part == TileMapDocument::Part::Map;
    const std::string& own = map ? m_document.map().name() : m_document.tiles().name();
    const QString typed = (map ? m_mapField : m_tilesName)->text();
    const QString name = m_replacing && !own.empty() ? fromCp1252(own) : m_replacing ? QString() : typed;
    return map ? mapFileName(name) : tilesFileName(name);
}

bool TileMapPage::saveDocumentPart(TileMapDocument::Part part)
{
    QLineEdit* field = part == TileMapDocument::Part::Map ? m_mapField : m_tilesName;
    const QString typed = field->text();
    field->setText(documentFileName(part));
    const bool saved = part == TileMapDocument::Part::Map ? saveMap() : saveTiles();
    if (m_replacing) field->setText(typed);
    return saved;
}

bool TileMapPage::settleChanges()
{
    return settleChanges(true, true);
}

bool TileMapPage::settleChanges(bool map, bool tiles)
{
    map = map && m_document.mapModified();
    tiles = tiles && m_document.tilesModified();
    if (!map && !tiles) return true;
    const QString name = changedFilesName();
    SaveAnswer answer = m_context.askToSave ? m_context.askToSave(name) : askInBox(this, name);
    if (answer == SaveAnswer::Cancel) return false;
    if (answer == SaveAnswer::Save)
        return (!map || saveDocumentPart(TileMapDocument::Part::Map)) &&
               (!tiles || saveDocumentPart(TileMapDocument::Part::Tiles));
    // Back to what the files hold, which the engine has.
    if (map) {
        m_document.replaceMap(m_context.engine->mapGrid());
        mapEdited();
    }
    if (tiles) {
        m_document.replaceTiles(m_context.engine->tileSet());
        stripEdited();
    }
    return true;
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
        // Only a map that could be read replaces unsaved edits, and only if the user agrees.
        m_replacing = true;
        const bool settled = settleChanges(true, false);
        m_replacing = false;
        if (!settled) return false;
        m_context.engine->mapGrid() = grid;
        m_document.replaceMap(std::move(grid));
    } catch (const TileMapError& e) {
        tellUser(QString("Mapa não lido (%1): %2").arg(name, tileMapErrorText(toCp1252(name), e)));
        return false;
    }
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
        tellUser(QString("Figura não lida (%1): %2").arg(name, fromCp1252(e.what())));
        return false;
    }
    m_replacing = true;
    const bool settled = settleChanges(false, true);
    m_replacing = false;
    if (!settled) return false;
    TileSet tiles;
    tiles.setPicture(std::move(picture));
    tiles.setName(bytes);
    engine.tileSet() = tiles;
    m_document.replaceTiles(std::move(tiles));
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
    const QString name = m_tilesName->text();
    // A name that does not exist is passed over quietly.
    if (name.isEmpty() || !QFileInfo::exists(m_context.files->gameFolder() + name)) return;
    readTiles(name);
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
    QString name = mapFileName(m_mapField->text());
    m_mapField->setText(name);
    QString error;
    if (!checkGameFileName(name, &error)) {
        tellUser(error);
        return false;
    }
    const MapGrid& grid = m_document.map();
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
    m_document.map().setName(toCp1252(name));
    publish(TileMapDocument::Part::Map);
    tellUser(QString("Mapa gravado: %1").arg(name), true);
    rereadFiles();
    return true;
}

void TileMapPage::reportBadCell(const QString& what, const QRect& area)
{
    const MapGrid& grid = m_document.map();
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
    QString name = tilesFileName(m_tilesName->text());
    m_tilesName->setText(name);
    QString error;
    if (!checkGameFileName(name, &error)) {
        tellUser(error);
        return false;
    }
    if (!writeGameFile(m_context.files->gameFolder(), name, bmpFileBytes(m_document.tiles().picture()), &error)) {
        tellUser(error);
        return false;
    }
    m_document.tiles().setName(toCp1252(name));
    publish(TileMapDocument::Part::Tiles);
    tellUser(QString("Tiles gravados: %1").arg(name), true);
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
                tellUser(QString("Fundo não lido (%1): %2").arg(background, fromCp1252(e.what())));
            }
        }
    }
    bool drawTiles = true;
    MapView view = viewFromFields(&drawTiles);
    if (drawTiles) {
        // The engine draws its own map and strip: the document's stand in for the moment.
        auto trade = [&] {
            std::swap(engine.mapGrid(), m_document.map());
            std::swap(engine.tileSet(), m_document.tiles());
        };
        trade();
        try {
            drawMapWindow(engine, view, false);
            trade();
        } catch (const ScriptError&) {
            trade();
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
    ScriptEditor& editor = *m_context.editor;
    int at = writeScriptLine(editor, isLoadLine, line, true);
    // The strip is cut into tiles of the plot size: a script that sets none before loading it
    // would cut it at whatever size came before.
    if (at >= 0 && !setsPlotSizeBefore(editor, at)) {
        const PlotSettings& plots = m_context.engine->plotSettings();
        const QString defplot = QString("  defplot= %1,%2").arg(plots.plotWidth()).arg(plots.plotHeight());
        insertScriptLine(editor, at, defplot);
        selectScriptLine(editor, at + 1);
        tellUser(QString("\"%1\" escrita acima do tilemap: o tamanho dos tiles.").arg(defplot.trimmed()), true);
    }
    if (m_context.showPage) m_context.showPage("Fonte");
}

void TileMapPage::writeViewLine()
{
    QStringList values;
    for (QLineEdit* f : m_viewFields) values << f->text();
    QString line = "  tilemap " + values.join(',');
    ScriptEditor& editor = *m_context.editor;
    auto isViewLine = [](const QString& text) { return text.contains("tilemap") && !namesPictureFile(text); };
    // A new view line goes after the load line: the map must be loaded before it is drawn.
    if (writeScriptLine(editor, isViewLine, line, false) < 0) {
        int load = findScriptLine(editor, isLoadLine);
        insertScriptLine(editor, load >= 0 ? load + 1 : editor.caretLine(), line);
    }
    if (m_context.showPage) m_context.showPage("Fonte");
}

}  // namespace ludomat
