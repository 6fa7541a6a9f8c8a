#include "studio/pages/watch_panel.h"

#include "engine/registers.h"
#include "engine/text_values.h"
#include "graphics/cp1252.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace ludomat {

namespace {

constexpr int kTop = 34;
constexpr int kRowHeight = 33;
constexpr int kFieldLeft = 10;
constexpr int kFieldWidth = 42;
constexpr int kLabelWidth = WatchPanel::kPanelWidth - WatchPanel::kLabelLeft - 6;
constexpr int kRowBoxHeight = 26;

QString slotName(const char* prefix, int slot)
{
    return QString("%1%2").arg(prefix).arg(slot, 2, 10, QChar('0'));
}

}  // namespace

WatchPanel::WatchPanel(EngineState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName("WatchPanel");
    auto* title = new QLabel("Registradores observados", this);
    title->setObjectName("WatchTitle");
    title->setGeometry(kFieldLeft, 6, kPanelWidth - kFieldLeft, 22);
    for (int k = 0; k < kWatchSlotCount; ++k) {
        auto* field = new QLineEdit(this);
        field->setObjectName(slotName("Dr", k));
        field->setGeometry(kFieldLeft, rowTop(k), kFieldWidth, kRowBoxHeight);
        field->setAlignment(Qt::AlignRight);
        field->setToolTip("Número do registrador; Enter confirma");
        field->installEventFilter(this);
        connect(field, &QLineEdit::returnPressed, this, [this, k] { slotEntered(k); });
        m_fields[size_t(k)] = field;

        auto* label = new QLabel(this);
        label->setObjectName(slotName("Rg", k));
        label->setGeometry(kLabelLeft, rowTop(k), kLabelWidth, kRowBoxHeight);
        // Register texts are shown as written, never as markup.
        label->setTextFormat(Qt::PlainText);
        m_labels[size_t(k)] = label;
    }
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("PegaRg");
    m_edit->setGeometry(kLabelLeft, rowTop(0), kLabelWidth, kRowBoxHeight);
    m_edit->setToolTip("Novo texto do registrador; Enter grava, Esc desiste");
    m_edit->installEventFilter(this);
    m_edit->hide();
    connect(m_edit, &QLineEdit::returnPressed, this, &WatchPanel::editEntered);
    showSlots();
}

int WatchPanel::rowTop(int slot) const { return kTop + slot * kRowHeight; }

void WatchPanel::showSlots()
{
    for (int k = 0; k < kWatchSlotCount; ++k) {
        int slot = m_state.watchSlots[size_t(k)];
        m_fields[size_t(k)]->setText(slot < 0 ? QString() : QString::number(slot));
    }
}

void WatchPanel::refresh()
{
    for (int k = 0; k < kWatchSlotCount; ++k) {
        int slot = m_state.watchSlots[size_t(k)];
        if (slot < 0 || slot > kMaxRegister) continue;
        m_labels[size_t(k)]->setText(fromCp1252(m_state.registers[slot]));
    }
}

void WatchPanel::slotEntered(int slot)
{
    QLineEdit* field = m_fields[size_t(slot)];
    auto number = parseInt(toCp1252(field->text()));
    // A slot past the last register would end the next run at its first watch refresh; such a
    // number is refused like any text that is not a register number.
    if (!number || *number > kMaxRegister) {
        field->clear();
        return;
    }
    if (*number >= 0) m_state.watchSlots[size_t(slot)] = *number;
    refresh();
}

void WatchPanel::placeLabel(int slot, bool selected)
{
    // The selected label steps aside to the right and keeps its right edge.
    int left = selected ? kSelectedLabelLeft : kLabelLeft;
    m_labels[size_t(slot)]->setGeometry(left, rowTop(slot), kLabelWidth - (left - kLabelLeft), kRowBoxHeight);
}

void WatchPanel::selectSlot(int slot)
{
    if (slot < 0 || slot >= kWatchSlotCount) return;
    placeLabel(m_selected, false);
    m_selected = slot;
    QLabel* label = m_labels[size_t(slot)];
    placeLabel(slot, true);
    m_edit->move(kLabelLeft, rowTop(slot));
    m_edit->setText(label->text());
    m_edit->show();
    m_edit->raise();
}

void WatchPanel::editEntered()
{
    int index = m_state.watchSlots[size_t(m_selected)];
    if (index >= 0 && index <= kMaxRegister) {
        m_state.registers[index] = toCp1252(m_edit->text());
        closeEdit();
        refresh();
        emit registerEdited(index);
        return;
    }
    closeEdit();
}

void WatchPanel::closeEdit()
{
    m_edit->clear();
    m_edit->hide();
    placeLabel(m_selected, false);
}

bool WatchPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int k = 0; k < kWatchSlotCount; ++k)
            if (watched == m_fields[size_t(k)]) selectSlot(k);
    } else if (watched == m_edit && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_edit->isVisible()) {
        closeEdit();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ludomat
