// Pictures of the run-time screen: the PNG equals ludomat-run's snapshot, and a GIF recorded from
// a run decodes with giflib to the screens the run showed, with delays from real time.

#include "widget_test_support.h"

#include "studio/capture/gif_recorder.h"
#include "studio/capture/screen_capture.h"
#include "studio/sharing/export_action.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gif_lib.h>

using namespace ludomat;
using namespace ludomat::test;

namespace {

struct Decoded {
    std::vector<QImage> frames;
    std::vector<int> delaysCs;
};

Decoded decodeGif(const QString& path)
{
    Decoded out;
    int code = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &code);
    if (!gif) return out;
    if (DGifSlurp(gif) == GIF_OK) {
        QImage canvas(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            for (int y = 0; y < image.ImageDesc.Height; ++y)
                for (int x = 0; x < image.ImageDesc.Width; ++x) {
                    GifColorType c = map->Colors[image.RasterBits[y * image.ImageDesc.Width + x]];
                    canvas.setPixel(image.ImageDesc.Left + x, image.ImageDesc.Top + y, qRgb(c.Red, c.Green, c.Blue));
                }
            out.frames.push_back(canvas.copy());
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(gif, i, &control);
            out.delaysCs.push_back(control.DelayTime);
        }
    }
    DGifCloseFile(gif, &code);
    return out;
}

// A copy: the bitmap's view shares its memory, which the run goes on drawing into.
QImage asImage(const Bitmap& bitmap)
{
    return bitmap.view().copy();
}

}  // namespace

class CaptureTest : public QObject {
    Q_OBJECT

private slots:
    void gifHoldsTheScreensOfARunWithRealDelays();
    void gifStopsAtItsLimits();
    void pngEqualsTheHeadlessSnapshot();
    void exportButtonPacksTheGameWithTheEditedScript();
};

void CaptureTest::gifHoldsTheScreensOfARunWithRealDelays()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"clearbuf FF0000", "refresh", "pausa 25", "paint 10,10,200,100,FFFF00", "refresh", "pausa 25",
                        "clearbuf 0000FF", "paint 300,200,400,300,00FF00", "refresh", "pausa 25"});
    std::vector<std::pair<QImage, int64_t>> seen;
    window->capture().setFrameObserver(
        [&](const Bitmap& screen, int64_t at) { seen.emplace_back(asImage(screen), at); });
    QTest::keyClick(window.get(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(window->capture().isRecording());
    QVERIFY(window->findChild<QLabel*>("MarcaGravando")->isVisible());
    click(*window, "btExe");
    QTest::qWait(300);
    QTest::keyClick(window.get(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!window->capture().isRecording());
    QVERIFY(!window->findChild<QLabel*>("MarcaGravando")->isVisible());

    QString file = window->capture().lastFile();
    QVERIFY(file.startsWith(folder.path()));
    QVERIFY(labelText(*window, "Stx").contains(QFileInfo(file).fileName()));
    Decoded gif = decodeGif(file);
    // The screen before the run, then red, red with yellow, blue with green.
    QVERIFY2(seen.size() >= 4, qPrintable(QString::number(seen.size())));
    QCOMPARE(gif.frames.size(), seen.size());
    // The colours of the game are kept exactly; the studio's many-coloured start screen comes as
    // near as the shared palette allows.
    for (size_t i = 1; i < seen.size(); ++i) QVERIFY2(gif.frames[i] == seen[i].first, qPrintable(QString::number(i)));
    for (int y = 0; y < 420; y += 7)
        for (int x = 0; x < 760; x += 7) {
            QRgb a = gif.frames[0].pixel(x, y), b = seen[0].first.pixel(x, y);
            QVERIFY(qAbs(qRed(a) - qRed(b)) <= 26 && qAbs(qGreen(a) - qGreen(b)) <= 22 &&
                    qAbs(qBlue(a) - qBlue(b)) <= 26);
        }
    QCOMPARE(gif.frames.back().pixel(350, 250), qRgb(0, 255, 0));
    QVERIFY(gif.frames[1].pixel(5, 5) != gif.frames.back().pixel(5, 5));
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        int expected = int((seen[i + 1].second - seen[i].second + 5) / 10);
        QVERIFY2(qAbs(gif.delaysCs[i] - qMax(expected, GifRecorder::kMinDelayCs)) <= 1,
                 qPrintable(QString("%1: %2 cs, expected %3").arg(i).arg(gif.delaysCs[i]).arg(expected)));
    }
    // The waits of 250 ms show as such.
    QVERIFY(gif.delaysCs[1] >= 20);
    QVERIFY(QDir(folder.path()).entryList({"*.part"}).isEmpty());
}

void CaptureTest::gifStopsAtItsLimits()
{
    QTemporaryDir folder;
    GifRecorder recorder;
    QVERIFY(recorder.start(folder.filePath("limite.gif")));
    Bitmap screen(760, 420, 0);
    QCOMPARE(recorder.addFrame(screen, 0), GifRecorder::Status::Recording);
    QCOMPARE(recorder.addFrame(screen, std::chrono::milliseconds(GifRecorder::kMaxDuration).count()),
             GifRecorder::Status::TimeLimit);

    // Noise compresses badly: the size limit ends the recording, and what was kept is a valid GIF.
    GifRecorder big;
    QVERIFY(big.start(folder.filePath("grande.gif")));
    QRandomGenerator random(7);
    std::vector<Rgb> colours;
    for (int i = 0; i < 200; ++i) colours.push_back(random.generate() & 0xFFFFFF);
    GifRecorder::Status status = GifRecorder::Status::Recording;
    int64_t at = 0;
    while (status == GifRecorder::Status::Recording && at < 20'000) {
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x) screen.setPixel(x, y, colours[random.bounded(200)]);
        status = big.addFrame(screen, at += 50);
    }
    QCOMPARE(status, GifRecorder::Status::SizeLimit);
    int frames = big.finish(at + 50);
    QVERIFY(frames > 1);
    qint64 size = QFileInfo(folder.filePath("grande.gif")).size();
    QVERIFY(size >= qint64(GifRecorder::kMaxBytes));
    // At most the frame that crossed the limit and the one waiting for its delay go past it.
    QVERIFY(size < qint64(GifRecorder::kMaxBytes) + 2 * 760 * 420 * 3 / 2);
    QCOMPARE(int(decodeGif(folder.filePath("grande.gif")).frames.size()), frames);
}

