#pragma once
// Names that come from the network (catalogue lines, version-file lines) are hostile until
// checked: these tell a plain file name or script name from one that could write elsewhere.

#include <QString>

namespace ludomat {

// A single file name: not empty, at most 100 characters, no folder separator of any system, no
// drive colon, no control character, not "." or "..", no "..", and no leading dot or blank.
bool isSafeFileName(const QString& name);

// A catalogue script name: letters, digits and underscores, not starting with a digit.
bool isScriptIdentifier(const QString& name);

}  // namespace ludomat
