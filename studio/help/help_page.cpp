#include "studio/help/help_page.h"

#include "engine/command_table.h"
#include "engine/engine.h"
#include "graphics/cp1252.h"
#include "studio/editing/command_help.h"
#include "studio/editing/script_editor.h"
#include "studio/help/primer.h"
#include "studio/window/page_context.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>

#include <span>

namespace ludomat {

namespace {

struct Group {
    const char* caption;
    std::span<const CommandInfo> (*entries)();
};

// The captions of the command groups; the commands themselves come from the table.
const Group kGroups[] = {
    {"Controle da execução", runControlCommands},
    {"Registradores", registerCommands},
    {"Desvios e condições", flowCommands},
    {"Texto", textCommands},
    {"Teclado e mouse", inputCommands},
    {"Tela e buffers", screenCommands},
    {"Plots", plotCommands},
    {"Desenho", drawingCommands},
    {"Figuras", pictureCommands},
    {"Tiles", tileCommands},
    {"Sprites", spriteCommands},
};

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Where a lesson's number is kept on its item: commands keep their entry under Qt::UserRole.
constexpr int kLessonRole = Qt::UserRole + 1;

const Lesson* lessonOf(const QTreeWidgetItem* item)
{
    if (!item) return nullptr;
    bool ok = false;
    int index = item->data(0, kLessonRole).toInt(&ok);
    return ok && index >= 0 && index < int(primerLessons().size()) ? &primerLessons()[size_t(index)] : nullptr;
}

// A lesson: its own words, then what the command table says of each command it uses.
QString lessonHtml(const Lesson& lesson)
{
    QString html = "<h3>" + utf8(lesson.title).toHtmlEscaped() + "</h3>";
    for (const QString& paragraph : utf8(lesson.text).split("\n\n")) html += "<p>" + paragraph.toHtmlEscaped() + "</p>";
    html += "<p><b>Comandos desta lição:</b></p><ul>";
    for (const QString& word : utf8(lesson.commands).split(' ', Qt::SkipEmptyParts)) {
        const CommandInfo* entry = CommandTable::instance().info(word.toStdString());
        if (!entry) continue;
        html += "<li>" + signatureHtml(word, *entry) + ": " + helpText(*entry).toHtmlEscaped() + "</li>";
    }
    html += "</ul><p><b>Exemplo</b> (\"Experimentar\" roda sem mexer no seu script):</p><pre>" +
            utf8(lesson.example).toHtmlEscaped() + "</pre>";
    return html;
}

}  // namespace

HelpPage::HelpPage(const PageContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setObjectName("Ajuda");
    setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    auto* top = new QHBoxLayout;
    m_search = new QLineEdit(this);
    m_search->setObjectName("BuscaAjuda");
    m_search->setPlaceholderText("Procurar comando, parâmetro ou assunto...");
    m_search->setClearButtonEnabled(true);
    top->addWidget(m_search, 1);
    m_try = new QPushButton("Experimentar", this);
    m_try->setObjectName("btExperimentar");
    m_try->setToolTip("Roda o exemplo na tela; o seu script não muda");
    top->addWidget(m_try);
    layout->addLayout(top);

    auto* body = new QHBoxLayout;
    m_list = new QTreeWidget(this);
    m_list->setObjectName("ListaComandos");
    m_list->setHeaderHidden(true);
    m_list->setFixedWidth(190);
    body->addWidget(m_list);
    m_details = new QTextBrowser(this);
    m_details->setObjectName("TextoAjuda");
    body->addWidget(m_details, 1);
    layout->addLayout(body, 1);

    fill();
    connect(m_search, &QLineEdit::textChanged, this, &HelpPage::search);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { showDetails(item); });
    connect(m_try, &QPushButton::clicked, this, &HelpPage::tryExample);
    showDetails(nullptr);
}

void HelpPage::fill()
{
    auto* primer = new QTreeWidgetItem(m_list, {"Comece aqui"});
    primer->setFlags(Qt::ItemIsEnabled);
    for (size_t i = 0; i < primerLessons().size(); ++i) {
        auto* item = new QTreeWidgetItem(primer, {utf8(primerLessons()[i].title)});
        item->setData(0, kLessonRole, int(i));
    }
    for (const Group& group : kGroups) {
        auto* parent = new QTreeWidgetItem(m_list, {QString::fromUtf8(group.caption)});
        parent->setFlags(Qt::ItemIsEnabled);
        for (const CommandInfo& entry : group.entries()) {
            QStringList words = entryWords(entry);
            auto* item = new QTreeWidgetItem(parent, {words.value(0)});
            item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&entry)));
            item->setToolTip(0, helpText(entry));
        }
    }
    m_list->expandAll();
}

const CommandInfo* HelpPage::entryOf(const QTreeWidgetItem* item)
{
    if (!item || lessonOf(item)) return nullptr;
    return reinterpret_cast<const CommandInfo*>(item->data(0, Qt::UserRole).value<quintptr>());
}

