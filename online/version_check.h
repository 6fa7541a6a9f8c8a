#pragma once
// Version check, version notice and update: compares the program's version text with the
// server's "vrsmsg.txt", offers the update, downloads the package and hands over to the updater.

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
    QLabel* message = nullptr;       // Mesg
    QWidget* updateButton = nullptr; // btAtl with its caption "Atualizar..."
    QProgressBar* gauge = nullptr;   // G1
    QWidget* led = nullptr;          // Led1
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

private:
    // Downloads the version file and reads it into UpdateList; false when either failed.
    bool fetchVersionFile();
    bool differs() const;
    void setMessage(const QString& text);

    Http& m_http;
    StudioLink& m_studio;
    VersionViews m_views;
    QStringList m_updateList;
    Launcher m_launcher;
    QString m_executableFolder;
};

}  // namespace ludomat
