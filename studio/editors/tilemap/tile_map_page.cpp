#include "studio/editors/tilemap/tile_map_page.h"

#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/script_error.h"
#include "engine/tile_drawing.h"
#include "graphics/cp1252.h"
#include "graphics/plot_grid.h"
#include "graphics/tile_map_file.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/tilemap/map_edits.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_widgets.h"
#include "studio/files/studio_files.h"
#include "studio/window/page_label.h"
#include "studio/window/picture_button.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QUndoStack>

namespace ludomat {

namespace {

const char* const kViewFieldNames[] = {"px", "py", "wd", "ht", "1ª lin", "1ª col"};

PictureButton* button(QWidget* parent, const QString& caption, const char* name, const QRect& place)
{
    auto* b = new PictureButton(caption, skin::ButtonLook::Plain, skin::Glyph::None, parent);
    b->setObjectName(name);
    b->setGeometry(place);
    return b;
}

// "RRGGBB" as a colour; nullopt for anything else.
std::optional<Rgb> colourFromText(const QString& text)
{
    if (text.size() != 6) return std::nullopt;
    bool ok = false;
    uint value = text.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return Rgb(value);
}

QString colourText(Rgb colour)
{
    return QString("%1").arg(colour & 0xFFFFFF, 6, 16, QChar('0')).toUpper();
}

// A picture on the page that reopens it: a small tile mosaic with the page's name.
class TitlePicture : public QAbstractButton {
public:
    explicit TitlePicture(QWidget* parent) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, skin::buttonPicture(size(), skin::ButtonLook::Page, isDown(), underMouse()));
        const QColor colours[] = {QColor(0x5c, 0xb8, 0x5c), QColor(0x8d, 0x6e, 0x4f), QColor(0xb5, 0x4b, 0x3c),
                                  QColor(0x3f, 0x7f, 0xc6)};
        for (int i = 0; i < 4; ++i) p.fillRect(8 + (i % 2) * 11, 6 + (i / 2) * 11, 10, 10, colours[i]);
        p.setPen(QColor(0x1b, 0x2a, 0x38));
        p.setFont(QFont("Liberation Sans", 11, QFont::Bold));
        p.drawText(rect().adjusted(36, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, "TileMap");
    }
};

}  // namespace

TileMapPage::TileMapPage(const EditorContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setObjectName("TileMap");
    setAttribute(Qt::WA_StyledBackground);
    m_undo = &m_document.undoStack();
    // The strip starts as one tile in the pen's colour, the engine's as well as the page's.
    const PlotSettings& plots = m_context.engine->plotSettings();
    m_context.engine->tileSet().reset(plots.plotWidth(), plots.plotHeight(), m_colour);
    m_document.replaceTiles(m_context.engine->tileSet());

    auto* title = new TitlePicture(this);
    title->setObjectName("imTMtitulo");
    title->setGeometry(5, 5, 130, 34);
    connect(title, &QAbstractButton::clicked, this, &TileMapPage::enter);
    m_sizeLabel = pageLabel(this, QString(), "lbTMdef", QRect(140, 9, 214, 16));
    m_sizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_message = pageLabel(this, QString(), "lbTMmsg", QRect(140, 25, 290, 16));
    m_message->setStyleSheet("color: #b03a2e;");

    buildLoadRows();
    buildTileTools();
    buildMapTools();

    auto shortcut = [this](const QKeySequence& keys, void (TileMapPage::*slot)()) {
        auto* s = new QShortcut(keys, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Undo, &TileMapPage::undo);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TileMapPage::redo);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &TileMapPage::redo);
    refreshLabels();
}

QLineEdit* TileMapPage::field(const char* name, const QRect& place, const QString& text)
{
    auto* f = new QLineEdit(text, this);
    f->setObjectName(name);
    f->setGeometry(place);
    return f;
}

