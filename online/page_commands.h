#pragma once
// Commands a member page hands to the studio: a queue of comma-separated tokens taken from a
// "Cmd=" address or an option entry. They make a working folder under the member folder, fetch
// files into it, load and run a script and fill the option entries. Everything in a queue
// comes from the network, so a name that could reach outside the member folder stops the queue.
// A download does not hold the window: the queue goes on when its reply has come.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ludomat {

// One entry of the Shop page's side panel.
struct OptionEntryText {
    std::string caption;
    std::string description;
    std::string command;
};

// Number of option entries of the Shop page.
constexpr int kOptionEntries = 7;

// What the queue does in the studio and the member window.
class PageCommandHost {
public:
    virtual ~PageCommandHost() = default;
    // DownloadFile from the member base into `folder` without waiting; `done` gets false on any
    // failure.
    virtual void download(const QString& folder, const QString& fileName, std::function<void(bool)> done) = 0;
    // The member window's own indicator `Led1`.
    virtual void showIndicator(bool shown) = 0;
    // Writes `entries` into the option panel (groups beyond seven already dropped).
    virtual void fillEntries(const std::vector<OptionEntryText>& entries) = 0;
    // The member window's browser goes to the member base + `page`.
    virtual void navigate(const QString& page) = 0;
    // "mkdir" in the studio: Load page, folder list at `folder`, editor with its first line.
    virtual void openWorkFolder(const QString& folder) = 0;
    // "exescp": runs the editor's script and returns when the run ends.
    virtual void executeScript() = 0;
    virtual void showRegisters() = 0;
    // "loadscp": the editor gets `folder` + `fileName`; false (after telling the user) when it cannot.
    virtual bool loadScript(const QString& folder, const QString& fileName) = 0;
    // A refused queue, told to the user.
    virtual void refuse(const QString& message) = 0;
};

class PageCommands {
public:
    // `programFolder` ends with "/".
    PageCommands(PageCommandHost& host, const QString& programFolder);

    // "vip/" under the program folder.
    QString vipFolder() const { return m_programFolder + "vip/"; }
    // The last "mkdir" folder, ending with "/"; empty before the first.
    const QString& memberFolder() const { return m_memberFolder; }

    // Runs a queue of comma-separated tokens, replacing whatever was left of the last one.
    void run(const std::string& queue);
    // True while a queue waits for a download.
    bool isBusy() const { return m_waiting; }
    // The queue of an address: everything after its first "Cmd=", or nothing.
    static std::optional<std::string> queueOf(const QString& address);

    // The entries an option file's lines give: groups of four, seven at most.
    static std::vector<OptionEntryText> readOptionFile(const std::vector<std::string>& lines);

private:
    // What a token leaves the queue to do next.
    enum class Next { Go, Stop, Wait };
    std::string nextToken();
    void resume();
    Next applyToken(const std::string& token);
    Next applyAfterOptions(const std::string& token);
    // Downloads `name` into `folder`; then `then` (with the result) and the rest of the queue.
    void fetch(const QString& folder, const QString& name, std::function<bool(bool)> then);
    bool checkedName(const std::string& command, QString& name);
    QString fileFolder() const;

    PageCommandHost& m_host;
    QString m_programFolder;
    QString m_memberFolder;
    std::string m_queue;
    bool m_waiting = false;
    // Grows with every run, so a download answered for a replaced queue changes nothing.
    int m_run = 0;
};

}  // namespace ludomat
