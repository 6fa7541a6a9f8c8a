#include "picture_corpus.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace ludomat::test {

namespace {

std::string trim(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '`'), s.end());
    s.erase(std::remove(s.begin(), s.end(), '*'), s.end());
    const auto first = s.find_first_not_of(" \t");
    const auto last = s.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

std::vector<std::string> cells(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string cell;
    std::getline(in, cell, '|'); // before the first bar
    while (std::getline(in, cell, '|'))
        out.push_back(trim(cell));
    return out;
}

bool isPictureName(const std::string& s)
{
    static const std::regex name(R"(^[A-Za-z0-9_./-]+\.(png|gif|jpg|bmp)$)");
    return std::regex_match(s, name);
}

void parseSize(const std::string& text, CorpusPicture& p)
{
    std::smatch m;
    static const std::regex size(R"((\d+)x-?(\d+))");
    if (std::regex_search(text, m, size)) {
        p.width = std::stoi(m[1]);
        p.height = std::stoi(m[2]);
    }
}

// Status words as the README uses them.
Expectation expectationOf(const std::string& status)
{
    if (status.find("cannot read") != std::string::npos)
        return Expectation::Either; // valid, but beyond an 8-bit decoder
    if (status.rfind("valid", 0) == 0 || status.rfind("good", 0) == 0)
        return Expectation::Loads;
    if (status.rfind("broken", 0) == 0)
        return Expectation::Fails;
    // "bad" BMP files must fail cleanly or be handled safely; questionable, damaged and
    // related-format files may go either way.
    return Expectation::Either;
}

CorpusPicture pngByName(const std::string& name)
{
    CorpusPicture p{"png", name, corpusFolder() + "/png/" + name};
    if (name[0] == 'x') {
        p.expectation = Expectation::Fails;
        return p;
    }
    p.expectation = Expectation::Loads;
    std::smatch m;
    static const std::regex sized(R"(^s(\d\d)[in])");
    const int side = name == "PngSuite.png" ? 256
                     : std::regex_search(name, m, sized) ? std::stoi(m[1])
                                                          : 32;
    p.width = p.height = side;
    // The pixel-aspect tests are the suite's other exception: flat 8x32, high 32x8,
    // square 8x8 (the unit one is 32x32).
    if (name.rfind("cdf", 0) == 0)
        p.width = 8;
    else if (name.rfind("cdh", 0) == 0)
        p.height = 8;
    else if (name.rfind("cds", 0) == 0)
        p.width = p.height = 8;
    return p;
}

} // namespace

std::string corpusFolder()
{
    if (const char* overridden = std::getenv("LUDOMAT_TEST_IMAGES"))
        return overridden;
    return LUDOMAT_TEST_IMAGES;
}

bool corpusAvailable()
{
    return fs::is_regular_file(fs::path(corpusFolder()) / "README.md");
}

std::vector<std::string> filesOnDisk()
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(corpusFolder())) {
        const std::string rel = fs::relative(entry.path(), corpusFolder()).generic_string();
        if (entry.is_regular_file() && isPictureName(entry.path().filename().string()))
            files.push_back(rel);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<CorpusPicture> readCorpus()
{
    std::vector<CorpusPicture> pictures;
    std::ifstream readme(corpusFolder() + "/README.md");
    std::string line, section;
    while (std::getline(readme, line)) {
        if (line.rfind("## ", 0) == 0) {
            section = line.substr(3, line.find('/') - 3);
            continue;
        }
        if (line.rfind("| ", 0) != 0 || section == "png")
            continue;
        const auto c = cells(line);
        if (c.size() < 5 || !isPictureName(c[0]))
            continue;
        CorpusPicture p{section, c[0], corpusFolder() + "/" + section + "/" + c[0]};
        // Columns differ per table: GIF has file, source, screen, images, features, status;
        // JPEG file, source, size, kind, status; BMP file, class, header size, size, ...
        const std::string status = section == "gif" ? c[5] : section == "jpeg" ? c[4] : c[1];
        p.expectation = expectationOf(status);
        parseSize(section == "gif" || section == "jpeg" ? c[2] : c[3], p);
        pictures.push_back(p);
    }
    for (const auto& entry : fs::directory_iterator(corpusFolder() + "/png")) {
        const std::string name = entry.path().filename().string();
        if (isPictureName(name))
            pictures.push_back(pngByName(name));
    }
    return pictures;
}

} // namespace ludomat::test
