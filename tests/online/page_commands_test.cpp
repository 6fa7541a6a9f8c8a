// The page command queue with downloads that answer later, as the network does: the rules after
// a download wait for its answer, and a new queue replaces one that waits.

#include "online/page_commands.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

using namespace ludomat;

namespace {

// Records what the queue asked for; downloads wait until the test answers them.
class DeferredHost : public PageCommandHost {
public:
    void download(const QString&, const QString& fileName, std::function<void(bool)> done) override
    {
        calls.push_back("download:" + fileName.toStdString());
        pending.push_back(std::move(done));
    }
    void showIndicator(bool shown) override { indicator = shown; }
    void fillEntries(const std::vector<OptionEntryText>&) override { calls.push_back("fill"); }
    void navigate(const QString& page) override { calls.push_back("navigate:" + page.toStdString()); }
    void openWorkFolder(const QString&) override { calls.push_back("folder"); }
    void executeScript() override { calls.push_back("execute"); }
    void showRegisters() override { calls.push_back("registers"); }
    bool loadScript(const QString&, const QString& fileName) override
    {
        calls.push_back("load:" + fileName.toStdString());
        return loads;
    }
    void refuse(const QString&) override { calls.push_back("refused"); }

    // Answers the oldest download still waiting.
    void answer(bool ok)
    {
        auto done = std::move(pending.front());
        pending.erase(pending.begin());
        done(ok);
    }

    std::vector<std::string> calls;
    std::vector<std::function<void(bool)>> pending;
    bool indicator = false;
    bool loads = true;
};

using Calls = std::vector<std::string>;

}  // namespace

TEST(PageCommands, RulesAfterADownloadWaitForItsAnswer)
{
    QTemporaryDir program;
    const struct {
        const char* queue;
        std::vector<bool> answers;  // one per download, in order
        bool loads;
        Calls expected;
    } cases[] = {
        {"loadarq,a.png,showreg", {false}, true, {"download:a.png", "registers"}},
        {"loadscp,s.scp,exescp,showreg", {true}, true, {"download:s.scp", "load:s.scp", "execute", "registers"}},
        // A failed download still loads the copy there; a failed load stops the queue.
        {"loadscp,s.scp,exescp", {false}, false, {"download:s.scp", "load:s.scp"}},
        {"mkdir,p,loadarq,a.png,loadarq,b.png,showreg",
         {true, true},
         true,
         {"folder", "download:a.png", "download:b.png", "registers"}},
        {"x.txt,showreg", {false}, true, {"download:x.txt", "registers"}},
    };
    for (const auto& c : cases) {
        DeferredHost host;
        host.loads = c.loads;
        PageCommands commands(host, program.path() + "/");
        commands.run(c.queue);
        for (bool ok : c.answers) {
            ASSERT_EQ(host.pending.size(), 1u) << c.queue;
            EXPECT_TRUE(commands.isBusy() && host.indicator) << c.queue;
            host.answer(ok);
        }
        EXPECT_TRUE(host.pending.empty()) << c.queue;
        EXPECT_FALSE(commands.isBusy() || host.indicator) << c.queue;
        EXPECT_EQ(host.calls, c.expected) << c.queue;
    }
}

TEST(PageCommands, ANewQueueReplacesOneThatWaits)
{
    QTemporaryDir program;
    DeferredHost host;
    PageCommands commands(host, program.path() + "/");
    commands.run("loadscp,velho.scp,exescp");
    commands.run("showreg");
    EXPECT_FALSE(host.indicator);
    host.answer(true);
    EXPECT_EQ(host.calls, (Calls{"download:velho.scp", "registers"}));
    EXPECT_FALSE(commands.isBusy());
}