void CaptureTest::pngEqualsTheHeadlessSnapshot()
{
    QTemporaryDir folder;
    QStringList script = {"clearbuf 203040", "paint 10,10,200,100,FFFF00", "elipse 300,50,500,200,00FFFF",
                          "print Foto~de~teste,20,250,400,60,FFFFFF", "refresh"};
    writeFile(folder.filePath("foto.scp"), script.join("\r\n").toLatin1() + "\r\n");
    auto window = openWindow(folder);
    setScript(*window, script);
    click(*window, "btExe");
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QString shot = window->capture().lastFile();
    QVERIFY(QFileInfo(shot).fileName().startsWith("tela-"));
    QVERIFY(labelText(*window, "Stx").contains(QFileInfo(shot).fileName()));
    // A second picture in the same second gets a name of its own.
    QString second = window->capture().saveScreenshot();
    QVERIFY(second != shot && QFileInfo::exists(second));

    QProcess run;
    run.start(LUDOMAT_RUN_BINARY, {folder.filePath("foto.scp"), "--snapshot", folder.filePath("headless.png")});
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitCode(), 0);
    QImage studio(shot), headless(folder.filePath("headless.png"));
    QVERIFY(!studio.isNull());
    QCOMPARE(studio.convertToFormat(QImage::Format_RGB32), headless.convertToFormat(QImage::Format_RGB32));
}

void CaptureTest::exportButtonPacksTheGameWithTheEditedScript()
{
    QTemporaryDir folder, target;
    auto window = openWindow(folder);
    setScript(*window, {"reg= 1,exportado"});
    window->showFiles();
    QString output = target.filePath("meu-jogo.tar.gz");
    window->exportAction().setOutputChooser([&] { return output; });
    click(*window, "btExportar");
    QVERIFY(QFileInfo::exists(output));
    QCOMPARE(labelText(*window, "Stx"), "Jogo exportado: " + output);
    // The player of the export starts the script the editor holds.
    QProcess tar;
    tar.start("tar", {"-xzf", output, "-C", target.path()});
    QVERIFY(tar.waitForFinished(30000));
    QCOMPARE(readFile(target.filePath("meu-jogo/jogo/prog01.scp")), QByteArray("reg= 1,exportado\r\n"));
    QVERIFY(readFile(target.filePath("meu-jogo/jogar.sh")).contains("'prog01.scp'"));

    // Inside the game folder is refused, and said so.
    output = folder.filePath("dentro.tar.gz");
    click(*window, "btExportar");
    QVERIFY(!QFileInfo::exists(output));
    QVERIFY(labelText(*window, "Stx").contains("dentro da própria pasta"));

    // "Para o navegador" with the name the box suggests: a folder without ".tar.gz" holding the page.
    output = target.filePath("na-web.tar.gz");
    window->exportAction().setOutputChooser([&] { return output; }, true);
    click(*window, "btExportar");
    const QString page = target.filePath("na-web/index.html");
    QVERIFY2(QFileInfo::exists(page), qPrintable(labelText(*window, "Stx")));
    QCOMPARE(labelText(*window, "Stx"), "Jogo exportado para o navegador: " + page);
    QVERIFY(!QFileInfo::exists(output));
}

LUDOMAT_WIDGET_TEST_MAIN(CaptureTest)
#include "capture_test.moc"
