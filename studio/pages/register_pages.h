#pragma once
// The register pages of the tool notebook: "Regs" (the watches and the list `Lbx1` of every
// register under its number or alias) and "NomReg" (the list `LstRegs` of the alias names).

#include "engine/engine_state.h"

#include <QWidget>

class QListWidget;

namespace ludomat {

struct PageContext;
class WatchPanel;

// One row of `Lbx1`: the number right-aligned to three places, or the last alias pointing at it,
// then ": " and the register's text.
QString registerRow(const EngineState& state, int index);

class RegisterPage : public QWidget {
    Q_OBJECT
public:
    // `Lbx1` lists the registers 0..249: the ones a "#" reference can read.
    static constexpr int kListedRegisters = 250;

    explicit RegisterPage(const PageContext& context, QWidget* parent = nullptr);

    WatchPanel& watches() { return *m_watches; }
    QListWidget& list() { return *m_list; }  // Lbx1
    // Rewrites `Lbx1` from the registers, keeping its selected row ("ver regs", F3).
    void refreshList();

private:
    EngineState& m_state;
    WatchPanel* m_watches = nullptr;
    QListWidget* m_list = nullptr;
};

class AliasPage : public QWidget {
    Q_OBJECT
public:
    explicit AliasPage(const PageContext& context, QWidget* parent = nullptr);
    // Rewrites `LstRegs`, one row per alias in the order they were defined.
    void refreshList();

private:
    EngineState& m_state;
    QListWidget* m_list = nullptr;
};

}  // namespace ludomat
