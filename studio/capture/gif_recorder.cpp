#include "studio/capture/gif_recorder.h"

#include <QFile>

#include <gif_lib.h>

#include <algorithm>
#include <unordered_set>

namespace ludomat {

namespace {

constexpr int kPaletteSize = 256;
// Past this many remembered colours the nearest-colour memory starts over, so a recording of
// photographs cannot grow it without end.
constexpr size_t kMaxRememberedColours = 1u << 20;

// The colour cube that fills the palette slots a first screen leaves free: later frames' new
// colours find a near neighbour there.
std::vector<uint32_t> colourCube()
{
    std::vector<uint32_t> cube;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                cube.push_back(uint32_t(r * 255 / 5) << 16 | uint32_t(g * 255 / 6) << 8 | uint32_t(b * 255 / 5));
    return cube;
}

int distance(uint32_t a, uint32_t b)
{
    int dr = int(a >> 16 & 0xFF) - int(b >> 16 & 0xFF);
    int dg = int(a >> 8 & 0xFF) - int(b >> 8 & 0xFF);
    int db = int(a & 0xFF) - int(b & 0xFF);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}  // namespace

int gifWrite(GifFileType* gif, const unsigned char* bytes, int length)
{
    auto* self = static_cast<GifRecorder*>(gif->UserData);
    size_t written = std::fwrite(bytes, 1, size_t(length), self->m_file);
    self->m_bytes += written;
    return int(written);
}

GifRecorder::GifRecorder() = default;

GifRecorder::~GifRecorder()
{
    abandon();
}

bool GifRecorder::start(const QString& path, QString* error)
{
    abandon();
    m_path = path;
    m_partPath = path + ".part";
    m_file = std::fopen(QFile::encodeName(m_partPath).constData(), "wb");
    if (!m_file) {
        if (error) *error = QString("Não foi possível criar %1.").arg(path);
        return false;
    }
    int code = 0;
    m_gif = EGifOpen(this, gifWrite, &code);
    if (!m_gif) {
        abandon();
        if (error) *error = QString("Não foi possível gravar o GIF: %1").arg(GifErrorString(code));
        return false;
    }
    m_bytes = 0;
    m_frames = 0;
    m_kept = 0;
    m_failed = false;
    m_palette.clear();
    m_lookup.clear();
    m_pending = Bitmap();
    return true;
}

void GifRecorder::choosePalette(const Bitmap& first)
{
    // The first screen's own colours exactly when they leave room for the pure colours (every
    // mix of 0, 128 and 255) that games draw with later; the rest of the palette is a finer cube
    // where later colours find a near neighbour.
    constexpr size_t kOwnColours = kPaletteSize - 27;
    std::unordered_set<uint32_t> seen;
    for (int y = 0; y < first.height() && seen.size() <= kOwnColours; ++y)
        for (int x = 0; x < first.width() && seen.size() <= kOwnColours; ++x) seen.insert(first.pixel(x, y));
    if (seen.size() <= kOwnColours) m_palette.assign(seen.begin(), seen.end());
    std::sort(m_palette.begin(), m_palette.end());
    std::unordered_set<uint32_t> taken(m_palette.begin(), m_palette.end());
    auto add = [&](uint32_t colour) {
        if (m_palette.size() < size_t(kPaletteSize) && taken.insert(colour).second) m_palette.push_back(colour);
    };
    for (uint32_t r : {0u, 128u, 255u})
        for (uint32_t g : {0u, 128u, 255u})
            for (uint32_t b : {0u, 128u, 255u}) add(r << 16 | g << 8 | b);
    for (uint32_t colour : colourCube()) add(colour);
    while (m_palette.size() < size_t(kPaletteSize)) m_palette.push_back(0);
    for (size_t i = 0; i < m_palette.size(); ++i) m_lookup.try_emplace(m_palette[i], uint8_t(i));
}

uint8_t GifRecorder::indexOf(uint32_t colour)
{
    auto it = m_lookup.find(colour);
    if (it != m_lookup.end()) return it->second;
    size_t best = 0;
    for (size_t i = 1; i < m_palette.size(); ++i)
        if (distance(colour, m_palette[i]) < distance(colour, m_palette[best])) best = i;
    if (m_lookup.size() >= kMaxRememberedColours) {
        m_lookup.clear();
        for (size_t i = 0; i < m_palette.size(); ++i) m_lookup.try_emplace(m_palette[i], uint8_t(i));
    }
    m_lookup.emplace(colour, uint8_t(best));
    return uint8_t(best);
}

bool GifRecorder::writePending(int64_t untilMs)
{
    const Bitmap& frame = m_pending;
    if (m_frames == 0) {
        choosePalette(frame);
        std::vector<GifColorType> colours(m_palette.size());
        for (size_t i = 0; i < m_palette.size(); ++i)
            colours[i] = {GifByteType(m_palette[i] >> 16), GifByteType(m_palette[i] >> 8), GifByteType(m_palette[i])};
        ColorMapObject* map = GifMakeMapObject(kPaletteSize, colours.data());
        EGifSetGifVersion(m_gif, true);
        bool ok = map && EGifPutScreenDesc(m_gif, frame.width(), frame.height(), 8, 0, map) == GIF_OK;
        GifFreeMapObject(map);
        // Loop for ever, as a shared animation is expected to.
        static const GifByteType netscape[] = "NETSCAPE2.0";
        static const GifByteType loop[] = {1, 0, 0};
        ok = ok && EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
             EGifPutExtensionBlock(m_gif, 11, netscape) == GIF_OK && EGifPutExtensionBlock(m_gif, 3, loop) == GIF_OK &&
             EGifPutExtensionTrailer(m_gif) == GIF_OK;
        if (!ok) return false;
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    control.DelayTime = int(std::max<int64_t>(kMinDelayCs, (untilMs - m_pendingAt + 5) / 10));
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK) return false;
    if (EGifPutImageDesc(m_gif, 0, 0, frame.width(), frame.height(), false, nullptr) != GIF_OK) return false;
    std::vector<GifPixelType> row(size_t(frame.width()));
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) row[size_t(x)] = indexOf(frame.pixel(x, y));
        if (EGifPutLine(m_gif, row.data(), frame.width()) != GIF_OK) return false;
    }
    ++m_frames;
    return true;
}

