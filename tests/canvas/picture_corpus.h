#pragma once

// The shared third-party test pictures and what their README says about each one.

#include <string>
#include <vector>

namespace ludomat::test {

enum class Expectation { Loads, Fails, Either };

struct CorpusPicture
{
    std::string folder;   // "png", "gif", "jpeg" or "bmp"
    std::string name;     // path below the folder, e.g. "g/pal8.bmp"
    std::string path;     // full path on disk
    Expectation expectation = Expectation::Either;
    int width = -1;       // stated size of a picture that loads; -1 when unknown
    int height = -1;
};

// The images folder beside the checkout.
std::string corpusFolder();
bool corpusAvailable();

// Every picture the README describes: the tables for GIF, JPEG and BMP, and for PNG the
// suite's naming convention (x* corrupt, sNN* N x N, the logo 256 x 256, the rest 32 x 32).
std::vector<CorpusPicture> readCorpus();

// Every picture file actually in the folder, as folder/name.
std::vector<std::string> filesOnDisk();

} // namespace ludomat::test
