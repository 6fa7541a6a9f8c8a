// The web runtime runs the commands the table marks as never waiting outside the loop that can
// stop for the browser: one of them that waited would wreck the run there. Every command's own
// example runs here under a host that records waits; a marked command must never wait, with its
// example or with generated parameters, and the waiting commands must be seen waiting, so the
// recording is known to work.

#include "engine/command_table.h"
#include "engine/engine.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace ludomat;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

class WaitRecordingHost : public Host {
public:
    int waits = 0;
    Clock::time_point deadline = Clock::now();

    void processEvents() override { ++waits; }
    void sleepFor(std::chrono::nanoseconds) override { ++waits; }
    // Waits for a key or a click would never end here.
    bool abortRequested() override { return Clock::now() >= deadline; }
};

class NeverWaitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("ludomat-never-waits-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Waits recorded while the script's lines run in a fresh engine with a temporary game folder.
    int waitsOf(const std::string& text)
    {
        WaitRecordingHost host;
        Engine engine(&host);
        engine.setGameFolder(m_folder.string());
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        lines.push_back(text.substr(start));
        engine.script().setLines(std::move(lines));
        host.deadline = Clock::now() + std::chrono::milliseconds(60);
        engine.execute("teste");
        return host.waits;
    }

    static std::string firstWord(std::string_view words) { return std::string(words.substr(0, words.find(' '))); }

    fs::path m_folder;
};

TEST_F(NeverWaitsTest, NoMarkedCommandWaitsInItsExampleAndTheWaitingOnesAreSeenWaiting)
{
    std::set<std::string> waited;
    int marked = 0;
    for (const CommandInfo* info : CommandTable::instance().entries()) {
        if (info->example.empty()) continue;
        const std::string word = firstWord(info->words);
        const int waits = waitsOf(std::string(info->example));
        if (waits > 0) waited.insert(std::string(info->words));
        if (info->neverWaits) {
            ++marked;
            EXPECT_NE(info->handler, nullptr) << word;
            EXPECT_EQ(waits, 0) << word << " is marked as never waiting, but its example waited";
        }
    }
    EXPECT_GE(marked, 5);
    // The recording sees real waits: a pause sleeps and a wait for a key lets messages run.
    std::string all;
    for (const std::string& words : waited) all += " " + words + " ";
    EXPECT_NE(all.find(" pausa "), std::string::npos) << "waits recorded for:" << all;
    EXPECT_NE(all.find(" stop "), std::string::npos) << "waits recorded for:" << all;
}

// Each marked command with parameters drawn from texts that reach its odd paths (register
// references, empty, huge, negative, zero, words); a jump goes forward to a label, so no run loops.
TEST_F(NeverWaitsTest, MarkedCommandsNeverWaitWithGeneratedParameters)
{
    const std::vector<std::string> pool = {"",   "0",  "1",  "2", "-7",   "2147483647", "99999999999",
                                           "#1", "#2", "#0", "x", "alvo", "~",          "3,5"};
    const unsigned seed = 2612;
    std::mt19937 random(seed);
    for (const CommandInfo* info : CommandTable::instance().entries()) {
        if (!info->neverWaits) continue;
        const std::string word = firstWord(info->words);
        for (int trial = 0; trial < 25; ++trial) {
            std::string line = word + " ";
            for (int p = 0; p < 3; ++p) line += (p ? "," : "") + pool[random() % pool.size()];
            const std::string script = "reg= 1,4\nreg= 2,alvo\n" + line + "\n:alvo\ninc 3\n";
            EXPECT_EQ(waitsOf(script), 0) << "seed " << seed << ", trial " << trial << ": " << line;
        }
    }
}

}  // namespace
