#pragma once
// The member area: a borderless 958 x 526 window where a member logs in, enters the group's
// chat, talks, shares listings from the editor and pastes them back, and opens the Shop page
// whose links and option entries drive the studio. Closing hides it; its state lasts the run.
// No request ever blocks the window: each one returns at once and its reply arrives later.

#include "online/page_commands.h"

#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QFileSystemModel;
class QLabel;
class QTreeView;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollArea;
class QStackedWidget;
class QWebEngineView;

namespace ludomat {

class Http;
class MemberLink;
struct MemberRequest;
class MemberWebPage;
class WebMenuWindow;

class MemberWindow : public QWidget, private PageCommandHost {
    Q_OBJECT
public:
    static constexpr int kWidth = 958;
    static constexpr int kHeight = 526;
    // The poll of messages and participants while in a group.
    static constexpr int kPollMs = 2000;
    // Told when the server refuses the member's key: another log-in took its place.
    static const QString kSessionLost;

    // The pages of the two notebooks, in their order.
    enum class MainPage { Default, Login, Shop, Board, Naveg, Jam, Listags };
    enum class SidePage { Default, Board, Shop, Jam };

    MemberWindow(Http& http, MemberLink& link, WebMenuWindow* webMenu = nullptr, QWidget* parent = nullptr);
    ~MemberWindow() override;

    // Member state.
    const QString& memberBase() const { return m_memberBase; }
    const std::string& memberKey() const { return m_memberKey; }
    QString activeGroup() const;
    int messageCursor() const { return m_messageCursor; }
    int chatY() const { return m_chatY; }
    int chatLabelCount() const;
    bool inGroup() const { return m_inGroup; }
    bool isPolling() const { return m_timer.isActive(); }
    // True while a request of the window has not been answered yet.
    bool isWaiting() const { return m_waiting > 0; }
    // The key was refused: polls stop and the typed text stays until the member logs in again.
    bool sessionLost() const { return m_sessionLost; }
    // The line under the input box that tells what happened to a send.
    QString jamNotice() const;
    PageCommands& commands() { return *m_commands; }
    MemberWebPage& webPage() { return *m_webPage; }

    // The operations of the controls, callable from a test as a click would.
    void showLoginPage();
    void logIn();
    void signUp();
    void showJam();
    void enterGroup();
    void changeNick();
    void sendTyped();
    void sendListing();
    void leaveGroup();
    void clearChat();
    void pollMessages();
    void pollParticipants();
    void showShop();
    void runEntry(int index);
    void showHelp();
    void pasteListing();
    // The "Board" page: the folder shown, a file of it previewed, the preview drawn or copied.
    void showBoardFolder(const QString& folder);
    void previewFile(const QString& fileName);
    void drawPreview();
    void copyPreviewedScript();
    QString boardFolder() const { return m_boardFolder; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopRow();
    void buildLoginPage();
    void buildJamPages();
    void buildListagsPage();
    void buildShopPages();
    void buildBoardPages();
    void showPages(MainPage main, SidePage side);
    QWidget* page(MainPage which) const;
    QWidget* sidePage(SidePage which) const;
    // Sends a member-area request; `done` gets the body or `fallback`. Counted in isWaiting().
    void ask(const MemberRequest& request, const std::string& fallback, std::function<void(const std::string&)> done);
    void finishLogIn(const std::string& raw, const QString& email, const QString& password);
    void joinGroup();
    void stopGroup();
    void loseSession();
    void setJamNotice(const QString& text);
    void trimChat();
    void requestParticipants(bool endsPoll);
    void setLed(const char* colour);
    void setSendButtonsShown(bool shown);
    void addChatLabel(const QString& text, int height, const QFont& font, const char* colour);
    void showRecords(const std::vector<std::string>& lines);
    void postChat(const std::string& text, bool typed);
    void tick();

    // PageCommandHost
    void download(const QString& folder, const QString& fileName, std::function<void(bool)> done) override;
    void showIndicator(bool shown) override;
    void fillEntries(const std::vector<OptionEntryText>& entries) override;
    void navigate(const QString& page) override;
    void openWorkFolder(const QString& folder) override;
    void executeScript() override;
    void showRegisters() override;
    bool loadScript(const QString& folder, const QString& fileName) override;
    void refuse(const QString& message) override;

    Http& m_http;
    MemberLink& m_link;
    WebMenuWindow* m_webMenu;
    QString m_memberBase;
    std::string m_memberKey;
    int m_messageCursor = 0;
    int m_chatY = 0;
    // The labels of one message in the chat box and the height it takes with its gap.
    struct ShownMessage {
        std::vector<QLabel*> labels;
        int height = 0;
    };
    std::deque<ShownMessage> m_shown;
    QTimer m_timer;
    bool m_inGroup = false;
    bool m_sessionLost = false;
    bool m_polling = false;
    bool m_sending = false;
    int m_waiting = 0;
    // Grows on every entry, exit and clearing: a poll answered after it belongs to the past.
    int m_chatEpoch = 0;
    std::unique_ptr<PageCommands> m_commands;
    bool m_dragging = false;
    QPoint m_pressPoint;

    QStackedWidget* m_book = nullptr;
    QStackedWidget* m_sideBook = nullptr;
    QWidget* m_shopButton = nullptr;
    QWidget* m_boardButton = nullptr;
    QWidget* m_jamButton = nullptr;
    QLabel* m_led1 = nullptr;
    QLabel* m_help = nullptr;
    QLabel* m_jamNotice = nullptr;
    QLineEdit* m_email = nullptr;
    QLineEdit* m_password = nullptr;
    QLabel* m_status = nullptr;
    QScrollArea* m_chat = nullptr;
    QWidget* m_chatContent = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QLabel* m_group = nullptr;
    QLineEdit* m_nick = nullptr;
    QLabel* m_led2 = nullptr;
    std::vector<QWidget*> m_sendButtons;
    QListWidget* m_parts = nullptr;
    QPlainTextEdit* m_listings = nullptr;
    QLabel* m_paste = nullptr;
    QWebEngineView* m_web = nullptr;
    MemberWebPage* m_webPage = nullptr;
    std::vector<QLabel*> m_entryCaptions;
    std::vector<QLabel*> m_entryDescriptions;
    QTreeView* m_folders = nullptr;
    QFileSystemModel* m_folderModel = nullptr;
    QListWidget* m_files = nullptr;
    QLabel* m_picture = nullptr;
    QPlainTextEdit* m_scriptPreview = nullptr;
    QString m_boardFolder;
    QString m_previewPicture;
};

}  // namespace ludomat
