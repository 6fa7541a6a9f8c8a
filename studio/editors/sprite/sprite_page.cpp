#include "studio/editors/sprite/sprite_page.h"

#include "engine/engine.h"
#include "engine/game_pictures.h"
#include "engine/script_error.h"
#include "graphics/cp1252.h"
#include "graphics/sprite_table.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/sprite/collision_handle.h"
#include "studio/editors/sprite/sprite_lines.h"
#include "studio/window/picture_button.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>

#include <cmath>
#include <functional>

namespace ludomat {

namespace {

// The scale bar counts in fiftieths: 50 is scale 1, 100 is 2.
constexpr int kScaleSteps = 50;
// Where the frame preview sits in its panel; a handle's position is then a frame pixel.
constexpr int kPreviewInset = 5;
enum { kLeft, kRight, kTop, kBottom };

// The sheet view: reports the mouse's horizontal position as it moves.
class SheetView : public QLabel {
public:
    explicit SheetView(std::function<void(int)> moved) : m_moved(std::move(moved)) { setMouseTracking(true); }

protected:
    void mouseMoveEvent(QMouseEvent* event) override { m_moved(int(event->position().x())); }

private:
    std::function<void(int)> m_moved;
};

QLabel* label(QWidget* parent, const QString& text, const QRect& place)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(place);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QPixmap framePixmap(const SpriteRecord& sprite, int frame)
{
    const int fw = sprite.frameWidth();
    if (fw <= 0 || sprite.sheet.isEmpty()) return {};
    return QPixmap::fromImage(sprite.sheet.view().copy(frame * fw, 0, fw, sprite.sheetHeight));
}

}  // namespace

const QString SpritePage::kNoSprites = "NÃO TEM NENHUM SPRITE DEFINIDO AINDA!!!";

SpritePage::SpritePage(const EditorContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setObjectName("Sprites");
    setAttribute(Qt::WA_StyledBackground);
    buildFields();
    buildPanel();
    m_document.changed = [this](int index) {
        SpriteRecord* s = sprite();
        if (index != m_index || !s) return;
        {
            QSignalBlocker block(m_scaleBar);
            m_scaleBar->setValue(int(std::lround(s->scale * kScaleSteps)));
        }
        m_scale->setText(QString::number(s->scale));
        showCollision();
    };
    auto shortcut = [this](const QKeySequence& keys, void (SpritePage::*slot)()) {
        auto* s = new QShortcut(keys, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Undo, &SpritePage::undo);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &SpritePage::redo);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &SpritePage::redo);
}

void SpritePage::undo()
{
    m_document.undoStack().undo();
}

void SpritePage::redo()
{
    m_document.undoStack().redo();
}

QLineEdit* SpritePage::shownField(const char* name, const QString& caption, int x, int y, int width)
{
    // Wide enough for "Largura do sprite:"; the fields sit just after.
    label(this, caption, QRect(x, y, 120, 20))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* f = new QLineEdit(this);
    f->setObjectName(name);
    f->setGeometry(x + 124, y, width, 22);
    f->setReadOnly(true);
    return f;
}

