#include "studio/pages/load_page.h"

#include "studio/files/studio_files.h"
#include "studio/pages/folder_tree.h"
#include "studio/window/page_context.h"
#include "studio/window/page_label.h"
#include "studio/window/picture_button.h"

#include <QDir>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>

namespace ludomat {

namespace {

constexpr int kActionLeft = 334;
constexpr int kActionWidth = 264;
constexpr int kActionHeight = 30;
constexpr int kHalfWidth = 130;
// The script mask of the file list; on this platform it matches any case, as it always did.
const QStringList kScriptMask{"*.scp"};
// A picture on the page that opens an editor, drawn as a small card with its pictogram.
class EditorPicture : public QAbstractButton {
public:
    using Paint = void (*)(QPainter&, const QRectF&);
    EditorPicture(const QString& caption, Paint paint, QWidget* parent) : QAbstractButton(parent), m_paint(paint)
    {
        setText(caption);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        // A card whose page is not there yet is drawn faded.
        if (!isEnabled()) painter.setOpacity(0.4);
        painter.drawPixmap(0, 0,
                           skin::buttonPicture(size(), skin::ButtonLook::Page, isDown(), underMouse() && isEnabled()));
        painter.setRenderHint(QPainter::Antialiasing);
        // The pictogram above its caption, both sinking while the card is held.
        int sink = isDown() ? 1 : 0;
        QRectF art((width() - 24) / 2.0, 4 + sink, 24, 24);
        m_paint(painter, art);
        painter.setPen(QColor(0x1b, 0x2a, 0x38));
        painter.setFont(QFont("Liberation Sans", 8, QFont::Bold));
        painter.drawText(QRect(2, 28 + sink, width() - 4, height() - 30), Qt::AlignHCenter | Qt::AlignTop, text());
    }

private:
    Paint m_paint;
};

void paintPencil(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(0x23, 0x41, 0x5a), 1.2));
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    QPolygonF body({r.bottomLeft() + QPointF(2, -2), r.bottomLeft() + QPointF(2, -8), r.topRight() + QPointF(-7, 3),
                    r.topRight() + QPointF(-2, 8), r.bottomLeft() + QPointF(8, -2)});
    p.drawPolygon(body);
    p.setBrush(QColor(0xe8, 0x55, 0x4e));
    p.drawEllipse(QRectF(r.left() + 14, r.top() + 12, 6, 6));
}

void paintPixels(QPainter& p, const QRectF& r)
{
    const QColor colours[] = {QColor(0x3f, 0xa7, 0xd6), QColor(0xf2, 0xc1, 0x4e), QColor(0x4c, 0xd9, 0x64),
                              QColor(0xe8, 0x55, 0x4e)};
    p.setPen(Qt::NoPen);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            p.setBrush(colours[(x * 3 + y) % 4]);
            p.drawRect(QRectF(r.left() + x * 6, r.top() + y * 6, 5, 5));
        }
}

void paintTiles(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(0x23, 0x41, 0x5a), 1));
    p.setBrush(QColor(0x9b, 0xc5, 0x7a));
    p.drawRect(r.adjusted(0, 12, -12, 0));
    p.setBrush(QColor(0x8d, 0x6e, 0x4f));
    p.drawRect(r.adjusted(12, 12, 0, 0));
    p.setBrush(QColor(0x7d, 0xb7, 0xe0));
    p.drawRect(r.adjusted(0, 0, 0, -12));
}

void paintSprite(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3f, 0xa7, 0xd6));
    p.drawEllipse(QRectF(r.left() + 7, r.top() + 1, 10, 10));
    p.setBrush(QColor(0x23, 0x41, 0x5a));
    p.drawRoundedRect(QRectF(r.left() + 5, r.top() + 11, 14, 9), 3, 3);
    p.drawRect(QRectF(r.left() + 6, r.top() + 19, 4, 5));
    p.drawRect(QRectF(r.left() + 14, r.top() + 19, 4, 5));
}

void paintMatrix(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            p.setBrush((x + y) % 3 ? QColor(0xb8, 0xc0, 0xc8) : QColor(0xe8, 0x55, 0x4e));
            p.drawEllipse(QRectF(r.left() + x * 5, r.top() + y * 5, 3.6, 3.6));
        }
}

