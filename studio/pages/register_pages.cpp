#include "studio/pages/register_pages.h"

#include "engine/engine.h"
#include "graphics/cp1252.h"
#include "studio/pages/watch_panel.h"
#include "studio/window/page_context.h"

#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

namespace ludomat {

namespace {

constexpr int kListLeft = WatchPanel::kPanelWidth + 12;
constexpr int kListTop = 34;
constexpr int kPageWidth = 607;
constexpr int kPageHeight = 420;

// A label that acts on a click, as "ver regs" does.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString& text, QWidget* parent, std::function<void()> action)
        : QLabel(text, parent), m_action(std::move(action))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) m_action();
    }

private:
    std::function<void()> m_action;
};

QListWidget* monospaceList(QWidget* parent, const char* name)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::Monospace);
    list->setFont(font);
    list->setUniformItemSizes(true);
    return list;
}

}  // namespace

QString registerRow(const EngineState& state, int index)
{
    const RegisterAlias* alias = state.aliases.lastAliasFor(index);
    QString name = alias ? fromCp1252(alias->name) : QString("%1").arg(index, 3, 10, QChar(' '));
    return name + ": " + fromCp1252(state.registers[index]);
}

RegisterPage::RegisterPage(const PageContext& context, QWidget* parent)
    : QWidget(parent), m_state(context.engine->state())
{
    setObjectName("Regs");
    setAttribute(Qt::WA_StyledBackground);
    m_watches = new WatchPanel(m_state, this);
    m_watches->setGeometry(0, 0, WatchPanel::kPanelWidth, kPageHeight);

    auto* title = new QLabel("Todos os registradores", this);
    title->setObjectName("RegsTitle");
    title->setGeometry(kListLeft, 6, 170, 22);
    auto* show = new LinkLabel("ver regs", this, [this] { refreshList(); });
    show->setObjectName("verRegs");
    show->setToolTip("Relê os registradores");
    show->setGeometry(kPageWidth - 80, 6, 70, 22);
    show->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_list = monospaceList(this, "Lbx1");
    m_list->setGeometry(kListLeft, kListTop, kPageWidth - kListLeft - 10, kPageHeight - kListTop - 10);
    refreshList();
}

void RegisterPage::refreshList()
{
    int selected = m_list->currentRow();
    if (m_list->count() != kListedRegisters) {
        m_list->clear();
        for (int i = 0; i < kListedRegisters; ++i) m_list->addItem(QString());
    }
    for (int i = 0; i < kListedRegisters; ++i) m_list->item(i)->setText(registerRow(m_state, i));
    if (selected >= 0) m_list->setCurrentRow(selected);
}

AliasPage::AliasPage(const PageContext& context, QWidget* parent) : QWidget(parent), m_state(context.engine->state())
{
    setObjectName("NomReg");
    setAttribute(Qt::WA_StyledBackground);
    auto* title = new QLabel("Nomes de registradores (defreg)", this);
    title->setObjectName("NomRegTitle");
    title->setGeometry(10, 6, 400, 22);
    m_list = monospaceList(this, "LstRegs");
    m_list->setGeometry(10, kListTop, kPageWidth - 20, kPageHeight - kListTop - 10);
}

void AliasPage::refreshList()
{
    // Rewritten rather than appended to, so showing the page twice does not list every name twice.
    m_list->clear();
    for (const RegisterAlias& alias : m_state.aliases.entries())
        m_list->addItem(fromCp1252(alias.name) + " : " + fromCp1252(alias.number));
}

}  // namespace ludomat