void SpritePage::buildFields()
{
    auto* title = new PictureButton("Sprites", skin::ButtonLook::Page, skin::Glyph::None, this);
    title->setObjectName("Image7");
    title->setGeometry(5, 5, 110, 30);
    connect(title, &QAbstractButton::clicked, this, [this] { enter(); });
    // The counter and its two buttons in one row: the buttons move right as the counter's
    // numbers grow, up to the page's right edge, so they never cover its text.
    auto* row = new QWidget(this);
    row->setObjectName("wSptContador");
    row->setGeometry(125, 5, 470, 28);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_counter = label(row, QString(), QRect());
    m_counter->setObjectName("lb42");
    m_counter->setMinimumWidth(130);
    layout->addWidget(m_counter);
    auto* back = new PictureButton("<<", skin::ButtonLook::Plain, skin::Glyph::None, row);
    back->setObjectName("sptAnt");
    back->setFixedSize(44, 28);
    layout->addWidget(back);
    connect(back, &QAbstractButton::clicked, this, &SpritePage::previous);
    auto* forward = new PictureButton(">>", skin::ButtonLook::Plain, skin::Glyph::None, row);
    forward->setObjectName("sptProx");
    forward->setFixedSize(44, 28);
    layout->addWidget(forward);
    layout->addStretch(1);
    connect(forward, &QAbstractButton::clicked, this, &SpritePage::next);

    m_name = shownField("sptNome", "Nome:", 0, 42, 120);
    m_file = shownField("sptArq", "Arquivo:", 0, 67, 120);
    m_width = shownField("sptLrg", "Largura:", 0, 92, 50);
    m_height = shownField("sptAlt", "Altura:", 0, 117, 50);
    m_frames = shownField("sptQtf", "Qt sprites:", 0, 142, 50);
    m_frameWidth = shownField("sptWdf", "Largura do sprite:", 0, 167, 50);
    m_current = shownField("sptAtu", "Sprite atual:", 0, 192, 50);
    m_cycles = shownField("sptCik", "Ciclos:", 0, 217, 50);

    auto* escala = new ClickCaption("Escala:", this);
    escala->setObjectName("Label61");
    escala->setGeometry(180, 92, 60, 20);
    escala->setToolTip("Clique para escrever a linha \"sprite\" no script");
    connect(escala, &ClickCaption::clicked, this, &SpritePage::writeSpriteLine);
    m_scale = new QLineEdit(this);
    m_scale->setObjectName("sptEsc");
    m_scale->setGeometry(245, 92, 60, 22);
    m_scale->setReadOnly(true);
    m_scaleBar = new QScrollBar(Qt::Horizontal, this);
    m_scaleBar->setObjectName("SBe");
    m_scaleBar->setGeometry(180, 120, 175, 18);
    m_scaleBar->setRange(1, 100);
    m_scaleBar->setValue(kScaleSteps);
    connect(m_scaleBar, &QScrollBar::valueChanged, this, &SpritePage::setScalePosition);

    label(this, "fundo:", QRect(180, 167, 45, 20));
    m_background = new QLineEdit(this);
    m_background->setObjectName("edShp");
    m_background->setGeometry(228, 167, 127, 22);
    // It shows its pressed picture while held and acts on the press.
    auto* show = new PictureButton("ver na tela", skin::ButtonLook::Go, skin::Glyph::Run, this);
    show->setObjectName("Image8");
    show->setGeometry(180, 195, 175, 30);
    connect(show, &QAbstractButton::pressed, this, &SpritePage::previewOnScreen);

    auto* sheetBox = new QScrollArea(this);
    sheetBox->setObjectName("SB3");
    sheetBox->setGeometry(10, 300, 585, 111);
    m_sheet = new SheetView([this](int x) { pickFrameAt(x); });
    m_sheet->setObjectName("sptImg");
    sheetBox->setWidget(m_sheet);
}

void SpritePage::buildPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName("Panel1");
    panel->setGeometry(370, 42, 225, 146);
    panel->setAutoFillBackground(true);
    panel->setPalette(QPalette(QColor(0x40, 0x46, 0x50)));
    m_frameBorder = new QWidget(panel);
    m_frameBorder->setObjectName("sptShp");
    m_frameBorder->setStyleSheet("border: 1px solid #3fa7d6;");
    m_frame = new QLabel(panel);
    m_frame->setObjectName("sptSpt");
    m_frame->move(kPreviewInset, kPreviewInset);
    const char* names[] = {"clzX1", "clzX3", "clzY1", "clzY3"};
    for (int i = 0; i < 4; ++i) {
        m_handles[i] = new CollisionHandle(i >= kTop, i == kRight || i == kBottom, panel);
        m_handles[i]->setObjectName(names[i]);
        connect(m_handles[i], &CollisionHandle::pressed, this, [this, i](int at) { handlePressed(i, at); });
        connect(m_handles[i], &CollisionHandle::moved, this, [this, i](int at) { handleMoved(i, at); });
        connect(m_handles[i], &CollisionHandle::released, this, &SpritePage::handleReleased);
    }

    auto* caption = new ClickCaption("Área de colisão:", this);
    caption->setObjectName("Label65");
    caption->setGeometry(370, 195, 110, 20);
    caption->setToolTip("Clique para escrever a linha \"loadsprite\" no script");
    connect(caption, &ClickCaption::clicked, this, &SpritePage::writeLoadspriteLine);
    m_collision = label(this, QString(), QRect(484, 195, 111, 20));
    m_collision->setObjectName("lbClz");
}

