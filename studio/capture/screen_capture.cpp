#include "studio/capture/screen_capture.h"

#include "engine/engine.h"
#include "studio/capture/capture_names.h"
#include "studio/window/picture_button.h"
#include "studio/window/skin.h"

#include <QDateTime>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace ludomat {

ScreenCapture::ScreenCapture(const PageContext& context, QWidget* screenPanel, QObject* parent)
    : QObject(parent), m_context(context)
{
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(kSampleIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &ScreenCapture::sample);

    m_mark = new QLabel("● GRAVANDO", screenPanel);
    m_mark->setObjectName("MarcaGravando");
    m_mark->setStyleSheet("background: rgba(0,0,0,150); color: #ff3030; font-weight: bold; padding: 2px 6px;");
    m_mark->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_mark->move(8, 8);
    m_mark->adjustSize();
    m_mark->hide();
}

void ScreenCapture::placeButtons(QWidget* parent, QPoint topLeft, int height)
{
    auto* photo = new PictureButton("Foto", skin::ButtonLook::Plain, skin::Glyph::None, parent);
    photo->setObjectName("btFoto");
    photo->setToolTip("Grava a tela como PNG na pasta do jogo (Ctrl+Shift+S)");
    photo->setGeometry(topLeft.x(), topLeft.y(), kButtonWidth, height);
    connect(photo, &QAbstractButton::clicked, this, &ScreenCapture::saveScreenshot);
    auto* gif = new PictureButton("GIF", skin::ButtonLook::Plain, skin::Glyph::None, parent);
    gif->setObjectName("btGif");
    gif->setToolTip("Começa ou termina a gravação de um GIF animado (Ctrl+Shift+G)");
    gif->setGeometry(topLeft.x() + kButtonWidth + kButtonGap, topLeft.y(), kButtonWidth, height);
    connect(gif, &QAbstractButton::clicked, this, &ScreenCapture::toggleRecording);
}

ScreenCapture::~ScreenCapture()
{
    // A recording cut short by closing is still saved.
    if (m_recorder.isRecording()) m_recorder.finish(m_clock.elapsed());
}

bool ScreenCapture::handleKey(QKeyEvent* event)
{
    if (event->modifiers() != (Qt::ControlModifier | Qt::ShiftModifier)) return false;
    if (event->key() == Qt::Key_S) {
        saveScreenshot();
        return true;
    }
    if (event->key() == Qt::Key_G) {
        toggleRecording();
        return true;
    }
    return false;
}

QString ScreenCapture::freeName(const QString& prefix, const QString& extension) const
{
    QString stamp = QDateTime::currentDateTime().toString(kCaptureStampFormat);
    QString base = m_context.gameFolder() + prefix + "-" + stamp;
    QString path = base + extension;
    // Two pictures in the same second keep both.
    for (int n = 2; QFileInfo::exists(path) || QFileInfo::exists(path + ".part"); ++n)
        path = QString("%1-%2%3").arg(base).arg(n).arg(extension);
    return path;
}

void ScreenCapture::tell(const QString& text)
{
    m_context.setStatus(text);
}

QString ScreenCapture::saveScreenshot()
{
    QString path = freeName(kScreenshotPrefix, kScreenshotExtension);
    try {
        m_context.engine->screen().tela.save(path.toStdString());
    } catch (const std::exception& e) {
        tell(QString("Não foi possível gravar a foto: %1").arg(QString::fromUtf8(e.what())));
        return {};
    }
    m_lastFile = path;
    tell(QString("Foto gravada: %1").arg(QFileInfo(path).fileName()));
    return path;
}

void ScreenCapture::toggleRecording()
{
    if (m_recorder.isRecording()) {
        stopRecording({});
        return;
    }
    QString path = freeName(kRecordingPrefix, kRecordingExtension);
    QString error;
    if (!m_recorder.start(path, &error)) {
        tell(error);
        return;
    }
    m_recordingFile = path;
    m_clock.start();
    m_mark->show();
    m_mark->raise();
    tell(QString("Gravando %1 (Ctrl+Shift+G termina; no máximo %2 s)")
             .arg(QFileInfo(path).fileName())
             .arg(GifRecorder::kMaxDuration.count()));
    sample();
    m_timer->start();
}

void ScreenCapture::sample()
{
    if (!m_recorder.isRecording()) return;
    const Bitmap& screen = m_context.engine->screen().tela;
    int64_t at = m_clock.elapsed();
    int kept = m_recorder.keptFrames();
    GifRecorder::Status status = m_recorder.addFrame(screen, at);
    if (status == GifRecorder::Status::Recording) {
        if (m_observer && m_recorder.keptFrames() > kept) m_observer(screen, at);
        return;
    }
    if (status == GifRecorder::Status::TimeLimit)
        stopRecording("tempo máximo");
    else if (status == GifRecorder::Status::SizeLimit)
        stopRecording("tamanho máximo");
    else if (status == GifRecorder::Status::ScreenResized)
        stopRecording("modo de tela novo");
    else
        stopRecording("erro");
}

void ScreenCapture::stopRecording(const QString& why)
{
    m_timer->stop();
    m_mark->hide();
    QString error;
    int frames = m_recorder.finish(m_clock.elapsed(), &error);
    if (frames < 0) {
        tell(error);
        return;
    }
    m_lastFile = m_recordingFile;
    QString text = QString("GIF gravado: %1 (%2 quadros)").arg(QFileInfo(m_recordingFile).fileName()).arg(frames);
    if (!why.isEmpty()) text += ", parou no " + why;
    tell(text);
}

}  // namespace ludomat
