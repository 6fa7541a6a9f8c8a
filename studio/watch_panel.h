#pragma once
// The register watch panel of the page "Regs": eleven rows, each a field `Drkk` holding the
// number of the register watched by slot kk and a label `Rgkk` showing that register's text.

#include "engine/engine_state.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;

namespace ludomat {

class WatchPanel : public QWidget {
    Q_OBJECT
public:
    // Where the value labels start; the field sits left of it.
    static constexpr int kLabelLeft = 60;

    explicit WatchPanel(EngineState& state, QWidget* parent = nullptr);

    // Shows the watched registers' texts; slots watching nothing keep what they showed.
    void refresh();
    // Rewrites the fields from the slots (after the slots changed elsewhere).
    void showSlots();

private:
    void slotEntered(int slot);

    EngineState& m_state;
    std::array<QLineEdit*, kWatchSlotCount> m_fields{};
    std::array<QLabel*, kWatchSlotCount> m_labels{};
};

}  // namespace ludomat