SpriteRecord* SpritePage::sprite()
{
    if (m_document.size() == 0) return nullptr;
    // A later run may have defined fewer sprites than the index shown before.
    m_index = std::clamp(m_index, 0, m_document.size() - 1);
    return &m_document.at(m_index);
}

bool SpritePage::enter()
{
    if (m_context.setStatus) m_context.setStatus(QString());
    if (!m_document.isModified()) m_document.take(m_context.engine->sprites());
    if (!sprite()) {
        if (m_context.setStatus) m_context.setStatus(kNoSprites);
        return false;
    }
    if (m_context.showPage) m_context.showPage("Sprites");
    if (!m_introShown) {
        m_introShown = true;
        m_context.engine->screen().tela = Bitmap::fromImage(editor_art::spriteIntro());
        if (m_context.screenChanged) m_context.screenChanged();
    }
    showSprite();
    return true;
}

void SpritePage::previous()
{
    if (!sprite() || m_index == 0) return;
    --m_index;
    showSprite();
}

void SpritePage::next()
{
    if (!sprite() || m_index >= m_document.size() - 1) return;
    ++m_index;
    showSprite();
}

void SpritePage::showSprite()
{
    SpriteRecord* s = sprite();
    if (!s) return;
    m_counter->setText(QString("Sprites total: %1  Atual: %2").arg(m_document.size()).arg(m_index));
    m_name->setText(fromCp1252(s->name));
    m_file->setText(fromCp1252(s->file));
    m_width->setText(QString::number(s->sheetWidth));
    m_height->setText(QString::number(s->sheetHeight));
    m_frames->setText(QString::number(s->frameCount));
    m_current->setText(QString::number(s->currentFrame));
    m_scale->setText(QString::number(s->scale));
    {
        // Moving the bar must not write the truncated position back as the scale.
        QSignalBlocker block(m_scaleBar);
        m_scaleBar->setValue(int(std::lround(s->scale * kScaleSteps)));
    }
    m_frameWidth->setText(QString::number(s->frameWidth()));
    m_sheet->setPixmap(s->sheet.isEmpty() ? QPixmap() : QPixmap::fromImage(s->sheet.view().copy()));
    m_sheet->resize(s->sheetWidth, s->sheetHeight);
    m_frame->resize(s->frameWidth(), s->sheetHeight);
    m_frameBorder->setGeometry(kPreviewInset - 1, kPreviewInset - 1, s->frameWidth() + 2, s->sheetHeight + 2);
    showFrame();
    showCollision();
    m_cycles->setText(QString::number(s->cycles));
}

void SpritePage::showFrame()
{
    SpriteRecord* s = sprite();
    if (!s) return;
    m_frame->setPixmap(framePixmap(*s, s->currentFrame));
}

void SpritePage::showCollision()
{
    SpriteRecord* s = sprite();
    if (!s) return;
    m_collision->setText(QString("%1,%2,%3,%4").arg(s->collisionX).arg(s->collisionY).arg(s->collisionWidth).arg(s->collisionHeight));
    m_handles[kLeft]->setPosition(s->collisionX);
    m_handles[kRight]->setPosition(s->collisionX + s->collisionWidth);
    m_handles[kTop]->setPosition(s->collisionY);
    m_handles[kBottom]->setPosition(s->collisionY + s->collisionHeight);
}

