#pragma once
// The member window against the real ludomat-server process: the studio side recorded, one
// member's session, and the server with the shipped member content plus pages made for the tests.

#include "graphics/cp1252.h"
#include "online/chat_records.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "online/member_link.h"
#include "online/member_web_page.h"
#include "online/member_window.h"
#include "test_servers.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

namespace ludomat::test {

// The studio side, recorded: what the window asked of it, in order.
class RecordingLink : public MemberLink {
public:
    explicit RecordingLink(const QString& folder) : m_folder(folder) {}
    QString programFolder() const override { return m_folder; }
    QString memberEmail() const override { return email; }
    QString memberPassword() const override { return password; }
    void setMember(const QString& e, const QString& p) override { email = e, password = p; }
    void showIndicator(bool) override {}
    QString editorSelection() const override { return selection; }
    void insertBeforeCaretLine(const QString& text) override { calls << "insert:" + text; }
    void openWorkFolder(const QString& folder) override { calls << "folder:" + folder; }
    void executeScript() override { calls << "execute"; }
    void showRegisters() override { calls << "registers"; }
    bool loadScript(const QString& folder, const QString& name) override
    {
        calls << "load:" + folder + name;
        return QFile::exists(folder + name);
    }
    QWidget* mainWindow() override { return nullptr; }
    bool drawOnScreen(const QString& path) override
    {
        calls << "draw:" + path;
        return true;
    }
    bool openBoardScript(const QString& folder, const QString& name) override
    {
        calls << "open:" + folder + name;
        return true;
    }

    QString email, password, selection;
    QStringList calls;

private:
    QString m_folder;
};

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

template <typename T = QLabel>
T* child(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(name);
    if (!found) qFatal("sem o componente %s", name);
    return found;
}

// Waits until every request of `window` and of its page commands has been answered.
inline void settle(MemberWindow& window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.isWaiting() && !window.commands().isBusy(), 20000);
}

// Logs `window` in as member `email`, signing up first.
inline void logIn(MemberWindow& window, Http& http, const std::string& email)
{
    signUp(http, email, "senha-de-teste");
    child<QLineEdit>(window, "Email")->setText(QString::fromStdString(email));
    child<QLineEdit>(window, "Senha")->setText("senha-de-teste");
    window.logIn();
    settle(window);
}

// Another member, outside any window, in the group "Turma" under the nick before the "@".
inline void joinGroup(Http& http, const std::string& email, std::string& key)
{
    signUp(http, email, "senha-de-teste");
    key = login(http, email, "senha-de-teste").memberKey;
    QCOMPARE(enterGroup(http, key, "Turma"), email.substr(0, email.find('@')));
}

// One member's program folder, studio side and window.
struct Session {
    QTemporaryDir program;
    RecordingLink link{program.path() + "/"};
    Http http;
    MemberWindow window{http, link};
    explicit Session(const QString& root) : http(root) {}
    QString vip() const { return program.path() + "/vip/"; }
};

inline QList<QLabel*> chatLabels(MemberWindow& window)
{
    return child<QScrollArea>(window, "Chat")->widget()->findChildren<QLabel*>();
}

// Starts a server on the shipped member content copied into `content`, with the pages the tests
// use; it lets long listings through, as an older or a hostile one would.
inline std::unique_ptr<ServerProcess> startMemberServer(const QTemporaryDir& content)
{
    const QString vip = content.path() + "/ludomat/vip/";
    QDir().mkpath(vip);
    for (const QString& name : QDir(LUDOMAT_SERVER_CONTENT "/ludomat").entryList(QDir::Files))
        QFile::copy(LUDOMAT_SERVER_CONTENT "/ludomat/" + name, content.path() + "/ludomat/" + name);
    for (const QString& name : QDir(LUDOMAT_SERVER_CONTENT "/ludomat/vip").entryList(QDir::Files))
        QFile::copy(LUDOMAT_SERVER_CONTENT "/ludomat/vip/" + name, vip + name);
    QByteArray thirty;
    for (int i = 0; i < 30; ++i) thirty += "linha " + QByteArray::number(i) + "\r\n";
    writeFile(vip + "trinta.txt", thirty);
    writeFile(vip + "seis.txt", "Um\r\nPrimeiro\r\nshowreg\r\n-\r\nresto\r\nresto\r\n");
    writeFile(vip + "pagina.htm", "<html><body><a id='reg' href='pagina.htm?Cmd=showreg'>r</a></body></html>");
    return std::make_unique<ServerProcess>(content.path(),
                                           kShortPasswords + QStringList{"--max-listing-lines", "100000"});
}

}  // namespace ludomat::test
