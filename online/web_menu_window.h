#pragma once
// The web menu window: a borderless 762 x 526 window with an embedded browser showing the
// server's manual page and the member area's help pages. Closing hides it.

#include <QWidget>

class QWebEngineView;

namespace ludomat {

class WebMenuWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 762;
    static constexpr int kHeight = 526;

    // `serverRoot` ends with "/"; the browser starts on the manual page.
    explicit WebMenuWindow(const QString& serverRoot, QWidget* parent = nullptr);

    QString productBase() const { return m_serverRoot + "ludomat/"; }
    QWebEngineView& browser() { return *m_web; }

    // `btWeb`: shows the manual page, unless the window is already open.
    void showMenu();
    // The member window's "[?]": `page` of the product base; an unopened window is placed
    // 300 pixels right of and 200 below `memberTopLeft`.
    void showHelp(const QString& page, QPoint memberTopLeft);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_serverRoot;
    QWebEngineView* m_web = nullptr;
    bool m_dragging = false;
    QPoint m_pressPoint;
};

}  // namespace ludomat
