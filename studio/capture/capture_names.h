#pragma once
// The names under which the studio saves pictures of the screen into a game folder: "tela-" for a
// photo and "jogo-" for a GIF, then the date and time ("20261207-141502"), then "-2", "-3"... when
// several are taken in one second. The exporter leaves such files out of an exported game.

#include <QRegularExpression>
#include <QString>

namespace ludomat {

inline constexpr char kScreenshotPrefix[] = "tela";
inline constexpr char kScreenshotExtension[] = ".png";
inline constexpr char kRecordingPrefix[] = "jogo";
inline constexpr char kRecordingExtension[] = ".gif";
inline constexpr char kCaptureStampFormat[] = "yyyyMMdd-HHmmss";

// Whether `fileName` (a name without folders) is one the studio gave a photo or a recording.
inline bool isScreenCaptureName(const QString& fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(%1-\\d{8}-\\d{6}(-\\d+)?\\%2|%3-\\d{8}-\\d{6}(-\\d+)?\\%4)$")
            .arg(kScreenshotPrefix, kScreenshotExtension, kRecordingPrefix, kRecordingExtension));
    return pattern.match(fileName).hasMatch();
}

}  // namespace ludomat
