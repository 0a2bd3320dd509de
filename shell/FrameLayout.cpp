#include "shell/FrameLayout.h"

#include <algorithm>

namespace FrameLayout {

int sidePanelWidth(int clientWidth) { return std::max(180, 20 * (clientWidth / 100)); }

int barHeight(int clientHeight) { return clientHeight <= 550 ? 28 : 32; }

int commandFontSize(int clientHeight) { return clientHeight <= 550 ? 8 : 10; }

QSize minimumWindowSize(QSize frameExtra, QSize designClient, int menuBarHeight)
{
    const int width = std::min(640 - frameExtra.width(), designClient.width());
    const int height = std::min(480 - frameExtra.height(), designClient.height() + menuBarHeight);
    return {std::max(0, width), std::max(0, height)};
}

int fitFontSize(const QStringList& captions, int available, int from, int to, const TextWidth& width)
{
    for (int size = from; size >= to; --size) {
        const bool fits = std::all_of(captions.begin(), captions.end(),
                                      [&](const QString& c) { return width(c, size) <= available; });
        if (fits) return size;
    }
    return 6;
}

CommandButtons layoutCommandButtons(const std::array<bool, 4>& shown, const std::array<int, 4>& cw, int statusLeft)
{
    CommandButtons b;
    if (shown[0]) {
        b.width[0] = cw[0] + 20;
        b.left[0] = 8;
    }
    if (shown[1]) {
        b.width[1] = cw[1] + 20;
        b.left[1] = b.width[0] + 16;
    }
    if (shown[2]) {
        b.width[2] = cw[2] + 20;
        b.left[2] = b.width[0] + b.width[1] + 24;
    }
    if (!shown[3]) return b;
    const bool others = shown[0] || shown[1] || shown[2];
    if (others) {
        b.width[3] = cw[3] + 20;
        b.left[3] = statusLeft - 8 - b.width[3];
        const bool allThree = shown[0] && shown[1] && shown[2];
        if (allThree && b.left[3] < b.width[0] + b.width[1] + b.width[2] + 32) {
            for (int i = 0; i < 4; ++i) b.width[i] = cw[i] + 4;
            b.left[0] = 0;
            b.left[1] = b.width[0] + 2;
            b.left[2] = b.width[0] + b.width[1] + 4;
            b.left[3] = b.width[0] + b.width[1] + b.width[2] + 6;
        }
    } else {
        b.width[3] = cw[3] + 120;
        b.left[3] = statusLeft - 8 - b.width[3];
        b.progressWidth = b.left[3] - 12;
    }
    return b;
}

}  // namespace FrameLayout
