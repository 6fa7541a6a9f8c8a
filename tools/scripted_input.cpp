#include "tools/scripted_input.h"

#include "engine/engine.h"
#include "engine/key_names.h"
#include "graphics/cp1252.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>

namespace ludomat {

namespace {

// Splits "WHAT@MS" at its last "@"; false when there is none or MS is not a whole number.
bool splitTime(const QString& value, QString* what, qint64* ms)
{
    qsizetype at = value.lastIndexOf('@');
    if (at < 0) return false;
    QString time = value.mid(at + 1);
    static const QRegularExpression kDigits("^\\d{1,9}$");
    if (!kDigits.match(time).hasMatch()) return false;
    *what = value.left(at);
    *ms = time.toLongLong();
    return true;
}

std::optional<ScreenPoint> parsePoint(const QString& text)
{
    static const QRegularExpression kPoint("^(-?\\d{1,6}),(-?\\d{1,6})$");
    auto match = kPoint.match(text);
    if (!match.hasMatch()) return std::nullopt;
    return ScreenPoint{match.captured(1).toInt(), match.captured(2).toInt()};
}

}  // namespace

std::optional<ScriptedEvent> parseScriptedEvent(ScriptedEvent::Kind kind, const QString& value, QString* error)
{
    ScriptedEvent event;
    event.kind = kind;
    QString what;
    if (!splitTime(value, &what, &event.atMs)) {
        *error = QString("\"%1\": falta @MS (milissegundos desde o início) no fim").arg(value);
        return std::nullopt;
    }
    switch (kind) {
    case ScriptedEvent::Kind::KeyDown:
    case ScriptedEvent::Kind::KeyUp: {
        auto code = keyCodeFromName(what.toStdString());
        if (!code) {
            *error = QString("tecla desconhecida \"%1\" (use Left, Up, Space, Enter, Esc, F1..F12, A..Z, 0..9)")
                         .arg(what);
            return std::nullopt;
        }
        event.key = *code;
        break;
    }
    case ScriptedEvent::Kind::Click:
    case ScriptedEvent::Kind::Release: {
        auto point = parsePoint(what);
        if (!point) {
            *error = QString("\"%1\": o clique espera X,Y@MS, por exemplo 100,50@0").arg(value);
            return std::nullopt;
        }
        event.point = *point;
        break;
    }
    case ScriptedEvent::Kind::Type:
        event.text = what;
        break;
    }
    return event;
}

std::optional<std::vector<ScriptedEvent>> scriptedEventsOf(const QCommandLineParser& parser, QString* error)
{
    using Kind = ScriptedEvent::Kind;
    const std::pair<const char*, Kind> options[] = {
        {"key-down", Kind::KeyDown}, {"key-up", Kind::KeyUp}, {"click", Kind::Click}, {"type", Kind::Type}};
    std::vector<ScriptedEvent> events;
    for (const auto& [name, kind] : options) {
        for (const QString& value : parser.values(name)) {
            QString why;
            auto event = parseScriptedEvent(kind, value, &why);
            if (!event) {
                if (error) *error = QString("--%1: %2").arg(name, why);
                return std::nullopt;
            }
            events.push_back(std::move(*event));
        }
    }
    return events;
}

void ScriptedInput::add(ScriptedEvent event)
{
    qint64 at = event.atMs;
    m_events.emplace(at, std::move(event));
}

std::optional<qint64> ScriptedInput::nextTime() const
{
    if (m_events.empty()) return std::nullopt;
    return m_events.begin()->first;
}

void ScriptedInput::deliverDue(Engine& engine, qint64 nowMs)
{
    // One event a round: on a busy machine several may fall due together, and the run must see
    // each key or button state (a press before its release, a release before the next press).
    if (m_events.empty() || m_events.begin()->first > nowMs) return;
    ScriptedEvent event = std::move(m_events.begin()->second);
    m_events.erase(m_events.begin());
    deliver(engine, event, nowMs);
}

void ScriptedInput::deliver(Engine& engine, const ScriptedEvent& event, qint64 nowMs)
{
    switch (event.kind) {
    case ScriptedEvent::Kind::KeyDown: engine.keyDown(event.key); break;
    // Any key going up clears the held key, as the window's key-up does.
    case ScriptedEvent::Kind::KeyUp: engine.keyUp(); break;
    case ScriptedEvent::Kind::Click: click(engine, event.point, nowMs); break;
    case ScriptedEvent::Kind::Release: engine.mouseReleased(event.point.x, event.point.y); break;
    case ScriptedEvent::Kind::Type: type(engine, event.text); break;
    }
}

void ScriptedInput::click(Engine& engine, ScreenPoint point, qint64 nowMs)
{
    m_pointer = point;
    const Bitmap& tela = engine.screen().tela;
    // Off the screen picture the press reaches no handler of the screen.
    if (point.x < 0 || point.y < 0 || point.x >= tela.width() || point.y >= tela.height()) return;
    engine.mouseMoved(point.x, point.y);
    engine.mousePressed(MouseButton::Left, point.x, point.y);
    ScriptedEvent release;
    release.kind = ScriptedEvent::Kind::Release;
    release.atMs = nowMs + kClickHoldMs;
    release.point = point;
    add(std::move(release));
}

void ScriptedInput::type(Engine& engine, const QString& text)
{
    const InputBox& box = engine.inputBox();
    if (!box.visible) {
        ++m_dropped;
        std::fprintf(stderr, "ludomat-run: nenhuma caixa de entrada visível; texto \"%s\" descartado\n",
                     qPrintable(text));
        return;
    }
    // Each typed character is upper-cased as it comes in; the offered text stays as it was.
    QString typed = box.upperCase ? text.toUpper() : text;
    engine.confirmInput(box.text + toCp1252(typed));
}

}  // namespace ludomat
