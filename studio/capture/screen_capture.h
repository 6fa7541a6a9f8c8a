#pragma once
// Pictures of the run-time screen for sharing: a PNG (button "Foto", Ctrl+Shift+S) and an
// animated GIF (button "GIF", Ctrl+Shift+G starts and stops), saved into the game folder under a
// time-stamped name that the notice line `Stx` shows. A red mark over the screen (never in the
// picture) shows that a recording runs.

#include "studio/capture/gif_recorder.h"
#include "studio/window/page_context.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>

#include <functional>

class QKeyEvent;
class QLabel;
class QTimer;

namespace ludomat {

class ScreenCapture : public QObject {
    Q_OBJECT
public:
    // How often a recording looks at the screen: 25 pictures a second at most.
    static constexpr int kSampleIntervalMs = 40;

    // The mark of a running recording shows over `screenPanel`.
    ScreenCapture(const PageContext& context, QWidget* screenPanel, QObject* parent = nullptr);
    ~ScreenCapture() override;

    // The buttons "Foto" and "GIF", side by side from `topLeft`; together kButtonsWidth wide.
    static constexpr int kButtonWidth = 50;
    static constexpr int kButtonGap = 4;
    static constexpr int kButtonsWidth = 2 * kButtonWidth + kButtonGap;
    void placeButtons(QWidget* parent, QPoint topLeft, int height);

    // Saves the screen as a PNG; the file's full path, or empty after telling the user why not.
    QString saveScreenshot();
    // Starts a recording, or ends the one running and saves it.
    void toggleRecording();
    bool isRecording() const { return m_recorder.isRecording(); }
    // Ctrl+Shift+S and Ctrl+Shift+G, wherever the focus is.
    bool handleKey(QKeyEvent* event);
    // The file the last picture or recording went to.
    const QString& lastFile() const { return m_lastFile; }
    // Called with each screen a recording keeps (for checks of what the GIF holds).
    void setFrameObserver(std::function<void(const Bitmap&, int64_t atMs)> observer)
    {
        m_observer = std::move(observer);
    }
    // Looks at the screen now, as the timer does.
    void sample();

private:
    QString freeName(const QString& prefix, const QString& extension) const;
    void stopRecording(const QString& why);
    void tell(const QString& text);

    PageContext m_context;
    GifRecorder m_recorder;
    QTimer* m_timer = nullptr;
    QElapsedTimer m_clock;
    QLabel* m_mark = nullptr;
    QString m_recordingFile;
    QString m_lastFile;
    std::function<void(const Bitmap&, int64_t)> m_observer;
};

}  // namespace ludomat