void TileMapPage::buildLoadRows()
{
    auto* loadWord = new ClickCaption("tilemap", this);
    loadWord->setObjectName("lbTMload");
    loadWord->setGeometry(10, 77, 52, 18);
    connect(loadWord, &ClickCaption::clicked, this, &TileMapPage::writeLoadLine);
    pageLabel(this, "mapa", "lbTMmapa", QRect(65, 60, 100, 15));
    pageLabel(this, "tiles", "lbTMtiles", QRect(175, 60, 100, 15));
    m_mapField = field("edTMmapa", QRect(65, 75, 100, 22));
    pageLabel(this, ",", "lbTMvirg", QRect(167, 77, 6, 18));
    m_tilesName = field("edTMtiles", QRect(175, 75, 100, 22));
    connect(m_mapField, &QLineEdit::returnPressed, this, &TileMapPage::loadMapField);
    connect(m_tilesName, &QLineEdit::returnPressed, this, &TileMapPage::loadTilesField);

    auto* viewWord = new ClickCaption("tilemap", this);
    viewWord->setObjectName("lbTMview");
    viewWord->setGeometry(10, 122, 52, 18);
    connect(viewWord, &ClickCaption::clicked, this, &TileMapPage::writeViewLine);
    for (int i = 0; i < 6; ++i) {
        int x = 65 + 45 * i;
        pageLabel(this, kViewFieldNames[i], "lbTMvf", QRect(x, 103, 40, 16));
        m_viewFields[i] = field(QString("edTMv%1").arg(i).toLatin1().constData(), QRect(x, 120, 35, 22));
        if (i > 0) pageLabel(this, ",", "lbTMvirg", QRect(x - 8, 122, 6, 18));
        QLineEdit* f = m_viewFields[i];
        connect(f, &QLineEdit::returnPressed, this, [this] {
            // The view is set at once, so it outlives the page and reaches the view line.
            bool drawTiles = true;
            viewFromFields(&drawTiles);
        });
    }

    connect(button(this, "grid", "btTMgrid", QRect(355, 85, 70, 24)), &QAbstractButton::clicked, this,
            &TileMapPage::showGrid);
    connect(button(this, "ver", "btTMver", QRect(355, 115, 70, 24)), &QAbstractButton::clicked, this,
            &TileMapPage::showMap);

    m_files = new QListWidget(this);
    m_files->setObjectName("flTM");
    m_files->setGeometry(435, 15, 160, 131);
    connect(m_files, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openListedFile(item->text()); });
}

void TileMapPage::buildTileTools()
{
    pageLabel(this, "fundo:", "lbTMfundo", QRect(10, 157, 45, 18));
    m_background = field("edTMfundo", QRect(55, 155, 125, 22));
    m_tileCount = pageLabel(this, QString(), "lbTMtls", QRect(300, 153, 150, 18));
    connect(button(this, "[ + ]", "btTMadd", QRect(548, 150, 46, 22)), &QAbstractButton::clicked, this,
            &TileMapPage::addTile);

    auto* stripBox = new QScrollArea(this);
    stripBox->setObjectName("sbTMtls");
    stripBox->setGeometry(300, 175, 300, 35);
    m_strip = new TileStripView(m_document.tiles());
    stripBox->setWidget(m_strip);
    stripBox->setWidgetResizable(false);
    connect(m_strip, &TileStripView::pressedAt, this,
            [this](int x) { selectTile(x / std::max(m_context.engine->plotSettings().plotWidth(), 1)); });
    connect(m_strip, &TileStripView::doubleClickedAt, this, [this] { placeOnSelectedCell(); });
    connect(button(this, "save tiles:", "btTMsaveTiles", QRect(205, 177, 90, 24)), &QAbstractButton::clicked, this,
            &TileMapPage::saveTiles);

    pageLabel(this, "cor:", "lbTMcor", QRect(10, 192, 55, 18));
    m_colourField = field("edTMcor", QRect(70, 190, 55, 22), "FFFFFF");
    connect(m_colourField, &QLineEdit::returnPressed, this, [this] {
        // Not a colour: black, as the field then shows.
        setCurrentColour(colourFromText(m_colourField->text().trimmed()).value_or(0));
    });
    auto* palette = new ColourPalette(50, this);
    palette->move(130, 185);
    connect(palette, &ColourPalette::colourPicked, this, &TileMapPage::setCurrentColour);
    m_swatch = pageLabel(this, QString(), "shTMcor", QRect(110, 220, 16, 16));
    m_tileLabel = pageLabel(this, "tile: 0", "lbTMtile", QRect(8, 220, 95, 18));

    auto* zoomBox = new QScrollArea(this);
    zoomBox->setObjectName("sbTMzoom");
    zoomBox->setGeometry(10, 240, 180, 170);
    zoomBox->setStyleSheet("QScrollArea { background: black; }");
    m_zoom = new TileZoomView(m_document.tiles());
    zoomBox->setWidget(m_zoom);
    connect(m_zoom, &TileZoomView::strokeStarted, this, [this] { m_pixelsBefore = m_document.tiles().picture(); });
    connect(m_zoom, &TileZoomView::strokeFinished, this, [this] {
        TileSet& tiles = m_document.tiles();
        if (tiles.picture() == m_pixelsBefore) return;
        m_document.push(TileMapDocument::Part::Tiles,
                        new PaintPixels(tiles, std::move(m_pixelsBefore), tiles.picture(), [this] { stripEdited(); }));
        m_pixelsBefore = Bitmap();
    });
    connect(m_zoom, &TileZoomView::pixelPainted, this, [this](int i, int j) {
        const int w = m_context.engine->plotSettings().plotWidth();
        m_document.tiles().picture().setPixel(i + m_currentTile * w, j, m_colour);
        m_strip->update();
        m_grid->tilesChanged(w, m_context.engine->plotSettings().plotHeight());
    });
}