GifRecorder::Status GifRecorder::addFrame(const Bitmap& screen, int64_t atMs)
{
    if (!m_gif || m_failed) return Status::Failed;
    if (!m_pending.isEmpty() && (screen.width() != m_pending.width() || screen.height() != m_pending.height())) {
        // The screen changed size (a mode change): the GIF keeps its first size, so it ends here.
        return Status::ScreenResized;
    }
    if (atMs >= std::chrono::milliseconds(kMaxDuration).count()) return Status::TimeLimit;
    if (!m_pending.isEmpty() && screen == m_pending) return Status::Recording;
    if (!m_pending.isEmpty() && !writePending(atMs)) {
        m_failed = true;
        return Status::Failed;
    }
    m_pending = screen;
    m_pendingAt = atMs;
    ++m_kept;
    return m_bytes >= kMaxBytes ? Status::SizeLimit : Status::Recording;
}

int GifRecorder::finish(int64_t atMs, QString* error)
{
    if (!m_gif) return -1;
    bool ok = !m_failed;
    if (ok && !m_pending.isEmpty()) ok = writePending(atMs);
    int code = 0;
    ok = EGifCloseFile(m_gif, &code) == GIF_OK && ok;
    m_gif = nullptr;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    ok = ok && m_frames > 0;
    if (ok) {
        QFile::remove(m_path);
        ok = QFile::rename(m_partPath, m_path);
    }
    if (!ok) {
        QFile::remove(m_partPath);
        if (error) *error = QString("Não foi possível gravar o GIF %1.").arg(m_path);
        return -1;
    }
    m_pending = Bitmap();
    return m_frames;
}

void GifRecorder::abandon()
{
    if (m_gif) {
        int code = 0;
        EGifCloseFile(m_gif, &code);
        m_gif = nullptr;
    }
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        QFile::remove(m_partPath);
    }
}

}  // namespace ludomat
