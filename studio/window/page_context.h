#pragma once
// What a page of the studio may reach of the rest of it: the notice line, the script being
// edited, the studio's files with the game folder, running and stopping the game, and the engine.
// The window fills one in and hands it to every page, so no page holds the whole window or looks
// a widget up by its name.

#include <QString>

#include <functional>

namespace ludomat {

class Engine;
class ScreenView;
class ScriptEditor;
class StudioFiles;
struct EngineState;

// The answers to "Salvar as alterações em NOME?", asked before a changed document is left.
enum class SaveAnswer { Save, Discard, Cancel };
using SaveQuestion = std::function<SaveAnswer(const QString& documentName)>;

struct PageContext {
    // Pages read its state; the editor pages change what they edit (map, tiles, sprites) and the
    // help page runs its examples on it.
    Engine* engine = nullptr;
    ScriptEditor* editor = nullptr;  // the script being edited, `Fonte`
    StudioFiles* files = nullptr;    // the program and game folders and the script's file
    ScreenView* screen = nullptr;    // the run-time screen `Tela`

    std::function<void(const QString&)> setStatus;  // the notice line `Stx`
    std::function<void(const QString&)> showPage;   // a notebook page by its object name
    std::function<void()> screenChanged;            // repaint `Tela`
    std::function<void()> refreshView;              // the labels that follow the engine's state
    std::function<bool()> saveScript;               // the editor's lines to their file
    std::function<void()> syncScript;               // the editor's lines into the engine
    std::function<void()> execute;                  // "Executar"
    std::function<void()> stopOrContinue;           // "Stop"/"Cont"
    SaveQuestion askToSave;                         // a changed document is about to be left

    const EngineState& state() const;
    // Ends with "/".
    const QString& gameFolder() const;
};

}  // namespace ludomat
