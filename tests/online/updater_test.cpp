// The updater's archive handling: hostile archives are refused whole and change nothing; a good
// one replaces the program's files and keeps the user's. And the program refuses a wrong phrase.

#include "tools/updater/update_archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

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
    enum { File, Symlink, Hardlink, Folder, Fifo, CharDevice, BlockDevice } kind = File;
    int perm = 0755;
    bool sizeDeclared = true;  // a zip written as a stream declares no size
};

enum class Format { TarGz, Zip };

void writeArchive(const fs::path& path, const std::vector<Entry>& entries, Format format = Format::TarGz)
{
    archive* a = archive_write_new();
    if (format == Format::TarGz) {
        archive_write_add_filter_gzip(a);
        archive_write_set_format_pax_restricted(a);
    } else {
        archive_write_set_format_zip(a);
    }
    archive_write_open_filename(a, path.c_str());
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_perm(entry, e.perm);
        switch (e.kind) {
            case Entry::File:
                archive_entry_set_filetype(entry, AE_IFREG);
                if (e.sizeDeclared) archive_entry_set_size(entry, la_int64_t(e.content.size()));
                break;
            case Entry::Fifo:
                archive_entry_set_filetype(entry, AE_IFIFO);
                break;
            case Entry::CharDevice:
                archive_entry_set_filetype(entry, AE_IFCHR);
                archive_entry_set_rdev(entry, makedev(1, 3));  // what /dev/null is
                break;
            case Entry::BlockDevice:
                archive_entry_set_filetype(entry, AE_IFBLK);
                archive_entry_set_rdev(entry, makedev(7, 0));
                break;
            case Entry::Folder:
                archive_entry_set_filetype(entry, AE_IFDIR);
                break;
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

// Small limits, so that a bomb is a few kilobytes to write and a megabyte to refuse.
const UnpackLimits kTestLimits{1024 * 1024, 20};

// `count` empty files named f0, f1...
std::vector<Entry> manyFiles(int count)
{
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) entries.push_back({std::string("f").append(std::to_string(i)), ""});
    return entries;
}

TEST_F(UpdaterTest, refusesHostileArchivesWhole)
{
    const std::string zeros(8 * 1024 * 1024, '\0');  // compresses a thousand times
    const struct {
        const char* what;
        std::vector<Entry> entries;
        Format format = Format::TarGz;
    } hostile[] = {
        {"climbs out", {{"ludomat", "novo"}, {"../fora.txt", "x"}}},
        {"absolute", {{"ludomat", "novo"}, {"/tmp/updater_test_absoluto.txt", "x"}}},
        {"backslashes", {{"ludomat", "novo"}, {"a\\..\\..\\b.txt", "x"}}},
        {"climbs inside", {{"ludomat", "novo"}, {"sub/../../fora.txt", "x"}}},
        {"link out", {{"link", "/etc", Entry::Symlink}}},
        {"link up", {{"link", "../..", Entry::Symlink}}},
        {"link inside", {{"ludomat", "novo"}, {"ludomat-run", "ludomat", Entry::Symlink}}},
        {"hard link", {{"ludomat", "novo"}, {"duro", "/etc/passwd", Entry::Hardlink}}},
        {"fifo", {{"ludomat", "novo"}, {"ludomat-run", "", Entry::Fifo}}},
        {"character device", {{"ludomat", "novo"}, {"nulo", "", Entry::CharDevice}}},
        {"block device", {{"ludomat", "novo"}, {"disco", "", Entry::BlockDevice}}},
        {"zip bomb", {{"ludomat", "novo"}, {"zeros", zeros}}, Format::Zip},
        {"zip bomb without sizes", {{"ludomat", "novo"}, {"zeros", zeros, Entry::File, 0644, false}}, Format::Zip},
        {"tar bomb", {{"ludomat", "novo"}, {"zeros", zeros}}},
        {"many small files", manyFiles(21)},
    };
    for (size_t i = 0; i < std::size(hostile); ++i) {
        fs::path archive = root / ("hostil" + std::to_string(i) + ".zpp");
        writeArchive(archive, hostile[i].entries, hostile[i].format);
        EXPECT_LT(fs::file_size(archive), 64u * 1024) << hostile[i].what;
        fs::path staging = root / ("preparo" + std::to_string(i));
        fs::create_directories(staging);
        std::string reason;
        EXPECT_FALSE(unpack(archive, staging, &reason, kTestLimits)) << hostile[i].what;
        EXPECT_FALSE(reason.empty()) << hostile[i].what;
        std::error_code error;
        for (const auto& made : fs::recursive_directory_iterator(staging, error))
            EXPECT_TRUE(made.is_regular_file() || made.is_directory()) << hostile[i].what << ": " << made.path();
    }
    // The limits themselves are no bomb: an archive just within them unpacks.
    writeArchive(root / "justo.zpp", manyFiles(20));
    std::string reason;
    EXPECT_TRUE(unpack(root / "justo.zpp", root / "preparo", &reason, kTestLimits)) << reason;
    fs::create_directories(root / "preparo2");
    writeArchive(root / "justo2.zpp", {{"zeros", std::string(1024 * 1024, '\0'), Entry::File, 0644, false}},
                 Format::Zip);
    EXPECT_TRUE(unpack(root / "justo2.zpp", root / "preparo2", &reason, kTestLimits)) << reason;
    EXPECT_FALSE(fs::exists(root / "fora.txt"));
    EXPECT_FALSE(fs::exists("/tmp/updater_test_absoluto.txt"));
    EXPECT_EQ(readText(root / "programa" / "ludomat"), "velho");

    // A damaged archive is refused too.
    writeText(root / "quebrado.zpp", "isto não é um arquivo compactado");
    fs::create_directories(root / "preparo3");
    EXPECT_FALSE(unpack(root / "quebrado.zpp", root / "preparo3", &reason));
}

// Files of an update keep their read, write and run bits and nothing else, whoever unpacks them.
TEST_F(UpdaterTest, dropsSetuidSetgidAndStickyBits)
{
    const struct {
        int perm;
        fs::perms expected;
    } cases[] = {
        {04755, fs::perms(0755)}, {02755, fs::perms(0755)}, {06777, fs::perms(0777)},
        {01777, fs::perms(0777)}, {0644, fs::perms(0644)},
    };
    std::vector<Entry> entries;
    auto nameOf = [](int perm) { return std::string("p").append(std::to_string(perm)); };
    for (const auto& c : cases) entries.push_back({nameOf(c.perm), "#!/bin/sh\n", Entry::File, c.perm});
    writeArchive(root / "bits.zpp", entries);
    ::umask(0);
    std::string reason;
    ASSERT_TRUE(unpack(root / "bits.zpp", root / "preparo", &reason)) << reason;
    ::umask(022);
    for (const auto& c : cases)
        EXPECT_EQ(fs::status(root / "preparo" / nameOf(c.perm)).permissions(), c.expected) << c.perm;
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
                           {"jogo/fundo.png", "fundo novo"}});
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
}

