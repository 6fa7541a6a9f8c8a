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
    m_queue = queue;
    while (!m_queue.empty()) {
        if (!applyToken(nextToken())) {
            m_queue.clear();
            return;
        }
    }
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

// Applies every rule that matches, in order; false when the rest of the queue must not run.
bool PageCommands::applyToken(const std::string& token)
{
    if (token.find(".txt") != std::string::npos) {
        QString name = fromCp1252(token);
        if (!isSafeFileName(name)) {
            m_host.refuse(QString("Arquivo de opções recusado: \"%1\".").arg(name.left(60)));
            return false;
        }
        m_host.showIndicator(true);
        QDir().mkpath(vipFolder());
        if (m_host.download(vipFolder(), name)) m_host.fillEntries(readOptionFile(readLines(vipFolder() + name)));
        m_host.showIndicator(false);
    }
    if (token.find(".htm") != std::string::npos) m_host.navigate(fromCp1252(token));
    QString name;
    if (token == "mkdir") {
        if (!checkedName(token, name)) return false;
        QDir().mkpath(vipFolder() + name);
        m_memberFolder = name.isEmpty() ? vipFolder() : vipFolder() + name + "/";
        m_host.openWorkFolder(m_memberFolder);
    }
    if (token == "loadarq") {
        if (!checkedName(token, name)) return false;
        m_host.showIndicator(true);
        QDir().mkpath(fileFolder());
        m_host.download(fileFolder(), name);
        m_host.showIndicator(false);
    }
    if (token == "exescp") m_host.executeScript();
    if (token == "showreg") m_host.showRegisters();
    if (token == "loadscp") {
        if (!checkedName(token, name)) return false;
        m_host.showIndicator(true);
        QDir().mkpath(fileFolder());
        m_host.download(fileFolder(), name);
        m_host.showIndicator(false);
        if (!m_host.loadScript(fileFolder(), name)) return false;
    }
    return true;
}

}  // namespace ludomat
