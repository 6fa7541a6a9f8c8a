#pragma once
// The settings file `Ludomat.ini`: four plain lines in the program folder, with no sections or
// keys: the script's file name, the game folder, the member e-mail and the member password.

#include <QString>

namespace ludomat {

inline constexpr char kSettingsFileName[] = "Ludomat.ini";

struct StudioSettings {
    QString scriptName = "prog01.scp";
    QString gameFolder;  // ends with "/"
    QString memberEmail;
    QString memberPassword;
};

// Reads `path` over `settings`: each line present replaces its value, lines past the fourth are
// ignored, and a missing file leaves everything as it was. False when there is no file.
bool readSettingsFile(const QString& path, StudioSettings& settings);

// Replaces the file whole. It holds a password, so only its owner may read it. False with the
// reason in `error` when it cannot be written.
bool writeSettingsFile(const QString& path, const StudioSettings& settings, QString* error = nullptr);

}  // namespace ludomat
