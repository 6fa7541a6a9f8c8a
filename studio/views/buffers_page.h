#pragma once
// The "Buffers" page: the four graphics buffers with their sizes, and three buttons that copy
// or swap the screen buffer and the BackBuffer. While shown it follows a running script.

#include <QWidget>

class QLabel;
class QTimer;

namespace ludomat {

class Engine;
struct PageContext;

class BuffersPage : public QWidget {
    Q_OBJECT
public:
    // How often the shown page follows the buffers while a script draws.
    static constexpr int kFollowIntervalMs = 200;

    explicit BuffersPage(const PageContext& context, QWidget* parent = nullptr);

    // Reads the buffers, their sizes and the current line again.
    void refresh();
    void swapBuffers();       // "swapbuf"
    void copyBufferToBack();  // "buftobak copybuffer"
    void copyBackToBuffer();  // "baktobuf copybakbuf"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Engine& m_engine;
    QLabel* m_line = nullptr;
    QLabel* m_screenCaption = nullptr;
    QLabel* m_screenPicture = nullptr;
    QLabel* m_backCaption = nullptr;
    QLabel* m_backPicture = nullptr;
    QLabel* m_stripCaption = nullptr;
    QLabel* m_stripPicture = nullptr;
    QLabel* m_backgroundCaption = nullptr;
    QLabel* m_backgroundPicture = nullptr;
    QTimer* m_follow = nullptr;
};

}  // namespace ludomat
