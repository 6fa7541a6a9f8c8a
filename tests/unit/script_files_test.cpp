// Script files on disk: every line-end style reads back, writes are whole or not at all, and the
// engine's file commands find scripts in the game folder.

#include "engine/script_files.h"
#include "engine/engine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <fstream>

using namespace ludomat;
namespace fs = std::filesystem;

namespace {

struct TempFolder {
    fs::path path;
    TempFolder()
    {
        char pattern[] = "/tmp/ludomat-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { fs::remove_all(path); }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

}  // namespace

TEST(ScriptText, EveryLineEndStyleReadsTheSameLines)
{
    const std::vector<std::string> expected{"a", "", "b"};
    EXPECT_EQ(splitScriptText("a\r\n\r\nb\r\n"), expected);
    EXPECT_EQ(splitScriptText("a\n\nb"), expected);
    EXPECT_EQ(splitScriptText("a\r\rb\r"), expected);
    EXPECT_EQ(splitScriptText("a\r\n\nb"), expected);
    EXPECT_TRUE(splitScriptText("").empty());
    EXPECT_EQ(splitScriptText("\r\n"), std::vector<std::string>{""});
    EXPECT_EQ(joinScriptLines({"x", "y"}), "x\r\ny\r\n");
}

TEST(ScriptFiles, WriteReplacesWholeFilesAndKeepsBytes)
{
    TempFolder folder;
    fs::path file = folder.path / "prog01.scp";
    std::vector<std::string> lines{"reg= 1,\xE7\xE3o \xA7", "fim"};
    ASSERT_TRUE(writeScriptFile(file, lines));
    EXPECT_EQ(folder.read("prog01.scp"), "reg= 1,\xE7\xE3o \xA7\r\nfim\r\n");
    ASSERT_TRUE(writeScriptFile(file, {"curto"}));
    EXPECT_EQ(*readScriptFile(file), std::vector<std::string>{"curto"});
    for (const auto& entry : fs::directory_iterator(folder.path))
        EXPECT_EQ(entry.path().filename(), "prog01.scp") << "a temporary file was left behind";
}

TEST(ScriptFiles, PrivateFilesAreReadableByTheOwnerOnly)
{
    TempFolder folder;
    fs::path file = folder.path / "Ludomat.ini";
    ASSERT_TRUE(writeFileAtomically(file, "a\r\n", nullptr, true));
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(ScriptFiles, FailuresAreReportedAndLoseNothing)
{
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(writeScriptFile(folder.path / "no-such-folder" / "x.scp", {"a"}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(readScriptFile(folder.path / "missing.scp", &error));
    EXPECT_FALSE(readScriptFile(folder.path, &error));
}

TEST(ScriptFiles, WritesNeverFollowAPlantedLinkAndKeepTheFilesOwnWays)
{
    TempFolder folder;
    folder.write("victim.txt", "secret");
    folder.write("jogo.scp", "old\r\n");
    ASSERT_EQ(chmod((folder.path / "jogo.scp").c_str(), 0640), 0);
    // A game folder shipping the old fixed temporary name as a link to another file.
    fs::create_symlink(folder.path / "victim.txt", folder.path / "jogo.scp.tmp~");
    ASSERT_TRUE(writeScriptFile(folder.path / "jogo.scp", {"new"}));
    EXPECT_EQ(folder.read("jogo.scp"), "new\r\n");
    EXPECT_EQ(folder.read("victim.txt"), "secret");
    struct stat info {};
    ASSERT_EQ(stat((folder.path / "jogo.scp").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";

    // A script that is a link is saved into the file it points to; the link stays.
    fs::create_directory(folder.path / "real");
    folder.write("real/alvo.scp", "a\r\n");
    fs::create_symlink("real/alvo.scp", folder.path / "atalho.scp");
    ASSERT_TRUE(writeScriptFile(folder.path / "atalho.scp", {"b"}));
    EXPECT_TRUE(fs::is_symlink(folder.path / "atalho.scp"));
    EXPECT_EQ(folder.read("real/alvo.scp"), "b\r\n");

    // Told to, a link is replaced by the new file and its target is left alone.
    fs::create_symlink(folder.path / "victim.txt", folder.path / "foto.jpg");
    ASSERT_TRUE(writeFileAtomically(folder.path / "foto.jpg", "jpeg", nullptr, false, LinkPolicy::ReplaceLink));
    EXPECT_FALSE(fs::is_symlink(folder.path / "foto.jpg"));
    EXPECT_EQ(folder.read("foto.jpg"), "jpeg");
    EXPECT_EQ(folder.read("victim.txt"), "secret");
    for (const auto& entry : fs::directory_iterator(folder.path)) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "jogo.scp.tmp~" || name.find("tmp~") == std::string::npos) << name << " was left behind";
    }
}

TEST(ScriptFiles, ReturnToADeletedCallerEndsTheRunWithTheFileError)
{
    TempFolder folder;
    folder.write("sub.scp", "reg= 1,in sub\r\nreturn\r\n");
    Engine engine;
    engine.setGameFolder(folder.path.string());
    engine.script().setLines({"gosub sub", "reg= 2,back"});
    // The caller's own file was never saved, so the return cannot load it.
    engine.execute("prog01.scp");
    ASSERT_TRUE(engine.lastError());
    EXPECT_EQ(engine.lastError()->kind, ErrorKind::File);
    EXPECT_NE(engine.lastError()->message.find("prog01.scp"), std::string::npos);
    EXPECT_EQ(engine.state().registers[1], "in sub");
}

// Scripts name files in Windows-1252; the studio and file managers write UTF-8 names. An accented
// name must reach the file whichever way it was spelled on disk, and a new file is spelled in UTF-8.
TEST(ScriptFiles, AccentedNamesFindFilesSavedInEitherEncoding)
{
    const std::string utf8 = "a\xC3\xA7\xC3\xA3o", cp1252 = "a\xE7\xE3o";  // "ação"
    struct Row {
        std::vector<std::pair<std::string, std::string>> onDisk;  // file name, register 1 it sets
        std::string expected;
    };
    const Row rows[] = {
        {{{utf8 + ".scp", "utf8"}}, "utf8"},
        {{{cp1252 + ".scp", "bytes"}}, "bytes"},
        // Both spellings: the one under the script's own bytes was used before and stays used.
        {{{utf8 + ".scp", "utf8"}, {cp1252 + ".scp", "bytes"}}, "bytes"},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        for (const auto& [name, value] : row.onDisk)
            folder.write(name, "rem the first line is skipped\r\nreg= 1," + value + "\r\n");
        Engine engine;
        engine.setGameFolder(folder.path.string() + "/");
        engine.script().setLines({"script " + cp1252});
        engine.execute("main.scp");
        EXPECT_FALSE(engine.lastError()) << row.expected;
        EXPECT_EQ(engine.state().registers[1], row.expected);
    }
    TempFolder folder;
    Engine engine;
    engine.setGameFolder(folder.path.string() + "/");
    engine.script().setLines({"reg= 1," + cp1252 + ".jpg", "getfoto 1,tel"});
    engine.execute("main.scp");
    EXPECT_FALSE(engine.lastError());
    EXPECT_TRUE(fs::is_regular_file(folder.path / (utf8 + ".jpg")));
    EXPECT_FALSE(fs::exists(folder.path / (cp1252 + ".jpg")));
}