void HelpPage::showDetails(QTreeWidgetItem* item)
{
    if (const Lesson* lesson = lessonOf(item)) {
        m_try->setEnabled(true);
        m_details->setHtml(lessonHtml(*lesson));
        return;
    }
    const CommandInfo* entry = entryOf(item);
    m_try->setEnabled(entry && !entry->example.empty());
    if (!entry) {
        m_details->setHtml(
            "<p>Escolha um comando à esquerda, ou digite no campo acima para procurar.</p>"
            "<p>No editor: Ctrl+Espaço completa o comando, Ctrl+F procura, Ctrl+H troca, Ctrl+G vai "
            "para a linha, Ctrl+/ comenta, Ctrl+S grava. Um clique ao lado do número da linha marca "
            "um ponto de parada; Ctrl+F1 executa até a linha do cursor.</p>");
        return;
    }
    QStringList words = entryWords(*entry);
    QString html = "<h3>" + signatureHtml(words.value(0), *entry) + "</h3>";
    html += "<p>" + helpText(*entry).toHtmlEscaped() + "</p>";
    if (words.size() > 1) html += "<p><i>Também:</i> " + words.mid(1).join(", ").toHtmlEscaped() + "</p>";
    if (!entry->example.empty())
        html += "<p><b>Exemplo:</b></p><pre>" + utf8(entry->example).toHtmlEscaped() + "</pre>";
    m_details->setHtml(html);
}

void HelpPage::search(const QString& text)
{
    QString wanted = text.trimmed();
    for (int g = 0; g < m_list->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = m_list->topLevelItem(g);
        bool any = false;
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* item = group->child(i);
            const CommandInfo* entry = entryOf(item);
            const Lesson* lesson = lessonOf(item);
            QString haystack = entry ? utf8(entry->words) + " " + utf8(entry->params) + " " + helpText(*entry)
                                     : utf8(lesson->title) + " " + utf8(lesson->text) + " " + utf8(lesson->commands);
            bool shown = wanted.isEmpty() || haystack.contains(wanted, Qt::CaseInsensitive);
            item->setHidden(!shown);
            any = any || shown;
        }
        group->setHidden(!any);
    }
    // The first match is shown at once, so a search for one command needs no click.
    QTreeWidgetItem* current = m_list->currentItem();
    if (!current || current->isHidden()) {
        for (QTreeWidgetItemIterator it(m_list, QTreeWidgetItemIterator::NotHidden); *it; ++it)
            if (entryOf(*it) || lessonOf(*it)) {
                m_list->setCurrentItem(*it);
                return;
            }
        showDetails(nullptr);
    }
}

bool HelpPage::showCommand(const QString& word)
{
    for (QTreeWidgetItemIterator it(m_list); *it; ++it) {
        const CommandInfo* entry = entryOf(*it);
        if (entry && entryWords(*entry).contains(word)) {
            m_list->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

int HelpPage::commandCount() const
{
    int count = 0;
    for (QTreeWidgetItemIterator it(m_list); *it; ++it) count += entryOf(*it) ? 1 : 0;
    return count;
}

int HelpPage::visibleCount() const
{
    int count = 0;
    for (QTreeWidgetItemIterator it(m_list, QTreeWidgetItemIterator::NotHidden); *it; ++it)
        count += entryOf(*it) && !(*it)->parent()->isHidden() ? 1 : 0;
    return count;
}

bool HelpPage::showLesson(int index)
{
    for (QTreeWidgetItemIterator it(m_list); *it; ++it) {
        if ((*it)->data(0, kLessonRole).isValid() && (*it)->data(0, kLessonRole).toInt() == index) {
            m_list->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

bool HelpPage::tryExample()
{
    QTreeWidgetItem* current = m_list->currentItem();
    if (const Lesson* lesson = lessonOf(current)) return runExample(toCp1252(utf8(lesson->example)));
    const CommandInfo* entry = entryOf(current);
    if (!entry || entry->example.empty()) return false;
    return runExample(std::string(entry->example));
}

bool HelpPage::runExample(const std::string& example)
{
    Engine& engine = *m_context.engine;
    if (engine.state().isRunning) return false;
    std::vector<std::string> lines;
    std::string_view rest = example;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        lines.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    engine.script().setLines(std::move(lines));
    engine.execute("exemplo");
    // The user's lines go back into the engine, and a pause inside the example is not theirs to
    // continue.
    engine.script().setLines(m_context.editor->lines());
    if (engine.state().stopCaption == StopCaption::Cont) {
        engine.state().stopCaption = StopCaption::Stop;
        engine.state().pausedLine = -1;
    }
    m_context.editor->setRunLine(-1);
    m_context.refreshView();
    m_context.showPage("Ajuda");
    return true;
}

}  // namespace ludomat
