#include "studio/watch_panel.h"

#include "engine/text_values.h"
#include "graphics/cp1252.h"

#include <QLabel>
#include <QLineEdit>

namespace ludomat {

namespace {

constexpr int kTop = 14;
constexpr int kRowHeight = 30;
constexpr int kFieldLeft = 10;
constexpr int kFieldWidth = 42;
constexpr int kLabelWidth = 520;
constexpr int kRowBoxHeight = 24;

QString slotName(const char* prefix, int slot)
{
    return QString("%1%2").arg(prefix).arg(slot, 2, 10, QChar('0'));
}

}  // namespace

WatchPanel::WatchPanel(EngineState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName("WatchPanel");
    for (int k = 0; k < kWatchSlotCount; ++k) {
        int y = kTop + k * kRowHeight;
        auto* field = new QLineEdit(this);
        field->setObjectName(slotName("Dr", k));
        field->setGeometry(kFieldLeft, y, kFieldWidth, kRowBoxHeight);
        field->setAlignment(Qt::AlignRight);
        connect(field, &QLineEdit::returnPressed, this, [this, k] { slotEntered(k); });
        m_fields[size_t(k)] = field;

        auto* label = new QLabel(this);
        label->setObjectName(slotName("Rg", k));
        label->setGeometry(kLabelLeft, y, kLabelWidth, kRowBoxHeight);
        // Register texts are shown as written, never as markup.
        label->setTextFormat(Qt::PlainText);
        m_labels[size_t(k)] = label;
    }
    showSlots();
}

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
        if (slot < 0) continue;
        // A slot set by hand past the last register shows nothing rather than failing.
        QString text = slot < RegisterTable::size() ? fromCp1252(m_state.registers[slot]) : QString();
        m_labels[size_t(k)]->setText(text);
    }
}

void WatchPanel::slotEntered(int slot)
{
    QLineEdit* field = m_fields[size_t(slot)];
    auto number = parseInt(toCp1252(field->text()));
    if (!number) {
        field->clear();
        return;
    }
    if (*number >= 0) m_state.watchSlots[size_t(slot)] = *number;
    refresh();
}

}  // namespace ludomat
