#pragma once

#include "graphics/bitmap.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace ludomat::test {

// The pixels of colour c in a bitmap, as "x,y" strings, for readable failure messages.
inline std::vector<std::string> pixelsOf(const Bitmap& b, Rgb c)
{
    std::vector<std::string> found;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) == c)
                found.push_back(std::to_string(x) + "," + std::to_string(y));
    return found;
}

inline int countOf(const Bitmap& b, Rgb c)
{
    return int(pixelsOf(b, c).size());
}

// Checks a table of pixels of a bitmap: x, y and the colour expected there.
inline void expectPixels(const Bitmap& b, std::initializer_list<std::tuple<int, int, Rgb>> pixels)
{
    for (auto [x, y, colour] : pixels)
        EXPECT_EQ(b.pixel(x, y), colour) << "pixel " << x << "," << y;
}

// A scratch folder removed after the test.
class TempFolder
{
public:
    std::string file(const std::string& name) const
    {
        return QDir(m_dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace ludomat::test
