#include "online/page_commands.h"

#include "graphics/cp1252.h"
#include "online/http_client.h"
#include "online/safe_names.h"

#include <QDir>
#include <QFile>

namespace ludomat {

namespace {

// The longest option file read; a real one is a few dozen lines.
constexpr qint64 kMaxOptionFileBytes = 256 * 1024;

std::vector<std::string> readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return replyLines(file.read(kMaxOptionFileBytes).toStdString());
}

}  // namespace

PageCommands::PageCommands(PageCommandHost& host, const QString& programFolder)
    : m_host(host), m_programFolder(programFolder)
{
}

std::optional<std::string> PageCommands::queueOf(const QString& address)
{
    qsizetype at = address.indexOf("Cmd=");
    if (at < 0) return std::nullopt;
    return toCp1252(address.mid(at + 4));
}

std::vector<OptionEntryText> PageCommands::readOptionFile(const std::vector<std::string>& lines)
{
    std::vector<OptionEntryText> entries;
    for (size_t g = 0; g < lines.size() / 4 && g < size_t(kOptionEntries); ++g)
        entries.push_back({lines[4 * g], lines[4 * g + 1], lines[4 * g + 2]});
    return entries;
}

std::string PageCommands::nextToken()
{
    size_t comma = m_queue.find(',');
    std::string token = m_queue.substr(0, comma);
    m_queue = comma == std::string::npos ? std::string() : m_queue.substr(comma + 1);
    return token;
}

void PageCommands::run(const std::string& queue)
{
    ++m_run;
    // The replaced queue's download is forgotten, and so is its indicator.
    if (m_waiting) m_host.showIndicator(false);
    m_waiting = false;
    m_queue = queue;
    resume();
}

void PageCommands::resume()
{
    while (!m_queue.empty() && !m_waiting) {
        switch (applyToken(nextToken())) {
            case Next::Go:
                break;
            case Next::Wait:
                return;
            case Next::Stop:
                m_queue.clear();
                return;
        }
    }
}

void PageCommands::fetch(const QString& folder, const QString& name, std::function<bool(bool)> then)
{
    m_host.showIndicator(true);
    QDir().mkpath(folder);
    m_waiting = true;
    const int run = m_run;
    m_host.download(folder, name, [this, run, then = std::move(then)](bool ok) {
        if (run != m_run) return;
        m_waiting = false;
        m_host.showIndicator(false);
        if (!then(ok)) {
            m_queue.clear();
            return;
        }
        resume();
    });
}

// The folder "loadarq" and "loadscp" write into: the last "mkdir" folder, else the member folder.
QString PageCommands::fileFolder() const
{
    return m_memberFolder.isEmpty() ? vipFolder() : m_memberFolder;
}

// Reads the name following `command`; false (the queue stops) when it is not one plain name.
bool PageCommands::checkedName(const std::string& command, QString& name)
{
    name = fromCp1252(nextToken());
    // "mkdir" with nothing after it names the member folder itself.
    if (command == "mkdir" && name.isEmpty()) return true;
    if (isSafeFileName(name)) return true;
    m_host.refuse(QString("Comando \"%1\" recusado: \"%2\" não é um nome simples de pasta ou arquivo.")
                      .arg(QString::fromStdString(command), name.left(60)));
    return false;
}

// Applies every rule that matches, in order. A token that downloads lets the rules after it
// run when the download has ended.
PageCommands::Next PageCommands::applyToken(const std::string& token)
{
    if (token.find(".txt") != std::string::npos) {
        const QString name = fromCp1252(token);
        if (!isSafeFileName(name)) {
            m_host.refuse(QString("Arquivo de opções recusado: \"%1\".").arg(name.left(60)));
            return Next::Stop;
        }
        fetch(vipFolder(), name, [this, name, token](bool ok) {
            if (ok) m_host.fillEntries(readOptionFile(readLines(vipFolder() + name)));
            return applyAfterOptions(token) != Next::Stop;
        });
        return Next::Wait;
    }
    return applyAfterOptions(token);
}

// The rules after the option file's, for a token that is no option file or whose file came.
PageCommands::Next PageCommands::applyAfterOptions(const std::string& token)
{
    if (token.find(".htm") != std::string::npos) m_host.navigate(fromCp1252(token));
    QString name;
    if (token == "mkdir") {
        if (!checkedName(token, name)) return Next::Stop;
        QDir().mkpath(vipFolder() + name);
        m_memberFolder = name.isEmpty() ? vipFolder() : vipFolder() + name + "/";
        m_host.openWorkFolder(m_memberFolder);
    }
    if (token == "loadarq") {
        if (!checkedName(token, name)) return Next::Stop;
        // Its result is ignored.
        fetch(fileFolder(), name, [](bool) { return true; });
        return Next::Wait;
    }
    if (token == "exescp") m_host.executeScript();
    if (token == "showreg") m_host.showRegisters();
    if (token == "loadscp") {
        if (!checkedName(token, name)) return Next::Stop;
        // The copy already there is loaded when the download failed.
        const QString folder = fileFolder();
        fetch(folder, name, [this, folder, name](bool) { return m_host.loadScript(folder, name); });
        return Next::Wait;
    }
    return Next::Go;
}

}  // namespace ludomat