void TileMapPage::buildMapTools()
{
    connect(button(this, "save map:", "btTMsaveMap", QRect(205, 213, 90, 24)), &QAbstractButton::clicked, this,
            &TileMapPage::saveMap);
    connect(button(this, " + linha", "btTMlinha", QRect(302, 218, 70, 22)), &QAbstractButton::clicked, this,
            &TileMapPage::addRow);
    connect(button(this, " + coluna", "btTMcoluna", QRect(377, 218, 76, 22)), &QAbstractButton::clicked, this,
            &TileMapPage::addColumn);
    connect(button(this, "clearmap", "btTMclear", QRect(495, 213, 100, 24)), &QAbstractButton::clicked, this,
            &TileMapPage::clearMap);

    m_grid = new MapGridView(m_document.map(), m_document.tiles(), this);
    m_grid->setGeometry(200, 245, 396, 170);
    connect(m_grid, &MapGridView::cellPressed, this,
            [this](QPoint cell, Qt::MouseButton b, Qt::KeyboardModifiers) { cellPressed(cell, b); });
    connect(m_grid, &MapGridView::cellDragged, this, &TileMapPage::cellDragged);
    connect(m_grid, &MapGridView::cellReleased, this, &TileMapPage::cellReleased);
    connect(m_grid, &MapGridView::cellHovered, this, &TileMapPage::cellHovered);
    connect(m_grid, &MapGridView::cellTyped, this, &TileMapPage::cellTyped);
    // The zoom reached, until the mouse names a cell again.
    connect(m_grid, &MapGridView::zoomChanged, this,
            [this](double zoom) { m_hover->setText(QString("zoom %1 %").arg(qRound(zoom * 100))); });

    // Our own tools beside the load rows: how a left press acts on the map, undo and redo.
    m_tools = new QButtonGroup(this);
    const struct {
        const char* caption;
        const char* name;
        const char* tip;
        Tool tool;
    } tools[] = {
        {"Sel", "tbTMsel", "Selecionar célula (um tile não vazio vira o tile atual)", Tool::Select},
        {"Pincel", "tbTMpincel", "Pintar o tile atual arrastando", Tool::Brush},
        {"Ret", "tbTMret", "Preencher um retângulo com o tile atual", Tool::Rectangle},
        {"Balde", "tbTMbalde", "Preencher a região de tiles iguais", Tool::Bucket},
    };
    // One row beside the load rows, laid out by the buttons' own sizes, so the hovered cell's text
    // ("col 999, lin 999: tile 255") gets the rest of the row at any scale and font.
    auto* row = new QWidget(this);
    row->setObjectName("wTMtools");
    row->setGeometry(10, 40, 420, 20);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (const auto& t : tools) {
        auto* b = new QToolButton(row);
        b->setObjectName(t.name);
        b->setText(t.caption);
        b->setToolTip(t.tip);
        b->setCheckable(true);
        layout->addWidget(b);
        m_tools->addButton(b, int(t.tool));
    }
    m_tools->button(int(Tool::Select))->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, [this](int id) { setTool(Tool(id)); });
    // Undo and redo as the arrows every editor uses; their names are in the tips.
    auto arrow = [&](const char* name, const QString& glyph, const QString& tip, void (TileMapPage::*slot)()) {
        auto* b = new QToolButton(row);
        b->setObjectName(name);
        b->setText(glyph);
        b->setToolTip(tip);
        b->setAccessibleName(tip.section(' ', 0, 0));
        b->setEnabled(false);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    layout->addSpacing(6);
    QToolButton* undo = arrow("tbTMundo", QString(QChar(0x21B6)), "Desfazer (Ctrl+Z)", &TileMapPage::undo);
    QToolButton* redo = arrow("tbTMredo", QString(QChar(0x21B7)), "Refazer (Ctrl+Shift+Z)", &TileMapPage::redo);
    layout->addWidget(undo);
    layout->addWidget(redo);
    connect(m_undo, &QUndoStack::canUndoChanged, undo, &QWidget::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, redo, &QWidget::setEnabled);
    layout->addSpacing(6);
    m_hover = new QLabel(row);
    m_hover->setObjectName("lbTMhover");
    m_hover->setTextFormat(Qt::PlainText);
    m_hover->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_hover, 1);
}