void SpritePage::pickFrameAt(int x)
{
    SpriteRecord* s = sprite();
    if (!s || s->frameWidth() <= 0 || x < 0) return;
    // A sheet not a multiple of its frames wide leaves a strip at the right: it counts as the last frame.
    int frame = std::min(x / s->frameWidth(), s->frameCount - 1);
    if (frame == s->currentFrame) return;
    s->currentFrame = frame;
    m_current->setText(QString::number(frame));
    showFrame();
}

void SpritePage::previewOnScreen()
{
    SpriteRecord* s = sprite();
    if (!s) return;
    Engine& engine = *m_context.engine;
    ScreenBuffers& screen = engine.screen();
    QString background = m_background->text();
    bool drawn = false;
    QString error;
    if (!background.isEmpty() && checkGameFileName(background, &error) && gameFileExists(engine, toCp1252(background))) {
        Bitmap picture;
        try {
            if (loadGamePicture(engine, toCp1252(background), picture)) {
                Bitmap& buffer = screen.screenBuffer;
                for (int y = 0; y < std::min(picture.height(), buffer.height()); ++y)
                    std::copy_n(picture.scanLine(y), std::min(picture.width(), buffer.width()), buffer.scanLine(y));
                drawn = true;
            }
        } catch (const ScriptError& e) {
            if (m_context.setStatus) m_context.setStatus(fromCp1252(e.what()));
        }
    }
    if (!drawn) screen.screenCanvas.fillRect(Rect::fromXywh(0, 0, kBaseWidth, kBaseHeight));
    // Through the one routine that draws sprites when a script runs.
    drawSpriteFrame(*s, screen.shapeBuffer, screen.screenBuffer);
    s->currentFrame = s->currentFrame + 1 > s->frameCount - 1 ? 0 : s->currentFrame + 1;
    m_current->setText(QString::number(s->currentFrame));
    screen.refresh();
    if (m_context.screenChanged) m_context.screenChanged();
    showFrame();
}

void SpritePage::setScalePosition(int position)
{
    SpriteRecord* s = sprite();
    if (!s) return;
    SpriteSettings after = SpriteSettings::of(*s);
    after.scale = double(position) / kScaleSteps;
    m_document.change(m_index, SpriteSettings::of(*s), after, false);
    m_scale->setText(QString::number(s->scale));
}

void SpritePage::handlePressed(int, int at)
{
    SpriteRecord* s = sprite();
    if (!s) return;
    m_dragging = true;
    m_dragStart = at;
    m_dragBefore = SpriteSettings::of(*s);
}

void SpritePage::handleReleased()
{
    SpriteRecord* s = sprite();
    if (!m_dragging || !s) return;
    m_dragging = false;
    // The whole drag is one step.
    m_document.change(m_index, m_dragBefore, SpriteSettings::of(*s), true);
}

void SpritePage::handleMoved(int which, int at)
{
    SpriteRecord* s = sprite();
    if (!m_dragging || !s) return;
    CollisionHandle* h = m_handles[which];
    int pos = h->position() + at - m_dragStart;
    const int left = m_handles[kLeft]->position(), right = m_handles[kRight]->position();
    const int top = m_handles[kTop]->position(), bottom = m_handles[kBottom]->position();
    switch (which) {
    case kLeft:
        pos = std::max(pos, 0);
        if (pos >= right) pos = right - 1;
        s->collisionX = pos;
        s->collisionWidth = right - pos - 1;
        break;
    case kRight:
        pos = std::min(pos, s->frameWidth() - 1);
        if (pos < left) pos = left + 1;
        s->collisionX = left;
        s->collisionWidth = pos - left;
        break;
    case kTop:
        pos = std::max(pos, 0);
        if (pos >= bottom) pos = bottom - 1;
        s->collisionY = pos;
        s->collisionHeight = bottom - pos - 1;
        break;
    case kBottom:
        pos = std::min(pos, s->sheetHeight - 1);
        if (pos < top) pos = top + 1;
        s->collisionY = top;
        s->collisionHeight = pos - top;
        break;
    }
    h->setPosition(pos);
    m_collision->setText(QString("%1,%2,%3,%4").arg(s->collisionX).arg(s->collisionY).arg(s->collisionWidth).arg(s->collisionHeight));
}

