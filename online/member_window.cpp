#include "online/member_window.h"

#include "graphics/cp1252.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "online/member_link.h"
#include "online/member_web_page.h"
#include "online/web_menu_window.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

namespace ludomat {

namespace {

QPushButton* topButton(QWidget* parent, const QString& caption, const char* name, int x)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, 8, 96, 28);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        "QPushButton { background: #2f3a44; color: #e8eef2; border: 1px solid #71808c;"
        " border-radius: 4px; font: bold 13px 'Arial'; }"
        "QPushButton:pressed { background: #d9822b; color: black; }"
        "QPushButton:disabled { color: #6b7780; border-color: #46525c; }");
    return button;
}

QWidget* addPage(QStackedWidget* book, const char* name)
{
    auto* widget = new QWidget;
    widget->setObjectName(name);
    book->addWidget(widget);
    return widget;
}

}  // namespace

const QString MemberWindow::kSessionLost = "Sua sessão foi aberta em outro lugar; entre de novo.";

MemberWindow::MemberWindow(Http& http, MemberLink& link, WebMenuWindow* webMenu, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_http(http),
      m_link(link),
      m_webMenu(webMenu),
      m_memberBase(http.memberBase()),
      m_commands(std::make_unique<PageCommands>(static_cast<PageCommandHost&>(*this), link.programFolder()))
{
    setObjectName("MemberWindow");
    setWindowTitle("Ludomat - Membros");
    setFixedSize(kWidth, kHeight);
    m_book = new QStackedWidget(this);
    m_book->setObjectName("Abook");
    m_book->setGeometry(20, 43, 730, 464);
    m_sideBook = new QStackedWidget(this);
    m_sideBook->setObjectName("Abook1");
    m_sideBook->setGeometry(765, 43, 181, 464);
    // In the order of MainPage and SidePage.
    for (const char* name : {"Default", "Login", "Shop", "Board", "Naveg", "Jam", "Listags"}) addPage(m_book, name);
    for (const char* name : {"Default", "Board", "Shop", "Jam"}) addPage(m_sideBook, name);

    auto* welcome = new QLabel(
        "Bem-vindo(a) à área de membros do Ludomat.\n\nEntre com o seu e-mail e a sua "
        "senha em \"Login\" para conversar com o seu grupo, trocar scripts e baixar "
        "projetos na \"Shop\".",
        m_sideBook->widget(0));
    welcome->setWordWrap(true);
    welcome->setGeometry(6, 6, 170, 300);
    welcome->setStyleSheet("color: #c8cfd5; font: 13px 'Arial';");

    buildTopRow();
    buildLoginPage();
    buildJamPages();
    buildListagsPage();
    buildShopPages();
    buildBoardPages();
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &MemberWindow::tick);
    setLed("maroon");
    setSendButtonsShown(false);
}

MemberWindow::~MemberWindow()
{
    // The program is ending and nothing is on screen any more: the exit is sent and waited for,
    // since a request left running would die with the program.
    if (m_inGroup) ludomat::leaveGroup(m_http, m_memberKey);
}

void MemberWindow::buildTopRow()
{
    auto* title = new QLabel("Ludomat  ·  Membros", this);
    title->setObjectName("Titulo");
    title->setGeometry(560, 8, 300, 28);
    title->setStyleSheet("color: #f0c36b; font: bold italic 18px 'Arial';");
    connect(topButton(this, "Login", "btLog", 20), &QPushButton::clicked, this, &MemberWindow::showLoginPage);
    auto* shop = topButton(this, "Shop", "btShp", 122);
    auto* board = topButton(this, "Board", "btBrd", 224);
    auto* jam = topButton(this, "Jam", "btJam", 326);
    m_shopButton = shop;
    m_boardButton = board;
    m_jamButton = jam;
    for (QWidget* button : {m_shopButton, m_boardButton, m_jamButton}) button->setEnabled(false);
    connect(shop, &QPushButton::clicked, this, &MemberWindow::showShop);
    connect(board, &QPushButton::clicked, this, [this] {
        showPages(MainPage::Board, SidePage::Board);
        m_status->clear();
    });
    connect(jam, &QPushButton::clicked, this, &MemberWindow::showJam);

    m_help = new QLabel("[?]", this);
    m_help->setObjectName("Help");
    m_help->setGeometry(440, 8, 40, 28);
    m_help->setCursor(Qt::PointingHandCursor);
    m_help->setStyleSheet("color: #9fd3ff; font: bold 18px 'Arial';");
    m_help->installEventFilter(this);

    m_led1 = new QLabel(this);
    m_led1->setObjectName("Led1");
    m_led1->setGeometry(496, 18, 8, 8);
    m_led1->setStyleSheet("background: #4cd964; border-radius: 4px;");
    m_led1->hide();

    auto* close = new QToolButton(this);
    close->setObjectName("btFim");
    close->setText("✕");
    close->setGeometry(kWidth - 46, 0, 46, 28);
    close->setStyleSheet(
        "QToolButton { background: transparent; color: #e8eef2; border: none; font: bold 16px 'Arial'; }"
        "QToolButton:hover { background: #c0392b; } QToolButton:pressed { background: #7f1d14; }");
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
}

