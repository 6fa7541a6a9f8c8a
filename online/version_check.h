#pragma once
// Version check, version notice and update: compares the program's version text with the
// server's "vrsmsg.txt", offers the update, downloads the package and hands over to the updater.
// Every download runs without holding the window; what it leads to happens when it has ended.

#include <QObject>
#include <QStringList>

#include <functional>

class QLabel;
class QProgressBar;
class QWidget;

namespace ludomat {

class Http;
class StudioLink;

// The widgets of the "Load" page and the window the check writes to.
struct VersionViews {
    QLabel* message = nullptr;        // Mesg
    QWidget* updateButton = nullptr;  // btAtl with its caption "Atualizar..."
    QProgressBar* gauge = nullptr;    // G1
    QWidget* led = nullptr;           // Led1
};

class VersionCheck : public QObject {
    Q_OBJECT
public:
    static constexpr char kVersionFile[] = "vrsmsg.txt";
    static constexpr char kUpdaterPackage[] = "duvo.zpp";
    static constexpr char kUpdater[] = "duvo.exe";
    static constexpr char kArchive[] = "Ludomat.zpp";
    // The three words the updater is started with.
    static const QStringList kUpdaterArguments;
    // Tells the updater where the programs live when the program folder is another one.
    static constexpr char kExecutableFolderVariable[] = "LUDOMAT_EXECUTABLE_FOLDER";

    // Starts a program detached; the default uses the system.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;

    VersionCheck(Http& http, StudioLink& studio, const VersionViews& views, QObject* parent = nullptr);

    // "Verificar versão".
    void check();
    // The quiet notice of every activation of the main window.
    void notice();
    // "Atualizar...".
    void update();

    // The lines of the version file as the last check or notice left them.
    const QStringList& updateList() const { return m_updateList; }
    void setLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    // The folder the running program was started from; the updater can replace only a copy whose
    // folder it may write and that no package manager owns.
    void setExecutableFolder(const QString& folder) { m_executableFolder = folder; }
    bool updatedByPackageManager() const;
    // True while a check, notice or update waits for the server.
    bool isBusy() const { return m_checking || m_noticing || m_updating; }

private:
    // Downloads the version file and reads it into UpdateList; `done` gets false when either failed.
    void fetchVersionFile(std::function<void(bool)> done);
    bool differs() const;
    void setMessage(const QString& text);
    // Downloads the package's files from `index` on, then hands over.
    void downloadPackage(int index);
    void handOver();

    Http& m_http;
    StudioLink& m_studio;
    VersionViews m_views;
    QStringList m_updateList;
    Launcher m_launcher;
    QString m_executableFolder;
    bool m_checking = false;
    bool m_noticing = false;
    bool m_updating = false;
};

}  // namespace ludomat
