#pragma once
// What the online services need from the studio, and nothing more: the online layer never sees
// a page of the studio, only this narrow interface, which the program entry implements.

#include <QString>

namespace ludomat {

class StudioLink {
public:
    virtual ~StudioLink() = default;

    // Folders end with "/".
    virtual QString programFolder() const = 0;
    // The caption of the version label, compared with the server's version text.
    virtual QString versionText() const = 0;
    // The notice line under the screen (`Stx`).
    virtual void setNotice(const QString& text) = 0;

    // Saves the editor's script to its own file before another takes its place; false (after
    // telling the user) when that failed, and then nothing else may replace the editor's lines.
    virtual bool saveEditor() = 0;
    // Makes `folder` the game folder and points the folder list at it.
    virtual void setGameFolder(const QString& folder) = 0;
    // Loads `fileName` of the game folder into the editor, names it and shows the page "Fonte".
    virtual bool openScript(const QString& fileName) = 0;
    // Reads the game folder's script list again.
    virtual void refreshScriptList() = 0;

    // Closes the studio as the close button does (the editor and settings are saved).
    virtual void quit() = 0;
};

}  // namespace ludomat
