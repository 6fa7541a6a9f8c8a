#pragma once
// Keys, clicks and typed answers given in advance, delivered to the engine at their times as a
// window would deliver them: only when the run lets pending messages run.

#include "engine/host.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class QCommandLineParser;

namespace ludomat {

class Engine;

// A click's release comes at least this long after its press, so it always lands in a later
// message round and "stop" sees the button held.
constexpr qint64 kClickHoldMs = 30;

struct ScriptedEvent {
    enum class Kind { KeyDown, KeyUp, Click, Type, Release };
    Kind kind = Kind::KeyDown;
    qint64 atMs = 0;       // milliseconds after the start of the run
    int32_t key = 0;       // virtual-key code (KeyDown, KeyUp)
    ScreenPoint point;     // Click, Release
    QString text;          // Type
};

// Reads an option value: "NAME@MS" for keys, "X,Y@MS" for clicks, "TEXT@MS" for typing (the last
// "@" separates the time, so the text may hold "@"). On failure returns nothing and says why in
// `error` (Portuguese, for the usage message).
std::optional<ScriptedEvent> parseScriptedEvent(ScriptedEvent::Kind kind, const QString& value, QString* error);

// The events of the options "key-down", "key-up", "click" and "type" that `parser` has read (it
// must know all four), kind by kind in that order. On a bad value returns nothing and says why in
// `error`, naming the option.
std::optional<std::vector<ScriptedEvent>> scriptedEventsOf(const QCommandLineParser& parser, QString* error);

class ScriptedInput {
public:
    void add(ScriptedEvent event);
    bool empty() const { return m_events.empty(); }
    // When the next event is due, or nothing when none is left.
    std::optional<qint64> nextTime() const;

    // Delivers the earliest event due at `nowMs`, one a message round, so the run sees every key
    // and button state in turn. Handlers may start runs that come back here for their own message
    // rounds; each event is taken off the queue before it is delivered.
    void deliverDue(Engine& engine, qint64 nowMs);

    // Where the last click put the pointer; nothing before the first click.
    std::optional<ScreenPoint> pointer() const { return m_pointer; }
    // Typed texts dropped because no input box was shown.
    int droppedTexts() const { return m_dropped; }

private:
    void deliver(Engine& engine, const ScriptedEvent& event, qint64 nowMs);
    void click(Engine& engine, ScreenPoint point, qint64 nowMs);
    void type(Engine& engine, const QString& text);

    // Equal times keep the order they were given in.
    std::multimap<qint64, ScriptedEvent> m_events;
    std::optional<ScreenPoint> m_pointer;
    int m_dropped = 0;
};

}  // namespace ludomat
