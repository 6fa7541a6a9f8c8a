// The member window's chat: entering and leaving the group, the nick, the 2-second poll of
// messages and participants, sending text and listings, and the "Listags" page.

#include "graphics/cp1252.h"
#include "online/chat_records.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "online/member_link.h"
#include "online/member_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <algorithm>

namespace ludomat {

namespace {

const char kRule[] = "//------------------------------------------";
// Lines "Listags" keeps; a session of long listings stays within it.
constexpr int kMaxListingLines = 200'000;
// The chat box's visible height: the newest messages end at its bottom.
constexpr int kChatHeight = 325;

QFont chatFont(const char* family, int points, bool bold)
{
    QFont font(family);
    font.setPixelSize(points * 96 / 72);
    font.setBold(bold);
    return font;
}

QPushButton* sideButton(QWidget* parent, const QString& caption, const char* name, int y)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(8, y, 165, 26);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        "QPushButton { background: #2f3a44; color: #e8eef2; border: 1px solid #71808c;"
        " border-radius: 4px; font: bold 12px 'Arial'; } QPushButton:pressed { background: #d9822b; }");
    return button;
}

}  // namespace

void MemberWindow::buildJamPages()
{
    QWidget* jam = page(MainPage::Jam);
    m_chat = new QScrollArea(jam);
    m_chat->setObjectName("Chat");
    m_chat->setGeometry(0, 0, 710, kChatHeight);
    m_chat->setFrameShape(QFrame::NoFrame);
    m_chat->setStyleSheet(
        "QScrollArea { background: #181d22; } QScrollBar:vertical { width: 10px; background: #181d22; }"
        "QScrollBar:horizontal { height: 10px; background: #181d22; }"
        "QScrollBar::handle { background: #d9822b; } QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; "
        "}");
    m_chatContent = new QWidget;
    m_chatContent->setStyleSheet("background: #181d22;");
    m_chatContent->resize(kChatLabelWidth, kChatHeight);
    m_chat->setWidget(m_chatContent);
    m_chat->viewport()->installEventFilter(this);
    m_chat->viewport()->setMouseTracking(true);

    m_memo = new QPlainTextEdit(jam);
    m_memo->setObjectName("Memo1");
    m_memo->setGeometry(0, 340, 686, 94);
    m_memo->setFont(chatFont("Courier New", 11, true));
    m_memo->setStyleSheet("background: #f4f6f8; color: black;");
    m_memo->installEventFilter(this);
    auto* listings = new QPushButton("Listags", jam);
    listings->setObjectName("Image3");
    listings->setGeometry(690, 340, 40, 94);
    listings->setToolTip("Listagens recebidas");
    listings->setStyleSheet("font: bold 9px 'Arial';");
    connect(listings, &QPushButton::clicked, this, [this] { m_book->setCurrentWidget(page(MainPage::Listags)); });
    // What happened to a send the member must know about: a refusal, a lost session.
    m_jamNotice = new QLabel(jam);
    m_jamNotice->setObjectName("lbAviso");
    m_jamNotice->setGeometry(0, 436, 730, 26);
    m_jamNotice->setTextFormat(Qt::PlainText);
    m_jamNotice->setStyleSheet("color: #ff8a65; font: bold 14px 'Arial';");

    QWidget* side = sidePage(SidePage::Jam);
    auto* caption = new QLabel("Grupo (clique para entrar):", side);
    caption->setGeometry(8, 4, 170, 18);
    caption->setStyleSheet("color: #c8cfd5; font: 11px 'Arial';");
    m_group = new QLabel(side);
    m_group->setObjectName("Grp1");
    m_group->setGeometry(8, 22, 170, 24);
    m_group->setTextFormat(Qt::PlainText);
    m_group->setCursor(Qt::PointingHandCursor);
    m_group->setStyleSheet("color: #9fd3ff; font: bold underline 15px 'Arial';");
    m_group->installEventFilter(this);
    m_nick = new QLineEdit(side);
    m_nick->setObjectName("Nick");
    m_nick->setGeometry(8, 52, 140, 24);
    m_nick->setMaxLength(16);
    m_nick->setToolTip("Seu apelido no grupo: escreva e tecle Enter");
    m_nick->installEventFilter(this);
    m_led2 = new QLabel(side);
    m_led2->setObjectName("Led2");
    m_led2->setGeometry(156, 60, 15, 7);
    connect(sideButton(side, "Clear chat", "btCls", 86), &QPushButton::clicked, this, &MemberWindow::clearChat);
    auto* sendScript = sideButton(side, "Enviar script", "btScp", 118);
    connect(sendScript, &QPushButton::clicked, this, &MemberWindow::sendListing);
    auto* leave = sideButton(side, "Sair da jam", "btSai", 150);
    connect(leave, &QPushButton::clicked, this, &MemberWindow::leaveGroup);
    m_sendButtons = {sendScript, leave};
    auto* partsCaption = new QLabel("Participantes:", side);
    partsCaption->setGeometry(8, 186, 170, 18);
    partsCaption->setStyleSheet("color: #c8cfd5; font: 11px 'Arial';");
    m_parts = new QListWidget(side);
    m_parts->setObjectName("Parts");
    m_parts->setGeometry(8, 206, 145, 181);
    m_parts->setSortingEnabled(true);
}

