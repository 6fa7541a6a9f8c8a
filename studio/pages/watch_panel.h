#pragma once
// The register watches of the page "Regs": eleven rows, each a field `Drkk` holding the number
// of the register watched by slot kk and a label `Rgkk` showing that register's text. Clicking a
// field selects its slot; the edit `PegaRg` then lets the user change that register by hand.

#include "engine/engine_state.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;

namespace ludomat {

class WatchPanel : public QWidget {
    Q_OBJECT
public:
    // Where the value labels stand, and where the selected slot's label moves to.
    static constexpr int kLabelLeft = 60;
    static constexpr int kSelectedLabelLeft = 115;
    static constexpr int kPanelWidth = 330;

    explicit WatchPanel(EngineState& state, QWidget* parent = nullptr);

    // Shows the watched registers' texts; slots watching nothing keep what they showed.
    void refresh();
    // Rewrites the fields from the slots (after the slots changed elsewhere).
    void showSlots();

    // Selects slot `slot` and opens `PegaRg` on its row with the label's text.
    void selectSlot(int slot);
    int selectedSlot() const { return m_selected; }
    // The label `Rgkk` showing the text of the register slot kk watches.
    QLabel& valueLabel(int slot) { return *m_labels[size_t(slot)]; }

signals:
    // The user stored a text into a register through `PegaRg`.
    void registerEdited(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void slotEntered(int slot);
    void editEntered();
    void closeEdit();
    int rowTop(int slot) const;
    void placeLabel(int slot, bool selected);

    EngineState& m_state;
    std::array<QLineEdit*, kWatchSlotCount> m_fields{};
    std::array<QLabel*, kWatchSlotCount> m_labels{};
    QLineEdit* m_edit = nullptr;  // PegaRg
    int m_selected = 0;
};

}  // namespace ludomat
