#include "studio/files/program_folder.h"

#include "engine/script_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ludomat {

QString withTrailingSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith('/')) folder += '/';
    return folder;
}

bool runsFromInstallation()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + "/../share/ludomat").isDir();
}

QString defaultProgramFolder()
{
    QString own = QCoreApplication::applicationDirPath();
    // An installed copy never keeps user files beside its executable, even when it could
    // (root running /usr/bin/ludomat): bin/ is the package manager's.
    if (!own.isEmpty() && !runsFromInstallation() && QFileInfo(own).isWritable()) return withTrailingSlash(own);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return withTrailingSlash(data);
}

void ensureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    std::string folder = "/tmp/ludomat-runtime-" + std::to_string(getuid());
    // Only a real folder of our own will do: another user could have planted the name first.
    if (ownPrivateFolder(folder)) qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(folder));
}

}  // namespace ludomat