void MemberWindow::buildListagsPage()
{
    QWidget* listags = page(MainPage::Listags);
    m_listings = new QPlainTextEdit(listags);
    m_listings->setObjectName("LstFnt");
    m_listings->setGeometry(0, 0, 686, 456);
    m_listings->setFont(chatFont("Courier New", 10, true));
    m_listings->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Listings pile up here for the whole session; the oldest lines go past this many.
    m_listings->setMaximumBlockCount(kMaxListingLines);
    auto* back = new QPushButton("Jam", listags);
    back->setObjectName("Image4");
    back->setGeometry(690, 0, 40, 60);
    connect(back, &QPushButton::clicked, this, [this] { m_book->setCurrentWidget(page(MainPage::Jam)); });
    m_paste = new QLabel(">>>", listags);
    m_paste->setObjectName("Paste");
    m_paste->setGeometry(690, 70, 40, 30);
    m_paste->setToolTip("Cola a parte selecionada no editor de scripts");
    m_paste->setCursor(Qt::PointingHandCursor);
    m_paste->setStyleSheet("color: aqua; font: bold 16px 'Arial';");
    m_paste->installEventFilter(this);
}

QString MemberWindow::activeGroup() const
{
    return m_group->text();
}

void MemberWindow::setLed(const char* colour)
{
    m_led2->setStyleSheet(QString("background: %1;").arg(colour));
    m_led2->setProperty("colour", colour);
    m_led2->repaint();
}

void MemberWindow::setSendButtonsShown(bool shown)
{
    for (QWidget* button : m_sendButtons) button->setVisible(shown);
}

void MemberWindow::showJam()
{
    showPages(MainPage::Jam, SidePage::Jam);
}

int MemberWindow::chatLabelCount() const
{
    size_t count = 0;
    for (const ShownMessage& message : m_shown) count += message.labels.size();
    return int(count);
}

QString MemberWindow::jamNotice() const
{
    return m_jamNotice->text();
}

void MemberWindow::setJamNotice(const QString& text)
{
    m_jamNotice->setText(text);
}

void MemberWindow::clearChat()
{
    for (ShownMessage& message : m_shown)
        for (QLabel* label : message.labels) delete label;
    m_shown.clear();
    m_chatY = 0;
    m_chatContent->resize(kChatLabelWidth, kChatHeight);
}

void MemberWindow::enterGroup()
{
    if (activeGroup().isEmpty() || m_sessionLost) return;
    if (!m_inGroup) return joinGroup();
    // The exit's reply comes first, so the server never sees the entry before it.
    stopGroup();
    ask(leaveRequest(m_memberKey), {}, [this](const std::string&) { joinGroup(); });
}

void MemberWindow::joinGroup()
{
    setLed("maroon");
    clearChat();
    m_messageCursor = 0;
    ++m_chatEpoch;
    const int epoch = m_chatEpoch;
    ask(enterRequest(m_memberKey, toCp1252(activeGroup())), {}, [this, epoch](const std::string& nick) {
        if (nick.empty() || epoch != m_chatEpoch) return;
        m_nick->setText(fromCp1252(nick));
        m_listings->clear();
        m_inGroup = true;
        setJamNotice(QString());
        m_timer.start();
        setLed("lime");
        setSendButtonsShown(true);
        tick();
    });
}

void MemberWindow::leaveGroup()
{
    stopGroup();
    // Its reply changes nothing.
    ask(leaveRequest(m_memberKey), {}, [](const std::string&) {});
}