void paintMembers(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x93, 0x9f));
    p.drawEllipse(QRectF(r.left() + 12, r.top() + 3, 8, 8));
    p.drawRoundedRect(QRectF(r.left() + 9, r.top() + 12, 14, 10), 4, 4);
    p.setBrush(QColor(0x23, 0x41, 0x5a));
    p.drawEllipse(QRectF(r.left() + 3, r.top() + 5, 9, 9));
    p.drawRoundedRect(QRectF(r.left(), r.top() + 15, 15, 9), 4, 4);
}

}  // namespace

const QString LoadPage::kFolderExists = "Pasta/jogo já existe!!!";

LoadPage::LoadPage(const PageContext& context, QWidget* parent) : QWidget(parent), m_studioFiles(*context.files)
{
    setObjectName("Load");
    setAttribute(Qt::WA_StyledBackground);
    pageLabel(this, "Jogos em desenvolvimento:", "LoadTitle", QRect(5, 10, 320, 24));
    buildLists();
    buildActions();
    buildEditorPictures();
    connect(&m_studioFiles, &StudioFiles::gameFolderChanged, this, [this] { rereadFiles(); });
}

void LoadPage::buildLists()
{
    m_folders = new FolderTree(this);
    m_folders->setGeometry(10, 45, 150, 311);
    connect(m_folders, &FolderTree::folderChosen, this, [this](const QString& folder) {
        if (!folder.isEmpty()) m_studioFiles.setGameFolder(folder);
    });

    m_files = new QListWidget(this);
    m_files->setObjectName("Arqs");
    m_files->setGeometry(165, 45, 161, 362);
    connect(m_files, &QListWidget::itemDoubleClicked, this, [this] { loadSelected(false); });

    pageLabel(this, "Nova pasta/jogo", "lbNovaPasta", QRect(11, 361, 150, 20));
    m_newFolder = new QLineEdit(this);
    m_newFolder->setObjectName("NewJog");
    m_newFolder->setGeometry(10, 383, 150, 24);
    m_newFolder->setPlaceholderText("nome + Enter");
    connect(m_newFolder, &QLineEdit::returnPressed, this, &LoadPage::createFolder);
}

void LoadPage::buildActions()
{
    auto action = [this](const QString& caption, const char* name, skin::Glyph glyph, const QRect& place) {
        auto* button = new PictureButton(caption, skin::ButtonLook::Plain, glyph, this);
        button->setObjectName(name);
        button->setGeometry(place);
        return button;
    };
    // Buttons of the online services.
    m_online.checkVersion =
        action("Verificar versão", "btVrs", skin::Glyph::Update, QRect(kActionLeft, 120, kActionWidth, kActionHeight));
    QRect updatePlace(kActionLeft, 155, kActionWidth, kActionHeight);
    // "Atualizar..." shows only while an update waits.
    m_online.update = action("Atualizar...", "btAtu", skin::Glyph::Download, updatePlace);
    m_online.update->hide();
    m_online.catalogue =
        action("Download scripts", "btDown", skin::Glyph::Download, QRect(kActionLeft, 210, kActionWidth, kActionHeight));
    m_online.manual = action("Manual, tutoriais e dicas", "btWeb", skin::Glyph::Book,
                             QRect(kActionLeft, 245, kActionWidth, kActionHeight));

    connect(action("Clear script", "btClear", skin::Glyph::Clear, QRect(kActionLeft, 280, kActionWidth, kActionHeight)),
            &QAbstractButton::clicked, this, &LoadPage::clearScript);
    connect(action("Save script", "btSave", skin::Glyph::Save, QRect(kActionLeft, 315, kHalfWidth, kActionHeight)),
            &QAbstractButton::clicked, this, &LoadPage::saveScript);
    connect(action("Load script", "btLoad", skin::Glyph::Open, QRect(474, 315, kHalfWidth - 6, kActionHeight)),
            &QAbstractButton::clicked, this, [this] { loadSelected(true); });

    m_name = new QLineEdit(m_studioFiles.scriptName(), this);
    m_name->setObjectName("Edn");
    m_name->setGeometry(335, 350, kActionWidth - 1, 26);
    m_name->setToolTip("Nome do script; Enter grava");
    connect(m_name, &QLineEdit::returnPressed, this, &LoadPage::saveScript);
    m_message = pageLabel(this, "...", "Mesg", QRect(335, 382, kActionWidth, 24));
}

