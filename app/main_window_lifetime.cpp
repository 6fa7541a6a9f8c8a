#include "app/main_window_lifetime.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ludomat {

namespace {

// A window that accepted its close is hidden next; one that refused it (to save elsewhere) stays
// visible. So the check waits for the close to be handled, then looks.
class CloseWatcher : public QObject {
public:
    explicit CloseWatcher(QWidget& window) : QObject(&window), m_window(&window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Close) {
            QTimer::singleShot(0, this, [this] {
                if (m_window && !m_window->isVisible()) QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

}  // namespace

void quitWhenClosed(QWidget& mainWindow)
{
    mainWindow.installEventFilter(new CloseWatcher(mainWindow));
}

}  // namespace ludomat
