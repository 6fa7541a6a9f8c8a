#include "widget_test_support.h"

#include "graphics/cp1252.h"
#include "studio/editing/script_editor.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

namespace ludomat::test {

std::unique_ptr<MainWindow> openWindow(const QTemporaryDir& folder) { return openWindow(folder.path()); }

std::unique_ptr<MainWindow> openWindow(const QString& programFolder)
{
    auto window = std::make_unique<MainWindow>(programFolder);
    window->setErrorBoxesEnabled(false);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("window not exposed");
    return window;
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        // keyClicks aborts on characters it has no key for; a key event with the text will do.
        if (c == '\n') QTest::keyClick(widget, Qt::Key_Return);
        else if (c.unicode() < 0x80) QTest::keyClick(widget, c.toLatin1());
        else QTest::sendKeyEvent(QTest::KeyAction::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void enterText(MainWindow& window, const char* name, const QString& text)
{
    auto* field = window.findChild<QLineEdit*>(name);
    if (!field) {
        qWarning("no field %s", name);
        return;
    }
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    typeText(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

QStringList fileLines(const QString& path)
{
    QString text = QString::fromUtf8(readFile(path));
    QStringList lines = text.split("\r\n");
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
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

void saveShot(QWidget* widget, const QString& name)
{
    QString folder = qEnvironmentVariable("LUDOMAT_SHOTS");
    if (folder.isEmpty()) return;
    QTest::qWait(200);
    widget->screen()->grabWindow(0).save(folder + "/" + name);
}

}  // namespace ludomat::test