// The real updater program, put where the studio puts it. The "studio" is a script that writes
// the arguments it was started with, so the test sees which copy started and how.
class UpdaterProgramTest : public UpdaterTest {
protected:
    void SetUp() override
    {
        UpdaterTest::SetUp();
        data = root / "dados";
        fs::create_directories(data);
        fs::copy_file(LUDOMAT_UPDATER_PROGRAM, data / "duvo.exe");
    }
    static void writeStudio(const fs::path& file)
    {
        writeText(file, "#!/bin/sh\necho \"$0 $*\" > \"$(dirname \"$0\")/iniciado.txt\"\n");
        fs::permissions(file, fs::perms(0755));
    }
    // Runs the updater as the studio does, with `programs` named as the folder of the programs.
    int runUpdater(const fs::path& programs)
    {
        const std::string command = "LUDOMAT_EXECUTABLE_FOLDER='" + programs.string() + "' '" +
                                    (data / "duvo.exe").string() + "' 8k41p9x Ludomat Ludomat.zpp 2>/dev/null";
        return std::system(command.c_str());
    }
    // The started studio's line, waited for a little: it runs detached.
    static std::string startedLine(const fs::path& folder)
    {
        for (int i = 0; i < 100 && !fs::exists(folder / "iniciado.txt"); ++i) ::usleep(50'000);
        ::usleep(50'000);
        return readText(folder / "iniciado.txt");
    }
    fs::path data;
};

TEST_F(UpdaterProgramTest, refusedArchiveStartsTheOldStudioAgain)
{
    const fs::path programs = root / "programa";
    writeStudio(programs / "ludomat");
    for (const std::vector<Entry>& archive : {std::vector<Entry>{{"ludomat", "novo"}, {"ludomat-run", "", Entry::Fifo}},
                                              std::vector<Entry>{{"ludomat", "novo"}, {"x", "/etc", Entry::Symlink}}}) {
        fs::remove(programs / "iniciado.txt");
        writeArchive(data / "Ludomat.zpp", archive);
        EXPECT_NE(runUpdater(programs), 0);
        EXPECT_EQ(startedLine(programs), (programs / "ludomat").string() + " --program-folder " + data.string() + "\n");
        EXPECT_NE(readText(programs / "ludomat"), "novo");
        EXPECT_FALSE(fs::exists(programs / "ludomat-run"));
    }
}

TEST_F(UpdaterProgramTest, replacesTheProgramsWhereTheyLiveNotInTheProgramFolder)
{
    const fs::path programs = root / "programa";
    writeArchive(data / "Ludomat.zpp", {{"ludomat", "#!/bin/sh\necho \"$0 $*\" > \"$(dirname \"$0\")/iniciado.txt\"\n"},
                                        {"ludomat-run", "novo run"}});
    EXPECT_EQ(runUpdater(programs), 0);
    EXPECT_EQ(startedLine(programs), (programs / "ludomat").string() + " --program-folder " + data.string() + "\n");
    EXPECT_EQ(readText(programs / "ludomat-run"), "novo run");
    EXPECT_FALSE(fs::exists(data / "ludomat"));
    EXPECT_FALSE(fs::exists(data / "ludomat-run"));
    EXPECT_TRUE(fs::exists(data / "atualizacao.log"));
}

TEST_F(UpdaterTest, programRefusesAWrongPassPhrase)
{
    const std::string updater = LUDOMAT_UPDATER_PROGRAM;
    EXPECT_NE(std::system((updater + " errado Ludomat Ludomat.zpp 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((updater + " 2>/dev/null").c_str()), 0);
}

}  // namespace