bool SpritePage::settleChanges()
{
    QStringList names;
    for (int i = 0; i < m_document.size(); ++i)
        if (m_document.isModified(i)) names << fromCp1252(m_document.at(i).name);
    if (names.isEmpty()) return true;
    const QString name = names.join(", ");
    SaveAnswer answer = m_context.askToSave ? m_context.askToSave(name) : askInBox(this, name);
    if (answer == SaveAnswer::Cancel) return false;
    for (int i = 0; i < m_document.size(); ++i) {
        if (!m_document.isModified(i)) continue;
        if (answer == SaveAnswer::Save) {
            writeLoadspriteLineFor(i);
            writeSpriteLineFor(i);
        }
        // Written, or no line to write to, or dropped: the run defines what the page shows next.
        m_document.markSaved(i, SpriteDocument::Settings::All);
    }
    if (answer == SaveAnswer::Discard) m_document.take(m_context.engine->sprites());
    if (sprite()) showSprite();
    return true;
}

bool SpritePage::writeLoadspriteLineFor(int index)
{
    if (index < 0 || index >= m_document.size()) return false;
    const SpriteRecord& s = m_document.at(index);
    const SpriteSettings& was = m_document.saved(index);
    // Only the edges the user moved; the cycle count and everything else stay as written.
    std::map<int, QString> changes;
    const int now[] = {s.collisionX, s.collisionY, s.collisionWidth, s.collisionHeight};
    const int before[] = {was.collisionX, was.collisionY, was.collisionWidth, was.collisionHeight};
    for (int i = 0; i < 4; ++i)
        if (now[i] != before[i]) changes[3 + i] = QString::number(now[i]);
    auto fill = [&](int parameter) {
        if (parameter == 1) return fromCp1252(s.file);
        if (parameter == 2) return QString::number(s.frameCount);
        return QString::number(now[std::clamp(parameter - 3, 0, 3)]);
    };
    const QString name = fromCp1252(s.name);
    int written = rewriteScriptLine(*m_context.editor, [&](const QString& line) -> std::optional<QString> {
        if (!line.contains("loadsprite") || !line.contains(name)) return std::nullopt;
        auto params = findSpriteCommand(line, "loadsprite", name);
        if (!params) return std::nullopt;
        return rewriteParameters(line, *params, changes, fill);
    });
    if (written < 0) return false;
    m_document.markSaved(index, SpriteDocument::Settings::Collision);
    if (m_context.showPage) m_context.showPage("Fonte");
    return true;
}

bool SpritePage::writeSpriteLineFor(int index)
{
    if (index < 0 || index >= m_document.size()) return false;
    const SpriteRecord& s = m_document.at(index);
    std::map<int, QString> changes;
    if (s.scale != m_document.saved(index).scale) changes[4] = QString::number(s.scale);
    // An empty position or frame keeps the sprite's current one when the line runs.
    auto fill = [](int) { return QString(); };
    const QString name = fromCp1252(s.name);
    int written = rewriteScriptLine(*m_context.editor, [&](const QString& line) -> std::optional<QString> {
        if (!line.contains("sprite") || line.contains("loadsprite") || !line.contains(name)) return std::nullopt;
        auto params = findSpriteCommand(line, "sprite", name);
        if (!params) return std::nullopt;
        return rewriteParameters(line, *params, changes, fill);
    });
    if (written < 0) return false;
    m_document.markSaved(index, SpriteDocument::Settings::Scale);
    if (m_context.showPage) m_context.showPage("Fonte");
    return true;
}

}  // namespace ludomat
