#pragma once
// An animation strip: one picture holding equal frames side by side (or stacked), cut by the
// frame count and orientation given when it was loaded.

#include "graphics/bitmap.h"
#include "graphics/rect.h"

#include <string>

namespace ludomat {

class FrameStrip {
public:
    Bitmap picture;

    // The name the picture was loaded from; loading the same name again keeps the picture.
    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    // Cuts the picture into `count` frames along one axis. A count below 1 counts as 1: the
    // whole picture is one frame, rather than a division by zero.
    void setLayout(int count, bool vertical);

    int frameCount() const { return m_count; }
    int frameWidth() const { return m_width; }
    int frameHeight() const { return m_height; }
    bool isVertical() const { return m_vertical; }
    bool hasFrame(int n) const { return n >= 0 && n < m_count; }

    // Frame n's rectangle in the picture.
    Rect frameRect(int n) const;

    // Whether the point (dx, dy) of frame n, counted from the frame's top-left corner, is an
    // opaque pixel. Points outside the frame, and frames that do not exist, are never opaque.
    bool isOpaqueAt(int n, int dx, int dy) const;

private:
    std::string m_name;
    int m_count = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_vertical = false;
};

}  // namespace ludomat