// Leaving as the window sees it: polls end, and one still under way is forgotten.
void MemberWindow::stopGroup()
{
    m_inGroup = false;
    m_timer.stop();
    m_polling = false;
    ++m_chatEpoch;
    m_parts->clear();
    setLed("maroon");
    m_listings->clear();
    setSendButtonsShown(false);
}

void MemberWindow::changeNick()
{
    setLed("red");
    ask(nickRequest(m_memberKey, toCp1252(m_nick->text())), {}, [this](const std::string& nick) {
        if (!nick.empty()) {
            m_nick->setText(fromCp1252(nick));
            m_memo->setFocus();
        }
        setLed(m_inGroup ? "lime" : "maroon");
    });
}

void MemberWindow::tick()
{
    pollMessages();
}

void MemberWindow::loseSession()
{
    m_sessionLost = true;
    m_timer.stop();
    m_polling = false;
    setJamNotice(kSessionLost);
    m_status->setText(kSessionLost);
    setLed("maroon");
}

void MemberWindow::addChatLabel(const QString& text, int height, const QFont& font, const char* colour)
{
    auto* label = new QLabel(m_chatContent);
    // Chat text comes from other members: it is shown as plain text, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setStyleSheet(QString("color: %1; background: transparent;").arg(colour));
    label->setGeometry(0, m_chatY, kChatLabelWidth, height);
    label->show();
    m_shown.back().labels.push_back(label);
    m_chatY += height;
}

// Asks for the messages after the cursor, then the participants.
void MemberWindow::pollMessages()
{
    // A poll still unanswered is not doubled: both would ask from the same cursor. A refused
    // key is not tried again before the member logs in.
    if (m_polling || m_sessionLost) return;
    m_polling = true;
    setLed("red");
    const int epoch = m_chatEpoch;
    ask(messagesRequest(m_memberKey, m_messageCursor, toCp1252(activeGroup())), {},
        [this, epoch](const std::string& reply) {
            // A poll of a group left meanwhile: leaving already ended it.
            if (epoch != m_chatEpoch) return;
            if (isAccessRefusal(reply)) return loseSession();
            std::vector<std::string> lines = replyLines(reply);
            if (lines.size() >= 2 && lines[0] == "Ok") showRecords(lines);
            requestParticipants(true);
        });
}

void MemberWindow::showRecords(const std::vector<std::string>& lines)
{
    static const QFont headerFont = chatFont("Arial", 16, true);
    static const QFont textFont = chatFont("Arial", 14, false);
    static const QFont listingFont = chatFont("Courier New", 14, true);
    QFont measure("Arial");
    measure.setPixelSize(19);
    const QFontMetrics metrics(measure);
    m_chat->verticalScrollBar()->setValue(0);
    for (const ChatRecord& record : readChatRecords(lines)) {
        const int top = m_chatY;
        m_shown.emplace_back();
        addChatLabel(fromCp1252(record.header), kChatLineHeight, headerFont, "lime");
        if (record.isListing) {
            // One label for the listing however long it is; "Listags" gets all of it.
            ChatBodyView view = listingView(record.listing);
            addChatLabel(fromCp1252(view.text), view.lines * kChatLineHeight, listingFont, "white");
            QString whole;
            for (const std::string& line : record.listing) whole += fromCp1252(line) + '\n';
            m_listings->appendPlainText(whole + kRule + '\n');
        } else if (!record.cutOff) {
            QString text = fromCp1252(textView(record.text));
            addChatLabel(text, chatTextHeight(metrics.horizontalAdvance(text)), textFont, "silver");
        }
        ++m_messageCursor;
        m_chatY += kChatLineHeight;
        m_shown.back().height = m_chatY - top;
    }
    trimChat();
    m_chatContent->resize(kChatLabelWidth, std::max(m_chatY, kChatHeight));
    m_chat->verticalScrollBar()->setValue(m_chatY - kChatHeight);
}

// The oldest messages past the limit leave, and the rest move up into their place.
void MemberWindow::trimChat()
{
    int removed = 0;
    while (m_shown.size() > kMaxChatMessages) {
        for (QLabel* label : m_shown.front().labels) delete label;
        removed += m_shown.front().height;
        m_shown.pop_front();
    }
    if (removed == 0) return;
    for (ShownMessage& message : m_shown)
        for (QLabel* label : message.labels) label->move(0, label->y() - removed);
    m_chatY -= removed;
}

void MemberWindow::pollParticipants()
{
    requestParticipants(false);
}

