#pragma once
// The script catalogue `Sbx`: a panel over the run-time screen with one picture per game of the
// server's catalogue. A click makes a game folder named after the script, downloads the script
// into it and opens it in the editor. The list, the pictures and the script come without holding
// the window.

#include <QLabel>
#include <QScrollArea>
#include <QString>

#include <string>
#include <vector>

namespace ludomat {

class Http;
class StudioLink;

// One game of the catalogue: its script name (without ".scp") and its picture file name.
struct CatalogueEntry {
    QString name;
    QString picture;
    bool operator==(const CatalogueEntry&) const = default;
};

// One tile of the panel: the game's picture, clickable.
class CatalogueTile : public QLabel {
    Q_OBJECT
public:
    CatalogueTile(const CatalogueEntry& entry, QWidget* parent);
    const CatalogueEntry& entry() const { return m_entry; }

signals:
    void chosen(const QString& name);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CatalogueEntry m_entry;
};

class CataloguePanel : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kShownTop = 0;
    static constexpr int kHiddenTop = 2000;
    static constexpr int kTileSize = 100;
    static constexpr int kStepX = 106;
    static constexpr int kStepY = 105;
    // A row ends when the next tile would start here: seven tiles a row.
    static constexpr int kRowEnd = 740;

    CataloguePanel(Http& http, StudioLink& studio, QWidget* parent);

    // "Download scripts": shows or hides the panel; the first time it also fetches the list.
    void toggle();
    // The "X".
    void hidePanel();
    bool isShown() const { return y() == kShownTop; }
    bool isLoaded() const { return m_loaded; }
    // A click on the tile of script `name`.
    void openScript(const QString& name);
    QList<CatalogueTile*> tiles() const { return m_tiles; }
    // True while the list, a picture or a script is still on its way.
    bool isBusy() const { return m_waiting > 0; }

    // The list reply read into entries: line 1 must be exactly "Ok"; the rest is sorted without
    // regard to case, repeated lines dropped, and taken in pairs (picture, script); an odd last
    // line is ignored. Pairs whose names could write outside their folder, whose picture has no
    // picture extension, whose script is not an identifier with ".scp", or whose name came
    // before, are left out.
    static std::vector<CatalogueEntry> readList(const std::string& reply);

private:
    void fetch();
    void showList(const std::string& reply);
    void addTile(const CatalogueEntry& entry, int left, int top);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Http& m_http;
    StudioLink& m_studio;
    QWidget* m_content;
    QLabel* m_close;
    QList<CatalogueTile*> m_tiles;
    bool m_loaded = false;
    int m_waiting = 0;
};

}  // namespace ludomat