void TileMapPage::tellUser(const QString& text, bool success)
{
    m_message->setStyleSheet(success ? "color: #2e7d32;" : "color: #b03a2e;");
    m_message->setText(text);
    m_message->setToolTip(text);
    if (m_context.setStatus) m_context.setStatus(text);
}

QString TileMapPage::message() const
{
    return m_message->text();
}

void TileMapPage::refreshLabels()
{
    const PlotSettings& plots = m_context.engine->plotSettings();
    const int w = plots.plotWidth(), h = plots.plotHeight();
    m_sizeLabel->setText(QString("tiles: %1 x %2 grid: %3 x %4").arg(w).arg(h).arg(760 / w).arg(420 / h));
    m_tileCount->setText(QString("tiles: %1").arg(m_document.tiles().picture().width() / w));
    m_tileLabel->setText(QString("tile: %1").arg(m_currentTile));
    m_swatch->setStyleSheet(QString("background: #%1; border: 1px solid black;").arg(colourText(m_colour)));
    m_grid->tilesChanged(w, h);
}

void TileMapPage::mapEdited()
{
    m_grid->mapChanged();
}

void TileMapPage::stripEdited()
{
    const PlotSettings& plots = m_context.engine->plotSettings();
    m_strip->stripChanged();
    m_zoom->showTile(m_currentTile, plots.plotWidth(), plots.plotHeight());
    refreshLabels();
}

void TileMapPage::addTile()
{
    const PlotSettings& plots = m_context.engine->plotSettings();
    m_document.push(TileMapDocument::Part::Tiles, new AddTile(m_document.tiles(), plots.plotWidth(), plots.plotHeight(),
                                                              m_colour, [this] { stripEdited(); }));
}

void TileMapPage::addRow()
{
    if (m_document.map().rows() >= kMaxMapRows) return tellUser("O mapa já tem o máximo de linhas.");
    m_document.push(TileMapDocument::Part::Map,
                    new ResizeMap(m_document.map(), ResizeMap::Kind::AddRow, [this] { mapEdited(); }));
}

void TileMapPage::addColumn()
{
    if (m_document.map().columns() >= kMaxMapColumns) return tellUser("O mapa já tem o máximo de colunas.");
    m_document.push(TileMapDocument::Part::Map,
                    new ResizeMap(m_document.map(), ResizeMap::Kind::AddColumn, [this] { mapEdited(); }));
}

void TileMapPage::clearMap()
{
    m_document.push(TileMapDocument::Part::Map,
                    new ResizeMap(m_document.map(), ResizeMap::Kind::Clear, [this] { mapEdited(); }));
}

void TileMapPage::selectTile(int tile)
{
    m_currentTile = std::max(tile, 0);
    const PlotSettings& plots = m_context.engine->plotSettings();
    m_zoom->showTile(m_currentTile, plots.plotWidth(), plots.plotHeight());
    m_tileLabel->setText(QString("tile: %1").arg(m_currentTile));
}

void TileMapPage::setCurrentColour(Rgb colour)
{
    m_colour = colour & 0xFFFFFF;
    m_colourField->setText(colourText(m_colour));
    refreshLabels();
}

void TileMapPage::setTool(Tool tool)
{
    m_tool = tool;
    if (QAbstractButton* b = m_tools->button(int(tool))) b->setChecked(true);
}

void TileMapPage::undo()
{
    m_undo->undo();
}

void TileMapPage::redo()
{
    m_undo->redo();
}

void TileMapPage::pushPaint(CellEdit cells, std::string after, bool applied, const QString& what)
{
    if (cells.isEmpty()) return;
    m_document.push(TileMapDocument::Part::Map,
                    new PaintTile(
                        m_document.map(), std::move(cells), std::move(after), applied, [this] { mapEdited(); }, what));
    if (applied) mapEdited();
}

}  // namespace ludomat
