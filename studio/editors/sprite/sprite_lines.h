#pragma once
// Finding a sprite's "loadsprite" or "sprite" command in a script line and rewriting single
// parameters of it, so that writing a sprite back keeps the script's own text: prefixes such as
// "if= 13,0,", register references, aliases, blanks and the parameters nobody changed.

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ludomat {

// Where each parameter of a command lies in its line: [start, end) character positions.
using ParameterSpans = std::vector<std::pair<int, int>>;

// The parameters of the command `word` whose first parameter is `name`, when `line` holds one:
// as the line's own command, or named by a parameter of it as "if= r,v,sprite,name,..." does.
// Comments, labels and other commands hold none.
std::optional<ParameterSpans> findSpriteCommand(const QString& line, const QString& word, const QString& name);

// `line` with the parameters `changes` (index from 0, the name) of that command set to new
// texts; everything else stays as it was. A change beyond the last parameter appends, filling
// the parameters in between with `fill(index)`.
QString rewriteParameters(const QString& line, const ParameterSpans& params, const std::map<int, QString>& changes,
                          const std::function<QString(int)>& fill);

}  // namespace ludomat