// `endsPoll`: this is the second half of a poll, which ends with its reply.
void MemberWindow::requestParticipants(bool endsPoll)
{
    const int epoch = m_chatEpoch;
    ask(participantsRequest(m_memberKey, toCp1252(activeGroup())), {},
        [this, epoch, endsPoll](const std::string& reply) {
            if (epoch != m_chatEpoch) return;
            if (endsPoll) m_polling = false;
            if (isAccessRefusal(reply)) return loseSession();
            setLed(m_inGroup ? "lime" : "maroon");
            std::vector<std::string> lines = replyLines(reply);
            if (lines.empty() || lines[0] != "Ok") return;
            m_parts->clear();
            for (size_t i = 1; i < lines.size(); ++i) m_parts->addItem(fromCp1252(lines[i]));
        });
}

// Sends `text`; a typed message leaves the input box only when the server took it.
void MemberWindow::postChat(const std::string& text, bool typed)
{
    setLed("red");
    m_sending = true;
    if (typed) m_memo->setReadOnly(true);
    m_http.prepareRequest();
    ++m_waiting;
    m_http.postFormAsync(m_memberBase + "mandamsg.php", {{"Idk", m_memberKey}}, "Txt", text, this,
                         [this, typed](const Http::Reply& reply) {
                             --m_waiting;
                             m_sending = false;
                             m_memo->setReadOnly(false);
                             const std::string body = reply.body.toStdString();
                             if (!reply.ok) {
                                 // The lamp stays red until the next tick, and the typed text is kept.
                                 setJamNotice("Mensagem não enviada: " + reply.error);
                             } else if (isAccessRefusal(body)) {
                                 loseSession();
                             } else if (!isSendAccepted(body)) {
                                 setJamNotice("Mensagem não enviada: " + fromCp1252(body).left(200));
                                 setLed(m_inGroup ? "lime" : "maroon");
                             } else {
                                 if (typed) m_memo->clear();
                                 setJamNotice(QString());
                                 setLed(m_inGroup ? "lime" : "maroon");
                             }
                         });
}

void MemberWindow::sendTyped()
{
    if (m_sending || m_sessionLost) {
        if (m_sessionLost) setJamNotice(kSessionLost);
        return;
    }
    postChat(toCp1252(m_memo->toPlainText()), true);
}

void MemberWindow::sendListing()
{
    QString selection = m_link.editorSelection();
    if (!inGroup() || selection.isEmpty() || m_sending) return;
    if (m_sessionLost) return setJamNotice(kSessionLost);
    selection.replace("\n", "\r\n");
    postChat("lst\r\n" + toCp1252(selection) + "\r\n" + kChatSeparator + "\r\n", false);
}

void MemberWindow::pasteListing()
{
    m_paste->setStyleSheet("color: aqua; font: bold 16px 'Arial';");
    showPages(MainPage::Jam, SidePage::Jam);
    QString selected = m_listings->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, '\n');
    if (!selected.isEmpty()) m_link.insertBeforeCaretLine(selected);
}

bool MemberWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_memo && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && !m_memo->toPlainText().isEmpty() && inGroup()) {
            sendTyped();
            return true;
        }
    } else if (watched == m_nick && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            changeNick();
            return true;
        }
    } else if (watched == m_group && type == QEvent::MouseButtonRelease) {
        enterGroup();
        return true;
    } else if (watched == m_paste && type == QEvent::MouseButtonPress) {
        m_paste->setStyleSheet("color: red; font: bold 16px 'Arial';");
        return true;
    } else if (watched == m_paste && type == QEvent::MouseButtonRelease) {
        pasteListing();
        return true;
    } else if (m_chat && watched == m_chat->viewport() && type == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        QScrollBar* bar = m_chat->verticalScrollBar();
        bar->setValue(bar->value() - wheel->angleDelta().y());
        return true;
    } else if (m_chat && watched == m_chat->viewport() && type == QEvent::MouseMove) {
        m_chat->setFocus();
    } else if (watched == m_picture && type == QEvent::MouseButtonRelease) {
        drawPreview();
        return true;
    } else if (m_scriptPreview && watched == m_scriptPreview->viewport() && type == QEvent::MouseButtonPress) {
        copyPreviewedScript();
        return true;
    } else if (auto entry = std::find(m_entryCaptions.begin(), m_entryCaptions.end(), watched);
               entry != m_entryCaptions.end() && type == QEvent::MouseButtonRelease) {
        runEntry(int(entry - m_entryCaptions.begin()));
        return true;
    } else if (watched == m_help && type == QEvent::MouseButtonRelease) {
        showHelp();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ludomat
