#pragma once
// Writes an animated GIF frame by frame as the screen changes: one shared palette for all frames,
// each frame shown for the real time until the next one, at most kMaxDuration and about
// kMaxBytes. Frames go to the file as they come, so a long recording holds one frame in memory.

#include "graphics/bitmap.h"

#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <vector>

struct GifFileType;

namespace ludomat {

class GifRecorder {
public:
    // Long enough for a scene to show off, short enough to share.
    static constexpr std::chrono::seconds kMaxDuration{30};
    static constexpr size_t kMaxBytes = 20u * 1024 * 1024;
    // A GIF counts time in hundredths; browsers slow down delays below two.
    static constexpr int kMinDelayCs = 2;

    enum class Status { Recording, TimeLimit, SizeLimit, ScreenResized, Failed };

    GifRecorder();
    ~GifRecorder();

    // Starts a file at `path` (written beside it first, put in place by finish()).
    bool start(const QString& path, QString* error = nullptr);
    // Offers the screen at `atMs` milliseconds since the recording began; a screen equal to the
    // last frame only lengthens that frame. Returns the status after it: anything but
    // Recording means the caller should finish().
    Status addFrame(const Bitmap& screen, int64_t atMs);
    // Writes the last frame and closes the file; the number of frames written, or -1 on failure.
    int finish(int64_t atMs, QString* error = nullptr);
    bool isRecording() const { return m_gif != nullptr; }
    int frameCount() const { return m_frames; }
    // The different screens taken so far, the one still waiting for its delay included.
    int keptFrames() const { return m_kept; }

private:
    void choosePalette(const Bitmap& first);
    uint8_t indexOf(uint32_t colour);
    bool writePending(int64_t untilMs);
    void abandon();

    GifFileType* m_gif = nullptr;
    std::FILE* m_file = nullptr;
    size_t m_bytes = 0;
    QString m_path;
    QString m_partPath;
    std::vector<uint32_t> m_palette;
    std::unordered_map<uint32_t, uint8_t> m_lookup;
    Bitmap m_pending;
    int64_t m_pendingAt = 0;
    int m_frames = 0;
    int m_kept = 0;
    bool m_failed = false;

    friend int gifWrite(GifFileType*, const unsigned char*, int);
};

}  // namespace ludomat
