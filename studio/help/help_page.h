#pragma once
// The page "Ajuda" (F7): the lessons of "Comece aqui", then every command of the command table by group, with its
// words, parameters, help text and example, a search field, and "Experimentar", which runs the example on the screen
// without touching the user's script. Everything shown is read from the table.

#include "studio/window/page_context.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace ludomat {

struct CommandInfo;

class HelpPage : public QWidget {
    Q_OBJECT
public:
    explicit HelpPage(const PageContext& context, QWidget* parent = nullptr);

    // Shows only the commands whose words, parameters or help contain `text` (all when empty).
    void search(const QString& text);
    // Selects the command of `word`; false when no listed command has it.
    bool showCommand(const QString& word);
    // Runs the example of the selected command or lesson; false when none is selected or a run goes on.
    bool tryExample();
    // Selects lesson `index` of "Comece aqui"; false when there is none.
    bool showLesson(int index);
    // The commands listed, and those the search leaves visible.
    int commandCount() const;
    int visibleCount() const;
    QTreeWidget* list() const { return m_list; }

private:
    void fill();
    void showDetails(QTreeWidgetItem* item);
    // Runs `example` (script bytes) on the screen and gives the engine the user's lines back.
    bool runExample(const std::string& example);
    static const CommandInfo* entryOf(const QTreeWidgetItem* item);

    PageContext m_context;
    QLineEdit* m_search = nullptr;
    QTreeWidget* m_list = nullptr;
    QTextBrowser* m_details = nullptr;
    QPushButton* m_try = nullptr;
};

}  // namespace ludomat
