#include "app/member_area.h"

#include "engine/engine.h"
#include "graphics/picture_loader.h"
#include "online/http_client.h"
#include "online/member_window.h"
#include "online/web_menu_window.h"
#include "studio/pages/folder_tree.h"
#include "studio/pages/load_page.h"
#include "studio/window/main_window.h"
#include "studio/editing/script_editor.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTextBlock>

namespace ludomat {

namespace {
// The script a "mkdir" folder starts with.
const char kFirstScript[] = "inicio.scp";
}  // namespace

MemberArea::MemberArea(MainWindow& window, Http& http) : MemberArea(window, http, onlineViewsOf(window)) {}

MemberArea::MemberArea(MainWindow& window, Http& http, const OnlineViews& views)
    : QObject(&window),
      m_window(window),
      m_http(http),
      m_webMenu(new WebMenuWindow(http.serverRoot())),
      m_member(new MemberWindow(http, *this, m_webMenu))
{
    if (views.memberIcon) {
        views.memberIcon->setToolTip("Área de membros: grupos, conversa e projetos (F5)");
        connect(views.memberIcon, &QAbstractButton::clicked, this, &MemberArea::openMemberWindow);
    }
    if (views.manualButton) connect(views.manualButton, &QAbstractButton::clicked, m_webMenu, &WebMenuWindow::showMenu);
    connect(&window, &MainWindow::memberAreaRequested, this, &MemberArea::openMemberWindow);
}

MemberArea::~MemberArea()
{
    // Leaving the group is the member window's last request.
    delete m_member;
    delete m_webMenu;
}

void MemberArea::openMemberWindow()
{
    m_member->show();
    m_member->raise();
    m_member->activateWindow();
}

QString MemberArea::programFolder() const
{
    return m_window.programFolder();
}
QString MemberArea::memberEmail() const
{
    return m_window.files().settings().memberEmail;
}
QString MemberArea::memberPassword() const
{
    return m_window.files().settings().memberPassword;
}
void MemberArea::setMember(const QString& email, const QString& password)
{
    m_window.files().setMember(email, password);
}

// The main window's lamp is the client's activity indicator.
void MemberArea::showIndicator(bool shown)
{
    m_http.showActivity(shown);
}

QString MemberArea::editorSelection() const
{
    QString text = m_window.editor().textCursor().selectedText();
    return text.replace(QChar::ParagraphSeparator, '\n');
}

void MemberArea::insertBeforeCaretLine(const QString& text)
{
    QTextCursor cursor = m_window.editor().textCursor();
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.insertText(text.endsWith('\n') ? text : text + '\n');
}

void MemberArea::openWorkFolder(const QString& folder)
{
    QString error;
    // The user's script is saved before the editor turns to the new folder.
    if (!m_window.files().saveEditor(&error)) {
        QMessageBox::warning(&m_window, "Ludomat", error);
        return;
    }
    m_window.showPage("Load");
    m_window.files().setGameFolder(folder);
    m_window.loadPage().folders().reread(m_window.programFolder(), folder);
    // A folder opened before keeps its script; a new one starts with the heading line.
    QFile first(folder + kFirstScript);
    if (!first.exists() && first.open(QIODevice::WriteOnly))
        first.write(("//=== Script inicial : " + folder + " ======\r\n").toUtf8());
    first.close();
    if (!m_window.files().load(kFirstScript, &error)) QMessageBox::warning(&m_window, "Ludomat", error);
    m_window.loadPage().rereadFiles();
}

void MemberArea::executeScript()
{
    // A page cannot start a second run inside the one in progress.
    if (!m_window.editor().isEnabled()) return;
    m_window.execute();
}

void MemberArea::showRegisters()
{
    m_window.showRegisters();
}

bool MemberArea::loadScript(const QString& folder, const QString& fileName)
{
    QString error;
    if (!m_window.files().saveEditor(&error)) {
        QMessageBox::critical(&m_window, "Ludomat", error);
        return false;
    }
    if (m_window.gameFolder() != folder) m_window.files().setGameFolder(folder);
    if (!m_window.files().load(fileName, &error)) {
        QMessageBox::critical(&m_window, "Ludomat", error);
        return false;
    }
    m_window.showListing();
    return true;
}

QWidget* MemberArea::mainWindow()
{
    return &m_window;
}

bool MemberArea::drawOnScreen(const QString& picturePath)
{
    try {
        Bitmap picture = loadPicture(picturePath.toStdString());
        m_window.engine().screen().telaCanvas.stretchDraw(Rect{0, 0, 760, 420}, picture);
        m_window.engine().host().screenChanged();
        return true;
    } catch (const PictureError& error) {
        QMessageBox::critical(&m_window, "Ludomat", QString::fromStdString(error.what()));
        return false;
    }
}

bool MemberArea::openBoardScript(const QString& folder, const QString& fileName)
{
    return loadScript(folder, fileName);
}

}  // namespace ludomat
