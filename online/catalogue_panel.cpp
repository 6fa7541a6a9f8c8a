#include "online/catalogue_panel.h"

#include "graphics/cp1252.h"
#include "graphics/picture_loader.h"
#include "online/http_client.h"
#include "online/safe_names.h"
#include "online/studio_link.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPixmap>

#include <algorithm>
#include <set>

namespace ludomat {

namespace {

constexpr int kPanelWidth = 760;
constexpr int kPanelHeight = 420;

// Picture decoding by the program's own loaders, which refuse damaged and oversized files.
QPixmap loadTilePicture(const QString& path)
{
    try {
        Bitmap picture = loadPicture(path.toStdString());
        return QPixmap::fromImage(picture.view().copy());
    } catch (const std::exception&) {
        return {};
    }
}

bool isPictureName(const QString& name)
{
    for (const char* extension : {".png", ".jpg", ".bmp", ".gif"})
        if (name.endsWith(extension, Qt::CaseInsensitive)) return true;
    return false;
}

}  // namespace

CatalogueTile::CatalogueTile(const CatalogueEntry& entry, QWidget* parent) : QLabel(parent), m_entry(entry)
{
    setObjectName(entry.name);
    setCursor(Qt::PointingHandCursor);
    setScaledContents(true);
    setToolTip(entry.name);
    setFixedSize(CataloguePanel::kTileSize, CataloguePanel::kTileSize);
}

void CatalogueTile::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit chosen(m_entry.name);
}

CataloguePanel::CataloguePanel(Http& http, StudioLink& studio, QWidget* parent)
    : QScrollArea(parent), m_http(http), m_studio(studio), m_content(new QWidget)
{
    setObjectName("Sbx");
    setGeometry(0, kHiddenTop, kPanelWidth, kPanelHeight);
    setFrameShape(QFrame::NoFrame);
    setStyleSheet("QScrollArea#Sbx, QWidget#SbxContent { background: #1b2a38; }");
    m_content->setObjectName("SbxContent");
    m_content->resize(kPanelWidth - 20, kPanelHeight);
    setWidget(m_content);

    m_close = new QLabel("X", this);
    m_close->setObjectName("Label17");
    m_close->setGeometry(737, 0, 20, 20);
    m_close->setAlignment(Qt::AlignCenter);
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setStyleSheet("background: #e8554e; color: white; font: bold 11pt 'Liberation Sans';");
    m_close->installEventFilter(this);
    // Parked below the screen, but shown: moving it up is all that opening takes.
    show();
}

std::vector<CatalogueEntry> CataloguePanel::readList(const std::string& reply)
{
    std::vector<std::string> lines = replyLines(reply);
    if (lines.empty() || lines.front() != "Ok") return {};
    std::vector<QString> names;
    for (size_t i = 1; i < lines.size(); ++i) names.push_back(fromCp1252(lines[i]));
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    // A name listed twice is one game: repeats would shift every later pair.
    names.erase(std::unique(names.begin(), names.end(),
                            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }),
                names.end());
    std::vector<CatalogueEntry> entries;
    std::set<QString> seen;
    for (size_t i = 0; i + 1 < names.size(); i += 2) {
        const QString& picture = names[i];
        const QString& script = names[i + 1];
        if (!script.endsWith(".scp") || !isPictureName(picture) || !isSafeFileName(picture) || !isSafeFileName(script))
            continue;
        QString name = script.left(script.size() - 4);
        if (!isScriptIdentifier(name) || !seen.insert(name.toLower()).second) continue;
        entries.push_back({name, picture});
    }
    return entries;
}

void CataloguePanel::toggle()
{
    move(0, isShown() ? kHiddenTop : kShownTop);
    raise();
    if (!m_loaded) {
        fetch();
        m_loaded = true;
    }
}

void CataloguePanel::hidePanel()
{
    move(0, kHiddenTop);
}

void CataloguePanel::addTile(const CatalogueEntry& entry, int left, int top)
{
    auto* tile = new CatalogueTile(entry, m_content);
    m_tiles.append(tile);
    tile->move(left, top);
    m_content->resize(m_content->width(), std::max(m_content->height(), top + kTileSize + 5));
    tile->show();
    connect(tile, &CatalogueTile::chosen, this, &CataloguePanel::openScript);
    const QString folder = m_studio.programFolder();
    const QString picture = entry.picture;
    ++m_waiting;
    m_http.getAsync((m_http.scriptBase() + picture).trimmed(), {}, tile,
                    [this, tile, folder, picture](const Http::Reply& reply) {
                        --m_waiting;
                        // A picture that does not come or load leaves the tile blank; it stays clickable.
                        if (reply.ok) saveDownload(folder, picture, reply.body);
                        if (QFile::exists(folder + picture)) tile->setPixmap(loadTilePicture(folder + picture));
                    });
}

void CataloguePanel::fetch()
{
    m_http.prepareRequest();
    if (!m_http.isOnline()) return showList(Http::kNoConnection);
    m_http.showActivity(true);
    ++m_waiting;
    m_http.getAsync(m_http.catalogueBase() + "listajogos.php", {}, this, [this](const Http::Reply& reply) {
        --m_waiting;
        m_http.showActivity(false);
        showList(reply.ok ? reply.body.toStdString() : Http::kTryAgain);
    });
}

void CataloguePanel::showList(const std::string& reply)
{
    int left = 0;
    int top = 0;
    for (const CatalogueEntry& entry : readList(reply)) {
        addTile(entry, left, top);
        left += kStepX;
        if (left >= kRowEnd) {
            left = 0;
            top += kStepY;
        }
    }
}

void CataloguePanel::openScript(const QString& name)
{
    if (!isScriptIdentifier(name)) return;
    // The user's own script goes to its file before the game folder changes under it.
    if (!m_studio.saveEditor()) return;
    QString folder = m_studio.programFolder() + name;
    QDir().mkdir(folder);
    m_studio.setGameFolder(folder + "/");
    m_http.prepareRequest();
    const QString scriptName = name + ".scp";
    ++m_waiting;
    m_http.downloadFileAsync(m_http.scriptBase(), folder + "/", scriptName, this, [this, scriptName](bool ok) {
        --m_waiting;
        if (ok && m_studio.openScript(scriptName)) hidePanel();
        m_studio.refreshScriptList();
    });
}

bool CataloguePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_close && event->type() == QEvent::MouseButtonRelease) hidePanel();
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace ludomat
