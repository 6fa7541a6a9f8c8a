#include "tools/updater/update_archive.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace ludomat::updater {

namespace fs = std::filesystem;

namespace {

bool setReason(std::string* reason, const std::string& text)
{
    if (reason) *reason = text;
    return false;
}

// A relative path of plain parts: no root, no "..", no "." tricks, no Windows separator.
bool isContained(const std::string& path)
{
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos) return false;
    if (path.size() > 1 && path[1] == ':') return false;
    for (const auto& part : fs::path(path))
        if (part == "..") return false;
    return true;
}

struct ReaderDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};
struct WriterDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};

}  // namespace

bool unpack(const fs::path& archivePath, const fs::path& staging, std::string* reason, const UnpackLimits& limits)
{
    std::unique_ptr<archive, ReaderDeleter> reader(archive_read_new());
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK)
        return setReason(reason, std::string("arquivo ilegível: ") + archive_error_string(reader.get()));

    std::unique_ptr<archive, WriterDeleter> writer(archive_write_disk_new());
    // libarchive's own guards as well, in case a check of ours misses a case.
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM |
                                                     ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                                     ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS);
    // Entries are written relative to the staging folder, so libarchive's refusal of absolute
    // paths stays in force.
    std::error_code error;
    fs::path previous = fs::current_path(error);
    fs::current_path(staging, error);
    if (error) return setReason(reason, "pasta de preparo inacessível: " + error.message());
    struct Restore {
        fs::path folder;
        ~Restore()
        {
            std::error_code ignored;
            fs::current_path(folder, ignored);
        }
    } restore{previous};
    archive_entry* entry = nullptr;
    int status;
    std::uint64_t written = 0;
    std::size_t entries = 0;
    while ((status = archive_read_next_header(reader.get(), &entry)) == ARCHIVE_OK) {
        std::string name = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
        if (!isContained(name)) return setReason(reason, "entrada recusada: " + name);
        if (++entries > limits.maxEntries)
            return setReason(reason, "arquivo recusado: mais de " + std::to_string(limits.maxEntries) + " entradas");
        if (archive_entry_hardlink(entry) || archive_entry_symlink(entry))
            return setReason(reason, "link recusado: " + name);
        const auto type = archive_entry_filetype(entry);
        if (type != AE_IFREG && type != AE_IFDIR) return setReason(reason, "entrada especial recusada: " + name);
        if (archive_entry_size_is_set(entry) && std::uint64_t(archive_entry_size(entry)) > limits.maxBytes - written)
            return setReason(reason, "arquivo recusado: grande demais ao desempacotar (" + name + ")");
        // Only read, write and run: a file of an update never runs as someone else.
        archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);
        if (archive_write_header(writer.get(), entry) != ARCHIVE_OK)
            return setReason(reason,
                             std::string("não foi possível criar ") + name + ": " + archive_error_string(writer.get()));
        const void* block;
        size_t size;
        la_int64_t offset;
        int data;
        while ((data = archive_read_data_block(reader.get(), &block, &size, &offset)) == ARCHIVE_OK) {
            // Counted as it comes out: a zip may declare no size, or a false one.
            if (size > limits.maxBytes - written || std::uint64_t(offset) > limits.maxBytes - size)
                return setReason(reason, "arquivo recusado: grande demais ao desempacotar (" + name + ")");
            written += size;
            if (archive_write_data_block(writer.get(), block, size, offset) != ARCHIVE_OK)
                return setReason(reason,
                                 std::string("erro ao gravar ") + name + ": " + archive_error_string(writer.get()));
        }
        if (data != ARCHIVE_EOF)
            return setReason(reason,
                             std::string("arquivo danificado em ") + name + ": " + archive_error_string(reader.get()));
        if (archive_write_finish_entry(writer.get()) != ARCHIVE_OK)
            return setReason(reason, std::string("erro ao gravar ") + name + ": " + archive_error_string(writer.get()));
    }
    if (status != ARCHIVE_EOF)
        return setReason(reason, std::string("arquivo danificado: ") + archive_error_string(reader.get()));
    return true;
}

std::vector<std::string> install(const fs::path& staging, const fs::path& programFolder, std::string* reason, bool* ok)
{
    std::vector<std::string> installed;
    *ok = true;
    std::error_code error;
    // The whole list first: files are moved out of the folder being listed.
    std::vector<fs::directory_entry> entries;
    std::error_code listing;
    for (auto it = fs::recursive_directory_iterator(staging, listing);
         !listing && it != fs::recursive_directory_iterator(); it.increment(listing))
        entries.push_back(*it);
    if (listing) {
        *ok = false;
        setReason(reason, "erro ao ler a pasta de preparo: " + listing.message());
        return installed;
    }
    for (const fs::directory_entry& entry : entries) {
        const fs::directory_entry* it = &entry;
        // Lexically: resolving would follow a staged link and name the file it points to.
        fs::path relative = it->path().lexically_relative(staging);
        fs::path target = programFolder / relative;
        if (!it->is_symlink(error) && it->is_directory(error)) {
            fs::create_directories(target, error);
            continue;
        }
        bool topLevel = !relative.has_parent_path();
        bool exists = fs::exists(fs::symlink_status(target, error));
        bool usersOwn = relative.filename() == "Ludomat.ini" || (relative.extension() == ".scp" && exists);
        if (usersOwn || (!topLevel && exists)) continue;
        // rename replaces a running program's file safely: the old one lives until it exits.
        fs::rename(it->path(), target, error);
        if (error) {
            *ok = false;
            setReason(reason, "não foi possível substituir " + relative.string() + ": " + error.message());
            return installed;
        }
        installed.push_back(relative.string());
    }
    return installed;
}

}  // namespace ludomat::updater
