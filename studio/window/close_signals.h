#pragma once
// The signals that end a session from outside (SIGTERM at shutdown, SIGHUP when the terminal or
// the login goes, SIGINT from Ctrl+C) reach the event loop as an ordinary call, so the studio
// closes as its close button would and saves the user's work. The handler itself only writes the
// signal's number to a pipe, the one thing it may safely do.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace ludomat {

class CloseSignals : public QObject {
public:
    // `onSignal` runs in the event loop with the signal's number. One instance at a time.
    explicit CloseSignals(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~CloseSignals() override;

    // False when the pipe could not be made; the signals then keep their default action.
    bool isActive() const { return m_notifier != nullptr; }

private:
    void readSignals();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace ludomat
