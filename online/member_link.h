#pragma once
// What the member window and the page commands need from the studio, and nothing more: the
// online layer never sees a studio page, only this interface, which the program entry implements.

#include <QString>

class QWidget;

namespace ludomat {

class MemberLink {
public:
    virtual ~MemberLink() = default;
    // Ends with "/".
    virtual QString programFolder() const = 0;
    // The remembered credentials of the settings file.
    virtual QString memberEmail() const = 0;
    virtual QString memberPassword() const = 0;
    virtual void setMember(const QString& email, const QString& password) = 0;
    // The main window's activity indicator.
    virtual void showIndicator(bool shown) = 0;
    // The script editor's selected text, line breaks as "\n".
    virtual QString editorSelection() const = 0;
    // Inserts `text` into the script editor before the line holding its caret.
    virtual void insertBeforeCaretLine(const QString& text) = 0;
    // Load page, folder list at `folder` (the game folder then), editor emptied with its first line.
    virtual void openWorkFolder(const QString& folder) = 0;
    // Runs the editor's script as the run button does; returns when the run ends.
    virtual void executeScript() = 0;
    virtual void showRegisters() = 0;
    // The editor gets the lines of `folder` + `fileName`, named `fileName`, page "Fonte".
    virtual bool loadScript(const QString& folder, const QString& fileName) = 0;
    virtual QWidget* mainWindow() = 0;
    // Draws the picture file stretched over the run-time screen's (0, 0)-(760, 420); false
    // (after telling the user) when it cannot be read.
    virtual bool drawOnScreen(const QString& picturePath) = 0;
    // The script `folder` + `fileName` goes into the editor under its name; `folder` becomes the
    // game folder, so the script is saved back where it came from.
    virtual bool openBoardScript(const QString& folder, const QString& fileName) = 0;
};

}  // namespace ludomat
