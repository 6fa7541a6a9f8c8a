#pragma once
// Helpers shared by the studio's widget tests.

#include "studio/files/program_folder.h"
#include "studio/window/main_window.h"

#include <QApplication>
#include <QByteArray>
#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>

class QAbstractButton;
class QWidget;
class QLabel;
class QTemporaryDir;

namespace ludomat::test {

// A shown window in `folder` that records errors instead of opening message boxes.
std::unique_ptr<MainWindow> openWindow(const QTemporaryDir& folder);
std::unique_ptr<MainWindow> openWindow(const QString& programFolder);

// Types `text` into `widget` key by key, as a user would (also characters beyond ASCII).
void typeText(QWidget* widget, const QString& text);
// Replaces the text of the line edit `name` by typing, then presses Enter in it.
void enterText(MainWindow& window, const char* name, const QString& text);
// The file's four settings lines, decoded.
QStringList fileLines(const QString& path);

// Types the script into the editor as the user would have left it.
void setScript(MainWindow& window, const QStringList& lines);
QStringList editorLines(MainWindow& window);
QString selectedText(MainWindow& window);

// Register `index` as the engine holds it (Windows-1252 decoded).
QString reg(MainWindow& window, int index);
QString labelText(MainWindow& window, const char* name);
QAbstractButton* button(MainWindow& window, const char* name);
void click(MainWindow& window, const char* buttonName);

// Calls `action` from the event loop as soon as `ready` holds, which lets a test act while the
// window is blocked inside a run. After `giveUpMs` the action runs anyway, so a failing test
// still ends; `wasReady` then stays false.
void whenReady(std::function<bool()> ready, std::function<void()> action, bool* wasReady = nullptr,
               int giveUpMs = 5000);

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// With LUDOMAT_SHOTS set (under a real X server), saves the whole screen there for a look.
void saveShot(QWidget* widget, const QString& name);

}  // namespace ludomat::test

// Prepares the environment before the application object exists.
#define LUDOMAT_WIDGET_TEST_MAIN(TestClass)       \
    int main(int argc, char** argv)               \
    {                                             \
        ludomat::ensureRuntimeFolder();           \
        QApplication app(argc, argv);             \
        TestClass test;                           \
        return QTest::qExec(&test, argc, argv);   \
    }
