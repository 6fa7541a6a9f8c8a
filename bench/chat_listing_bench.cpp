// What one chat listing costs to draw: one label per listing line (as the chat once did) against
// one label per message with its first lines (as it does now), for a short listing and one of
// 21,000 lines. Prints times and memory as ratios against the short listing drawn the new way.
//   QT_QPA_PLATFORM=offscreen build/chat_listing_bench

#include "graphics/cp1252.h"
#include "online/chat_records.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScrollArea>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace ludomat;

namespace {

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

QLabel* addLabel(QWidget* content, const QString& text, int top, int height)
{
    auto* label = new QLabel(content);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setGeometry(0, top, kChatLabelWidth, height);
    label->show();
    return label;
}

struct Cost {
    double ms;
    long kib;
    int widgets;
};

// Draws one listing message into a fresh chat box and lets it paint.
Cost draw(const std::vector<std::string>& listing, bool labelPerLine)
{
    QScrollArea chat;
    chat.resize(710, 325);
    auto* content = new QWidget;
    chat.setWidget(content);
    chat.show();
    QApplication::processEvents();
    const long before = residentKiB();
    QElapsedTimer timer;
    timer.start();
    int top = 0;
    int widgets = 1;
    addLabel(content, "ana (10:00)", top, kChatLineHeight);
    top += kChatLineHeight;
    if (labelPerLine) {
        for (const std::string& line : listing) {
            addLabel(content, fromCp1252(line), top, kChatLineHeight);
            top += kChatLineHeight;
            ++widgets;
        }
    } else {
        ChatBodyView view = listingView(listing);
        addLabel(content, fromCp1252(view.text), top, view.lines * kChatLineHeight);
        top += view.lines * kChatLineHeight;
        ++widgets;
    }
    content->resize(kChatLabelWidth, top);
    chat.repaint();
    QApplication::processEvents();
    return {double(timer.nsecsElapsed()) / 1e6, residentKiB() - before, widgets};
}

std::vector<std::string> listingOf(int lines)
{
    std::vector<std::string> listing;
    for (int i = 0; i < lines; ++i) listing.push_back("print linha " + std::to_string(i));
    return listing;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const auto shortListing = listingOf(3);
    const auto longListing = listingOf(21'000);
    draw(shortListing, false);  // warms fonts and caches
    const Cost base = draw(shortListing, false);
    const Cost now = draw(longListing, false);
    const Cost before = draw(longListing, true);
    std::printf("baseline (3 lines, one label per message): %.2f ms, %d widgets\n", base.ms, base.widgets);
    std::printf("21,000 lines, one label per message: %.2f ms (%.1fx baseline), %d widgets, +%ld KiB\n", now.ms,
                now.ms / base.ms, now.widgets, now.kib);
    std::printf("21,000 lines, one label per line:    %.2f ms (%.1fx baseline), %d widgets, +%ld KiB\n", before.ms,
                before.ms / base.ms, before.widgets, before.kib);
    return 0;
}
