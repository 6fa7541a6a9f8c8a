#include "widget_test_support.h"

#include "graphics/cp1252.h"
#include "studio/script_editor.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

namespace ludomat::test {

std::unique_ptr<MainWindow> openWindow(const QTemporaryDir& folder)
{
    auto window = std::make_unique<MainWindow>(folder.path());
    window->setErrorBoxesEnabled(false);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("window not exposed");
    return window;
}

void setScript(MainWindow& window, const QStringList& lines)
{
    window.editor().setPlainText(lines.join('\n'));
}

QStringList editorLines(MainWindow& window)
{
    QStringList out;
    for (const std::string& line : window.editor().lines()) out << fromCp1252(line);
    return out;
}

QString selectedText(MainWindow& window) { return window.editor().textCursor().selectedText(); }

QString reg(MainWindow& window, int index) { return fromCp1252(window.engine().state().registers[index]); }

QString labelText(MainWindow& window, const char* name)
{
    auto* label = window.findChild<QLabel*>(name);
    return label ? label->text() : QString("<no label %1>").arg(name);
}

QAbstractButton* button(MainWindow& window, const char* name)
{
    return window.findChild<QAbstractButton*>(name);
}

void click(MainWindow& window, const char* buttonName)
{
    QAbstractButton* target = button(window, buttonName);
    if (!target) {
        qWarning("no button %s", buttonName);
        return;
    }
    QTest::mouseClick(target, Qt::LeftButton);
}

void whenReady(std::function<bool()> ready, std::function<void()> action, bool* wasReady, int giveUpMs)
{
    if (wasReady) *wasReady = false;
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, [=] {
        bool now = ready();
        if (!now && clock->elapsed() < giveUpMs) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (wasReady) *wasReady = now;
        action();
    });
    timer->start();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

}  // namespace ludomat::test
