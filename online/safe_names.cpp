#include "online/safe_names.h"

namespace ludomat {

namespace {
// Longer names than this never come from our catalogue and only make odd folders.
constexpr int kMaxNameLength = 100;
}  // namespace

bool isSafeFileName(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength) return false;
    if (name.startsWith('.') || name.startsWith(' ') || name.endsWith(' ')) return false;
    if (name.contains("..")) return false;
    for (QChar c : name) {
        if (c == '/' || c == '\\' || c == ':' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0) return false;  // C1 controls
    }
    return true;
}

bool isScriptIdentifier(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.front().isDigit()) return false;
    for (QChar c : name)
        if (!(c == '_' || (c.unicode() < 0x80 && c.isLetterOrNumber()))) return false;
    return true;
}

}  // namespace ludomat
