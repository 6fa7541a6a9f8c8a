#include "online/version_check.h"

#include "graphics/cp1252.h"
#include "online/http_client.h"
#include "online/studio_link.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QProgressBar>

#include <filesystem>

namespace ludomat {

const QStringList VersionCheck::kUpdaterArguments{"8k41p9x", "Ludomat", VersionCheck::kArchive};

namespace {

const QString kDownloadFailed = "Erro ao baixar arquivo!";
// The system installed this copy; its package manager (apt) brings the new version.
const QString kPackageManaged = "Atualize pelo gerenciador de pacotes!";

void setShown(QWidget* widget, bool shown)
{
    if (widget) widget->setVisible(shown);
}

}  // namespace

VersionCheck::VersionCheck(Http& http, StudioLink& studio, const VersionViews& views, QObject* parent)
    : QObject(parent),
      m_http(http),
      m_studio(studio),
      m_views(views),
      m_executableFolder(QCoreApplication::applicationDirPath())
{
    m_launcher = [this](const QString& program, const QStringList& arguments) {
        QProcess updater;
        updater.setProgram(program);
        updater.setArguments(arguments);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kExecutableFolderVariable, m_executableFolder);
        updater.setProcessEnvironment(environment);
        return updater.startDetached();
    };
}

void VersionCheck::setMessage(const QString& text)
{
    if (m_views.message) m_views.message->setText(text);
}

void VersionCheck::fetchVersionFile(std::function<void(bool)> done)
{
    QString folder = m_studio.programFolder();
    m_http.downloadFileAsync(m_http.productBase(), folder, kVersionFile, this, [this, folder, done](bool ok) {
        QFile file(folder + kVersionFile);
        if (!ok || !file.open(QIODevice::ReadOnly)) return done(false);
        m_updateList.clear();
        for (const std::string& line : replyLines(file.readAll().toStdString())) m_updateList << fromCp1252(line);
        done(true);
    });
}

bool VersionCheck::differs() const
{
    // Any difference counts, case and blanks included: there is no order of versions.
    return m_updateList.value(0) != m_studio.versionText();
}

void VersionCheck::check()
{
    if (m_checking || m_updating) return;
    m_checking = true;
    setMessage(QString());
    setShown(m_views.updateButton, false);
    setShown(m_views.led, true);
    m_http.prepareRequest();
    fetchVersionFile([this](bool ok) {
        m_checking = false;
        if (!ok || m_updateList.isEmpty()) {
            // A version file without a line names no version: it is as useless as none.
            setMessage(kDownloadFailed);
        } else if (differs()) {
            setShown(m_views.updateButton, true);
            setMessage("PRECISA ser atualizado!!!");
        } else {
            setMessage("Não precisa ser atualizado!");
        }
        setShown(m_views.led, false);
    });
}

void VersionCheck::notice()
{
    // An activation while the last notice still waits adds nothing.
    if (m_noticing) return;
    m_noticing = true;
    m_studio.setNotice(QString());
    m_http.prepareRequest();
    fetchVersionFile([this](bool ok) {
        m_noticing = false;
        if (ok && !m_updateList.isEmpty() && differs()) m_studio.setNotice("Tem versão nova do Ludomat!!!");
    });
}

bool VersionCheck::updatedByPackageManager() const
{
    // An installation puts the program in bin/ beside share/ludomat/; replacing its files behind
    // the package manager's back would break the next upgrade.
    QFileInfo folder(m_executableFolder);
    return QFileInfo(m_executableFolder + "/../share/ludomat").isDir() || !folder.isWritable();
}

void VersionCheck::update()
{
    if (m_updating) return;
    if (updatedByPackageManager()) {
        setMessage(kPackageManaged);
        return;
    }
    m_updating = true;
    if (m_views.gauge) {
        m_views.gauge->setRange(0, std::max(0, int(m_updateList.size()) - 1));
        m_views.gauge->setValue(0);
    }
    setShown(m_views.gauge, true);
    setShown(m_views.led, true);
    setMessage("Baixando pacote Ludomat...");
    m_http.prepareRequest();
    downloadPackage(1);
}

void VersionCheck::downloadPackage(int index)
{
    if (index >= m_updateList.size()) {
        setShown(m_views.gauge, false);
        setShown(m_views.led, false);
        setMessage("Download completo!");
        m_updating = false;
        return handOver();
    }
    const QString name = m_updateList[index];
    setMessage("Downloading " + name);
    if (m_views.gauge) m_views.gauge->setValue(m_views.gauge->value() + 1);
    m_http.downloadFileAsync(m_http.productBase(), m_studio.programFolder(), name, this, [this, index](bool ok) {
        if (ok) return downloadPackage(index + 1);
        setMessage(kDownloadFailed);
        setShown(m_views.gauge, false);
        setShown(m_views.led, false);
        m_updating = false;
    });
}

void VersionCheck::handOver()
{
    namespace fs = std::filesystem;
    const QString folder = m_studio.programFolder();
    std::error_code error;
    fs::path package = fs::path(folder.toStdString()) / kUpdaterPackage;
    fs::path updater = fs::path(folder.toStdString()) / kUpdater;
    if (fs::exists(package, error)) {
        fs::copy_file(package, updater, fs::copy_options::overwrite_existing, error);
        // The copy must be runnable here, where a program is one by its permission bits.
        fs::permissions(updater, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec,
                        fs::perm_options::add, error);
    }
    if (!fs::exists(fs::path(folder.toStdString()) / kArchive, error)) return;
    // A studio that closed without a running updater would leave the user with nothing.
    if (!m_launcher(QString::fromStdString(updater.string()), kUpdaterArguments)) {
        setMessage("Não foi possível iniciar o atualizador!");
        return;
    }
    m_studio.quit();
}

}  // namespace ludomat
