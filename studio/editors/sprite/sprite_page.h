#pragma once
// The page "Sprites": the sprites the last run defined, one at a time. It steps their frames,
// previews a frame on the run-time screen, sets the scale and drags the collision box on a copy
// of its own (the engine's table is not touched), and writes the "loadsprite" and "sprite" lines
// back into the script.

#include "studio/editors/editor_support.h"
#include "studio/editors/sprite/sprite_document.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QScrollBar;

namespace ludomat {

class CollisionHandle;
class PictureButton;
struct SpriteRecord;

class SpritePage : public QWidget {
    Q_OBJECT
public:
    static const QString kNoSprites;

    SpritePage(const EditorContext& context, QWidget* parent = nullptr);

    // Opens the page; false (with the notice in Stx) when no sprite is defined. Without unsaved
    // changes the page takes the sprites the last run left.
    bool enter();
    // Before the studio goes on without the changes (a run, closing): when some sprite's scale or
    // collision box differs from the script's lines, asks "Salvar as alterações em NOME?";
    // "Salvar" writes the lines. False when the user cancels.
    bool settleChanges();
    SpriteDocument& document() { return m_document; }
    void undo();
    void redo();
    void previous();
    void next();
    // The frame under horizontal position x of the sheet view.
    void pickFrameAt(int x);
    // "ver na tela": the current frame on the screen, then the next frame.
    void previewOnScreen();
    void setScalePosition(int position);
    void writeLoadspriteLine() { writeLoadspriteLineFor(m_index); }
    void writeSpriteLine() { writeSpriteLineFor(m_index); }

    int shownIndex() const { return m_index; }
    CollisionHandle* handle(int i) const { return m_handles[i]; }

private:
    void buildFields();
    void buildPanel();
    QLineEdit* shownField(const char* name, const QString& caption, int x, int y, int width);
    SpriteRecord* sprite();
    void showSprite();
    void showFrame();
    void showCollision();
    void handlePressed(int handle, int at);
    void handleMoved(int handle, int at);
    void handleReleased();
    bool writeLoadspriteLineFor(int index);
    bool writeSpriteLineFor(int index);

    EditorContext m_context;
    SpriteDocument m_document;
    SpriteSettings m_dragBefore;
    int m_index = 0;
    bool m_introShown = false;
    bool m_dragging = false;
    int m_dragStart = 0;

    QLabel* m_counter = nullptr;  // lb42
    QLineEdit* m_name = nullptr;
    QLineEdit* m_file = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLineEdit* m_frames = nullptr;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_frameWidth = nullptr;
    QLineEdit* m_cycles = nullptr;
    QLineEdit* m_scale = nullptr;
    QLineEdit* m_background = nullptr;  // edShp
    QLabel* m_collision = nullptr;      // lbClz
    QScrollBar* m_scaleBar = nullptr;   // SBe
    QLabel* m_sheet = nullptr;          // sptImg
    QLabel* m_frame = nullptr;          // sptSpt
    QWidget* m_frameBorder = nullptr;   // sptShp
    CollisionHandle* m_handles[4] = {};  // clzX1, clzX3, clzY1, clzY3
};

}  // namespace ludomat
