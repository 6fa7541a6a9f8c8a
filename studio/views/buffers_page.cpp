#include "studio/views/buffers_page.h"

#include "engine/engine.h"
#include "graphics/blit.h"
#include "graphics/cp1252.h"
#include "studio/window/page_context.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

namespace ludomat {

namespace {

constexpr QSize kPictureSize{253, 140};

QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const QString& text = {})
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// A copy of the bitmap scaled to `size` by the raster's own stretch (no smoothing, no key).
QPixmap scaledPicture(const Bitmap& bitmap, QSize size)
{
    if (bitmap.isEmpty() || size.isEmpty()) return {};
    Bitmap scaled(size.width(), size.height());
    stretchCopy(scaled, Rect::fromXywh(0, 0, size.width(), size.height()), bitmap,
                Rect::fromXywh(0, 0, bitmap.width(), bitmap.height()));
    return QPixmap::fromImage(scaled.view().copy());
}

QLabel* scrolledPicture(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setGeometry(geometry);
    auto* picture = new QLabel;
    picture->setObjectName(name);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(picture);
    scroll->setWidgetResizable(false);
    return picture;
}

QString sizeText(const Bitmap& b)
{
    return QString("%1 x %2").arg(b.width()).arg(b.height());
}

}  // namespace

BuffersPage::BuffersPage(const PageContext& context, QWidget* parent) : QWidget(parent), m_engine(*context.engine)
{
    setObjectName("Buffers");
    setAttribute(Qt::WA_StyledBackground);
    label(this, "lbBuffersTitle", QRect(5, 10, 160, 22), "Buffers gráficos:");
    m_line = label(this, "lbBufLinha", QRect(170, 13, 430, 20));
    m_screenCaption = label(this, "lbBufTela", QRect(17, 43, 250, 20));
    m_screenPicture = label(this, "imBufTela", QRect(QPoint(15, 67), kPictureSize));
    m_backCaption = label(this, "lbBufBak", QRect(342, 43, 260, 20));
    m_backPicture = label(this, "imBufBak", QRect(QPoint(340, 67), kPictureSize));
    auto button = [this](const QString& caption, const char* name, int y) {
        // Two lines in a small face: the gap between the pictures is narrow.
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(269, y, 70, 34);
        b->setStyleSheet("font-size: 7pt;");
        return b;
    };
    connect(button("swapbuf", "btSwapbuf", 68), &QAbstractButton::clicked, this, &BuffersPage::swapBuffers);
    connect(button("buftobak\ncopybuffer", "btBuftobak", 103), &QAbstractButton::clicked, this,
            &BuffersPage::copyBufferToBack);
    connect(button("baktobuf\ncopybakbuf", "btBaktobuf", 158), &QAbstractButton::clicked, this,
            &BuffersPage::copyBackToBuffer);
    m_stripCaption = label(this, "lbBufFrames", QRect(17, 218, 580, 20));
    m_stripPicture = scrolledPicture(this, "imBufFrames", QRect(15, 240, 580, 45));
    m_backgroundCaption = label(this, "lbBufFundo", QRect(17, 293, 580, 20));
    m_backgroundPicture = scrolledPicture(this, "imBufFundo", QRect(15, 315, 580, 95));
    m_follow = new QTimer(this);
    m_follow->setInterval(kFollowIntervalMs);
    connect(m_follow, &QTimer::timeout, this, &BuffersPage::refresh);
}

void BuffersPage::refresh()
{
    ScreenBuffers& screen = m_engine.screen();
    m_line->setText(fromCp1252(std::string(m_engine.script().line(m_engine.state().lineCounter))));
    m_screenCaption->setText("Buffer principal de tela " + sizeText(screen.screenBuffer));
    m_screenPicture->setPixmap(scaledPicture(screen.screenBuffer, kPictureSize));
    m_backCaption->setText("Buffer secundário (bakbuf) " + sizeText(screen.backBuffer));
    m_backPicture->setPixmap(scaledPicture(screen.backBuffer, kPictureSize));
    const FrameStrip& strip = screen.frameStrip;
    m_stripCaption->setText(QString("Tira de frames %1 frame: %2 x %3")
                                .arg(sizeText(strip.picture))
                                .arg(strip.frameWidth())
                                .arg(strip.frameHeight()));
    const QSize third(strip.picture.width() / 3, strip.picture.height() / 3);
    m_stripPicture->setPixmap(scaledPicture(strip.picture, third));
    m_stripPicture->resize(third);
    m_backgroundCaption->setText("Buffer de fundo " + sizeText(screen.backgroundBuffer));
    const QSize fifth(screen.backgroundBuffer.width() / 5, screen.backgroundBuffer.height() / 5);
    m_backgroundPicture->setPixmap(scaledPicture(screen.backgroundBuffer, fifth));
    m_backgroundPicture->resize(fifth);
}

void BuffersPage::swapBuffers()
{
    ScreenBuffers& screen = m_engine.screen();
    screen.swapWithBack(Rect::fromXywh(0, 0, kBaseWidth, kBaseHeight));
    refresh();
}

void BuffersPage::copyBufferToBack()
{
    m_engine.screen().copyBufferToBack();
    refresh();
}

void BuffersPage::copyBackToBuffer()
{
    m_engine.screen().copyBackToBuffer();
    refresh();
}

void BuffersPage::showEvent(QShowEvent* event)
{
    refresh();
    m_follow->start();
    QWidget::showEvent(event);
}

void BuffersPage::hideEvent(QHideEvent* event)
{
    m_follow->stop();
    QWidget::hideEvent(event);
}

}  // namespace ludomat
