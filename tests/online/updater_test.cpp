// The updater's archive handling: hostile archives are refused whole and change nothing; a good
// one replaces the program's files and keeps the user's. And the program refuses a wrong phrase.

#include "tools/updater/update_archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace ludomat::updater;

namespace {

struct Entry {
    std::string name;
    std::string content;
    enum { File, Symlink, Hardlink, Folder } kind = File;
};

void writeArchive(const fs::path& path, const std::vector<Entry>& entries)
{
    archive* a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    archive_write_open_filename(a, path.c_str());
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_perm(entry, 0755);
        switch (e.kind) {
        case Entry::File:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, la_int64_t(e.content.size()));
            break;
        case Entry::Folder: archive_entry_set_filetype(entry, AE_IFDIR); break;
        case Entry::Symlink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.content.c_str());
            break;
        case Entry::Hardlink:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_hardlink(entry, e.content.c_str());
            break;
        }
        archive_write_header(a, entry);
        if (e.kind == Entry::File) archive_write_data(a, e.content.data(), e.content.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<sem arquivo>";
}

void writeText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("updater_test_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "programa" / "jogo");
        fs::create_directories(root / "preparo");
        writeText(root / "programa" / "ludomat", "velho");
        writeText(root / "programa" / "Ludomat.ini", "meu.scp\r\n");
        writeText(root / "programa" / "meu.scp", "// meu");
        writeText(root / "programa" / "jogo" / "heroi.png", "meu desenho");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(UpdaterTest, refusesHostileArchivesWhole)
{
    const std::vector<std::vector<Entry>> hostile = {
        {{"ludomat", "novo"}, {"../fora.txt", "x"}},
        {{"ludomat", "novo"}, {"/tmp/updater_test_absoluto.txt", "x"}},
        {{"ludomat", "novo"}, {"a\\..\\..\\b.txt", "x"}},
        {{"ludomat", "novo"}, {"sub/../../fora.txt", "x"}},
        {{"link", "/etc", Entry::Symlink}},
        {{"link", "../..", Entry::Symlink}},
        {{"ludomat", "novo"}, {"duro", "/etc/passwd", Entry::Hardlink}},
    };
    for (size_t i = 0; i < hostile.size(); ++i) {
        fs::path archive = root / ("hostil" + std::to_string(i) + ".zpp");
        writeArchive(archive, hostile[i]);
        fs::path staging = root / ("preparo" + std::to_string(i));
        fs::create_directories(staging);
        std::string reason;
        EXPECT_FALSE(unpack(archive, staging, &reason)) << "archive " << i;
        EXPECT_FALSE(reason.empty());
    }
    EXPECT_FALSE(fs::exists(root / "fora.txt"));
    EXPECT_FALSE(fs::exists("/tmp/updater_test_absoluto.txt"));
    EXPECT_EQ(readText(root / "programa" / "ludomat"), "velho");

    // A damaged archive is refused too.
    writeText(root / "quebrado.zpp", "isto não é um arquivo compactado");
    std::string reason;
    EXPECT_FALSE(unpack(root / "quebrado.zpp", root / "preparo", &reason));
}

TEST_F(UpdaterTest, replacesProgramFilesAndKeepsTheUsers)
{
    fs::path archive = root / "Ludomat.zpp";
    writeArchive(archive, {{"ludomat", "novo"},
                           {"ludomat-run", "novo run"},
                           {"Ludomat.ini", "do pacote"},
                           {"meu.scp", "do pacote"},
                           {"exemplo.scp", "exemplo novo"},
                           {"jogo", "", Entry::Folder},
                           {"jogo/heroi.png", "do pacote"},
                           {"jogo/fundo.png", "fundo novo"},
                           {"atalho", "ludomat", Entry::Symlink}});
    std::string reason;
    ASSERT_TRUE(unpack(archive, root / "preparo", &reason)) << reason;
    bool ok = false;
    install(root / "preparo", root / "programa", &reason, &ok);
    ASSERT_TRUE(ok) << reason;
    const fs::path p = root / "programa";
    EXPECT_EQ(readText(p / "ludomat"), "novo");
    EXPECT_EQ(readText(p / "ludomat-run"), "novo run");
    EXPECT_EQ(readText(p / "Ludomat.ini"), "meu.scp\r\n");
    EXPECT_EQ(readText(p / "meu.scp"), "// meu");
    EXPECT_EQ(readText(p / "exemplo.scp"), "exemplo novo");
    EXPECT_EQ(readText(p / "jogo" / "heroi.png"), "meu desenho");
    EXPECT_EQ(readText(p / "jogo" / "fundo.png"), "fundo novo");
    EXPECT_EQ(fs::read_symlink(p / "atalho"), fs::path("ludomat"));
}

TEST_F(UpdaterTest, programRefusesAWrongPassPhrase)
{
    const std::string updater = LUDOMAT_UPDATER_PROGRAM;
    EXPECT_NE(std::system((updater + " errado Ludomat Ludomat.zpp 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((updater + " 2>/dev/null").c_str()), 0);
}

}  // namespace