void MemberWindow::buildLoginPage()
{
    QWidget* login = page(MainPage::Login);
    auto caption = [login](const QString& text, int y) {
        auto* label = new QLabel(text, login);
        label->setGeometry(80, y, 300, 22);
        label->setStyleSheet("color: #e8eef2; font: bold 15px 'Arial';");
    };
    const QString field = "background: #f4f6f8; color: black; font: 16px 'Arial'; border: 1px solid #71808c;";
    caption("E-mail:", 60);
    m_email = new QLineEdit(login);
    m_email->setObjectName("Email");
    m_email->setGeometry(80, 84, 380, 30);
    m_email->setStyleSheet(field);
    caption("Senha:", 130);
    m_password = new QLineEdit(login);
    m_password->setObjectName("Senha");
    m_password->setGeometry(80, 154, 220, 30);
    m_password->setMaxLength(16);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(field);
    connect(m_email, &QLineEdit::returnPressed, this, &MemberWindow::logIn);
    connect(m_password, &QLineEdit::returnPressed, this, &MemberWindow::logIn);

    auto* enter = topButton(login, "acessar", "btAcs", 80);
    enter->move(80, 210);
    connect(enter, &QPushButton::clicked, this, &MemberWindow::logIn);
    auto* join = topButton(login, "cadastrar", "btCad", 190);
    join->move(190, 210);
    connect(join, &QPushButton::clicked, this, &MemberWindow::signUp);

    m_status = new QLabel(login);
    m_status->setObjectName("stLog");
    m_status->setGeometry(80, 270, 566, 71);
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setStyleSheet("color: #f0c36b; font: bold 15px 'Arial';");
}

QWidget* MemberWindow::page(MainPage which) const
{
    return m_book->widget(int(which));
}

QWidget* MemberWindow::sidePage(SidePage which) const
{
    return m_sideBook->widget(int(which));
}

void MemberWindow::showPages(MainPage main, SidePage side)
{
    m_book->setCurrentWidget(page(main));
    m_sideBook->setCurrentWidget(sidePage(side));
}

void MemberWindow::showLoginPage()
{
    showPages(MainPage::Login, SidePage::Default);
    m_status->clear();
    m_email->setText(m_link.memberEmail());
    m_password->setText(m_link.memberPassword());
}

void MemberWindow::ask(const MemberRequest& request, const std::string& fallback,
                       std::function<void(const std::string&)> done)
{
    ++m_waiting;
    askMember(m_http, request, fallback, this, [this, done = std::move(done)](const std::string& reply) {
        // Counted down after `done`, so a request it chains keeps the window waiting.
        done(reply);
        --m_waiting;
    });
}

void MemberWindow::logIn()
{
    m_status->clear();
    m_shopButton->setEnabled(false);
    m_boardButton->setEnabled(false);
    if (m_email->text().isEmpty()) return m_status->setText("Não informou o seu e-mail!");
    if (m_password->text().isEmpty()) return m_status->setText("Não informou a sua senha!");
    m_link.showIndicator(true);
    m_http.prepareRequest();
    const QString email = m_email->text();
    const QString password = m_password->text();
    ask(loginRequest(toCp1252(email), toCp1252(password)), kAccessError,
        [this, email, password](const std::string& raw) { finishLogIn(raw, email, password); });
}

void MemberWindow::finishLogIn(const std::string& raw, const QString& email, const QString& password)
{
    m_link.showIndicator(false);
    LoginReply reply = readLoginReply(raw);
    m_link.setMember(email, password);
    m_status->setText(fromCp1252(reply.ok ? reply.status : raw));
    if (!reply.ok) {
        m_group->clear();
        return;
    }
    for (QWidget* button : {m_shopButton, m_boardButton, m_jamButton}) button->setEnabled(true);
    m_memberKey = reply.memberKey;
    QDir().mkpath(m_link.programFolder() + "vip");
    // A member sent away by a log-in elsewhere is back: the chat goes on with the new key.
    if (m_sessionLost) {
        m_sessionLost = false;
        setJamNotice(QString());
        if (m_inGroup) m_timer.start();
    }
    ask(groupRequest(m_memberKey), {}, [this](const std::string& group) { m_group->setText(fromCp1252(group)); });
}

void MemberWindow::signUp()
{
    m_status->clear();
    if (m_email->text().isEmpty()) return m_status->setText("Não informou o seu e-mail!");
    if (m_password->text().isEmpty()) return m_status->setText("Não informou a sua senha!");
    m_link.showIndicator(true);
    m_http.prepareRequest();
    ask(signUpRequest(toCp1252(m_email->text()), toCp1252(m_password->text())), kAccessError,
        [this](const std::string& reply) {
            m_link.showIndicator(false);
            m_status->setText(fromCp1252(reply));
        });
}

void MemberWindow::showHelp()
{
    if (!m_webMenu) return;
    static const char* const kPages[] = {"hlp01.htm", "hlp03.htm", "hlp02.htm",
                                         "hlp04.htm"};  // Default, Board, Shop, Jam
    m_webMenu->showHelp(kPages[m_sideBook->currentIndex()], geometry().topLeft());
}

void MemberWindow::paintEvent(QPaintEvent*)
{
    // The background picture: slate with a lighter band under the buttons and a thin frame.
    QPainter painter(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, QColor(61, 74, 86));
    shade.setColorAt(1, QColor(33, 40, 47));
    painter.fillRect(rect(), shade);
    painter.fillRect(QRect(0, 0, width(), 40), QColor(81, 94, 104));
    painter.setPen(QColor(217, 130, 43));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.fillRect(QRect(18, 41, 734, 468), QColor(24, 29, 34));
    painter.fillRect(QRect(763, 41, 185, 468), QColor(47, 58, 68));
}

// Dragging the background, the title or a caption moves the window by the mouse's movement.
void MemberWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    m_dragging = true;
    m_pressPoint = event->position().toPoint();
}

void MemberWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) move(pos() + event->position().toPoint() - m_pressPoint);
}

void MemberWindow::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

}  // namespace ludomat
