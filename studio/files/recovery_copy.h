#pragma once
// The editor's text as it was a moment ago, kept beside the settings file while the user edits,
// so a crash or a power cut costs at most the last half minute of typing.

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace ludomat {

inline constexpr char kRecoveryFileName[] = "Ludomat.recuperar";

struct RecoveredScript {
    QString scriptPath;  // the file the lines belong to
    std::vector<std::string> lines;
};

class RecoveryCopy {
public:
    // The copy lives in the program folder; when that cannot be written, in `spareFolder` (by
    // default the user's data folder).
    explicit RecoveryCopy(QString programFolder, QString spareFolder = {});

    const QString& path() const { return m_path; }
    const QString& sparePath() const { return m_sparePath; }
    // Writes the copy; the path written, or empty when neither place can be written.
    QString save(const QString& scriptPath, const std::vector<std::string>& lines) const;
    // The copy left by an earlier session, if any (the program folder's first).
    std::optional<RecoveredScript> read() const;
    // True when the copy holds something the script file does not: the file differs or is gone.
    static bool differsFromFile(const RecoveredScript& copy);
    void remove() const;

private:
    QString m_path;
    QString m_sparePath;
};

}  // namespace ludomat
