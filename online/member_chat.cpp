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
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>

namespace ludomat {

namespace {

const char kRule[] = "//------------------------------------------";
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
    button->setStyleSheet("QPushButton { background: #2f3a44; color: #e8eef2; border: 1px solid #71808c;"
                          " border-radius: 4px; font: bold 12px 'Arial'; } QPushButton:pressed { background: #d9822b; }");
    return button;
}

}  // namespace

void MemberWindow::buildJamPages()
{
    QWidget* jam = m_book->findChild<QWidget*>("Jam");
    m_chat = new QScrollArea(jam);
    m_chat->setObjectName("Chat");
    m_chat->setGeometry(0, 0, 710, kChatHeight);
    m_chat->setFrameShape(QFrame::NoFrame);
    m_chat->setStyleSheet("QScrollArea { background: #181d22; } QScrollBar:vertical { width: 10px; background: #181d22; }"
                          "QScrollBar:horizontal { height: 10px; background: #181d22; }"
                          "QScrollBar::handle { background: #d9822b; } QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }");
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
    connect(listings, &QPushButton::clicked, this, [this] { m_book->setCurrentWidget(m_book->findChild<QWidget*>("Listags")); });

    QWidget* side = m_sideBook->findChild<QWidget*>("Jam");
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
    QWidget* page = m_book->findChild<QWidget*>("Listags");
    m_listings = new QPlainTextEdit(page);
    m_listings->setObjectName("LstFnt");
    m_listings->setGeometry(0, 0, 686, 456);
    m_listings->setFont(chatFont("Courier New", 10, true));
    m_listings->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* back = new QPushButton("Jam", page);
    back->setObjectName("Image4");
    back->setGeometry(690, 0, 40, 60);
    connect(back, &QPushButton::clicked, this, [this] { m_book->setCurrentWidget(m_book->findChild<QWidget*>("Jam")); });
    m_paste = new QLabel(">>>", page);
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
    showPages("Jam", "Jam");
}

void MemberWindow::clearChat()
{
    for (QLabel* label : m_chatLabels) delete label;
    m_chatLabels.clear();
    m_chatY = 0;
    m_chatContent->resize(kChatLabelWidth, kChatHeight);
}

void MemberWindow::enterGroup()
{
    if (activeGroup().isEmpty()) return;
    if (inGroup()) leaveGroup();
    setLed("maroon");
    clearChat();
    m_messageCursor = 0;
    std::string nick = ludomat::enterGroup(m_http, m_memberKey, toCp1252(activeGroup()));
    if (nick.empty()) return;
    m_nick->setText(fromCp1252(nick));
    m_listings->clear();
    pollMessages();
    pollParticipants();
    m_timer.start();
    setLed("lime");
    setSendButtonsShown(true);
}

void MemberWindow::leaveGroup()
{
    m_timer.stop();
    m_parts->clear();
    ludomat::leaveGroup(m_http, m_memberKey);
    setLed("maroon");
    m_listings->clear();
    setSendButtonsShown(false);
}

void MemberWindow::changeNick()
{
    setLed("red");
    std::string nick = ludomat::changeNick(m_http, m_memberKey, toCp1252(m_nick->text()));
    if (!nick.empty()) {
        m_nick->setText(fromCp1252(nick));
        m_memo->setFocus();
    }
    setLed("lime");
}

void MemberWindow::tick()
{
    setLed("red");
    pollMessages();
    pollParticipants();
    setLed("lime");
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
    m_chatLabels.push_back(label);
    m_chatY += height;
}

void MemberWindow::pollMessages()
{
    std::vector<std::string> lines =
        replyLines(fetchMessages(m_http, m_memberKey, m_messageCursor, toCp1252(activeGroup())));
    if (lines.size() < 2 || lines[0] != "Ok") return;
    showRecords(lines);
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
        addChatLabel(fromCp1252(record.header), kChatLineHeight, headerFont, "lime");
        if (record.isListing) {
            for (const std::string& line : record.listing) {
                addChatLabel(fromCp1252(line), kChatLineHeight, listingFont, "white");
                m_listings->appendPlainText(fromCp1252(line));
            }
            m_listings->appendPlainText(kRule);
            m_listings->appendPlainText(QString());
        } else if (!record.cutOff) {
            QString text = fromCp1252(record.text);
            addChatLabel(text, chatTextHeight(metrics.horizontalAdvance(text)), textFont, "silver");
        }
        ++m_messageCursor;
        m_chatY += kChatLineHeight;
    }
    m_chatContent->resize(kChatLabelWidth, std::max(m_chatY, kChatHeight));
    m_chat->verticalScrollBar()->setValue(m_chatY - kChatHeight);
}

void MemberWindow::pollParticipants()
{
    std::vector<std::string> lines = replyLines(fetchParticipants(m_http, m_memberKey, toCp1252(activeGroup())));
    if (lines.empty() || lines[0] != "Ok") return;
    m_parts->clear();
    for (size_t i = 1; i < lines.size(); ++i) m_parts->addItem(fromCp1252(lines[i]));
}

void MemberWindow::postChat(const std::string& text)
{
    setLed("red");
    try {
        m_http.postChatText(m_memberKey, text);
    } catch (const std::exception& error) {
        // The lamp stays red until the next tick, and the typed text is kept.
        QMessageBox::critical(this, "Ludomat", QString::fromStdString(error.what()));
        throw;
    }
    setLed("lime");
}

void MemberWindow::sendTyped()
{
    try {
        postChat(toCp1252(m_memo->toPlainText()));
        m_memo->clear();
    } catch (const std::exception&) {
    }
}

void MemberWindow::sendListing()
{
    QString selection = m_link.editorSelection();
    if (!inGroup() || selection.isEmpty()) return;
    selection.replace("\n", "\r\n");
    try {
        postChat("lst\r\n" + toCp1252(selection) + "\r\n" + kChatSeparator + "\r\n");
    } catch (const std::exception&) {
    }
}

void MemberWindow::pasteListing()
{
    m_paste->setStyleSheet("color: aqua; font: bold 16px 'Arial';");
    showPages("Jam", "Jam");
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
    } else if (watched->objectName().startsWith("Opc") && type == QEvent::MouseButtonRelease) {
        runEntry(watched->objectName().mid(3).toInt());
        return true;
    } else if (watched->objectName() == "Help" && type == QEvent::MouseButtonRelease) {
        showHelp();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ludomat
