#pragma once
// Where the studio keeps its own files, and the private runtime folder Qt asks for.

#include <QString>

namespace ludomat {

// True when the executable sits in an installation's bin/ beside share/ludomat/.
bool runsFromInstallation();

// The executable's folder when it is writable (a build or a portable copy), otherwise, and always
// for an installed copy, the user's data folder, created when missing. Always ends with "/".
QString defaultProgramFolder();

// Adds the trailing "/" every folder name keeps.
QString withTrailingSlash(QString folder);

// Points XDG_RUNTIME_DIR at a private 0700 folder when it is unset, so Qt does not complain.
void ensureRuntimeFolder();

}  // namespace ludomat