void LoadPage::buildEditorPictures()
{
    struct Picture {
        const char* caption;
        const char* name;
        EditorPicture::Paint paint;
    };
    const Picture pictures[] = {
        {"Dodiroz", "imDodiroz", paintPencil}, {"Bitmap", "imBitmap", paintPixels}, {"Tiles", "imTiles", paintTiles},
        {"Sprites", "imSprites", paintSprite}, {"Matriz", "imMatriz", paintMatrix}, {"Membros", "Icovip", paintMembers},
    };
    constexpr int kColumns = 3;
    constexpr int kWidth = 84;
    constexpr int kHeight = 46;
    constexpr int kGap = 6;
    for (int i = 0; i < int(std::size(pictures)); ++i) {
        auto* picture = new EditorPicture(pictures[i].caption, pictures[i].paint, this);
        picture->setObjectName(pictures[i].name);
        if (qstrcmp(pictures[i].name, "Icovip") == 0) m_online.memberIcon = picture;
        connect(picture, &QAbstractButton::clicked, this,
                [this, picture] { emit pictureClicked(picture->objectName()); });
        picture->setGeometry(kActionLeft + (i % kColumns) * (kWidth + kGap), 10 + (i / kColumns) * (kHeight + kGap),
                             kWidth, kHeight);
    }
}

void LoadPage::setMessage(const QString& text)
{
    m_message->setText(text);
}

void LoadPage::enter()
{
    m_name->setText(m_studioFiles.scriptName());
    setMessage(QString());
    m_folders->reread(m_studioFiles.programFolder(), m_studioFiles.gameFolder());
    rereadFiles();
}

void LoadPage::rereadFiles(const QString& select)
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::File);
    QString keep = select;
    if (keep.isEmpty()) keep = m_files->currentItem() ? m_files->currentItem()->text() : m_studioFiles.scriptName();
    m_files->clear();
    QDir folder(m_studioFiles.gameFolder());
    for (const QString& name : folder.entryList(kScriptMask, QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(icon, name, m_files);
        if (name == keep) m_files->setCurrentItem(item);
    }
    if (m_folders->selectedFolder() != m_studioFiles.gameFolder()) m_folders->selectFolder(m_studioFiles.gameFolder());
}

void LoadPage::loadSelected(bool clearMessage)
{
    if (clearMessage) setMessage(QString());
    QListWidgetItem* item = m_files->currentItem();
    if (!item) {
        setMessage("Escolha um script na lista.");
        return;
    }
    QString error;
    if (!m_studioFiles.load(item->text(), &error)) {
        setMessage(error);
        return;
    }
    m_name->setText(m_studioFiles.scriptName());
    emit scriptShown();
}

void LoadPage::saveScript()
{
    setMessage(QString());
    QString error;
    if (!m_studioFiles.saveAs(m_name->text(), &error)) {
        setMessage(error);
        return;
    }
    m_name->setText(m_studioFiles.scriptName());
    // The list points at the file just written, so "Load script" takes it back.
    rereadFiles(m_studioFiles.scriptName());
    emit scriptShown();
}

void LoadPage::clearScript()
{
    setMessage(QString());
    QString error;
    if (!m_studioFiles.clear(&error)) {
        setMessage(error);
        return;
    }
    m_name->setText(m_studioFiles.scriptName());
    emit scriptShown();
}

// New games go beside the games: into the chosen folder when it is the program folder or only holds
// games, beside the chosen folder when it is a game itself (it holds scripts).
QString LoadPage::folderForNewGame() const
{
    QString chosen = m_folders->selectedFolder();
    if (chosen.isEmpty()) chosen = m_studioFiles.gameFolder();
    QDir folder(chosen);
    bool isGame = !folder.entryList({"*.scp"}, QDir::Files).isEmpty();
    if (!isGame || folder == QDir(m_studioFiles.programFolder()) || !folder.cdUp()) return chosen;
    return folder.path();
}

void LoadPage::createFolder()
{
    setMessage(QString());
    switch (m_studioFiles.createGameFolder(folderForNewGame(), m_newFolder->text())) {
        case StudioFiles::NewFolder::Exists:
            setMessage(kFolderExists);
            return;
        case StudioFiles::NewFolder::Failed:
            setMessage("Não foi possível criar a pasta.");
            return;
        case StudioFiles::NewFolder::Created:
            break;
    }
    // The list follows the new game folder, so what it shows is where Load and Save act.
    m_folders->reread(m_studioFiles.programFolder(), m_studioFiles.gameFolder());
    rereadFiles();
    m_newFolder->clear();
}

}  // namespace ludomat
