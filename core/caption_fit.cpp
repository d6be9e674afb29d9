#include "caption_fit.h"

#include <algorithm>
#include <cmath>

namespace plimvar::layout {

namespace {

// A stretch as an exact fraction, at least one, so that a table that needs
// no stretch comes out unchanged to the twip.
struct Stretch
{
    long long needed = 1;
    long long room = 1;

    void widenTo(long long need, long long have)
    {
        if (have > 0 && need * room > needed * have) {
            needed = need;
            room = have;
        }
    }

    int apply(int twips) const { return static_cast<int>((twips * needed + room - 1) / room); }
};

} // namespace

int captionRoom(std::size_t index)
{
    const ControlPlace &place = kLayout[index];
    int width = place.width;
    for (const ControlPlace &other : kLayout) {
        const bool sameRow =
            other.top < place.top + place.height && place.top < other.top + other.height;
        if (sameRow && other.left > place.left)
            width = std::min(width, other.left - place.left);
    }
    return width;
}

FittedLayout fitCaptions(const std::array<Extent, kLayout.size()> &needs)
{
    Stretch across;
    Stretch down;
    for (std::size_t k = 0; k < kLayout.size(); ++k) {
        across.widenTo(needs[k].width, captionRoom(k));
        down.widenTo(needs[k].height, kLayout[k].height);
    }
    FittedLayout fitted;
    for (std::size_t k = 0; k < kLayout.size(); ++k) {
        const ControlPlace &place = kLayout[k];
        fitted.controls[k] = {across.apply(place.left), down.apply(place.top),
                              across.apply(place.width), down.apply(place.height)};
    }
    fitted.clientWidth = across.apply(kClientWidth);
    fitted.clientHeight = down.apply(kClientHeight);
    return fitted;
}

FittedLayout fitToScreen(std::array<Extent, kLayout.size()> needs, const Screen &screen)
{
    FittedLayout fitted = fitCaptions(needs);
    const int width = toPixels(fitted.clientWidth, screen.dotsPerInch) + screen.frameWidth;
    // In thousandths, rounded down, so that the scaled window never ends a
    // fraction of a pixel past the screen's edge.
    const double scale = screen.roomWidth > 0 && width > screen.roomWidth
                             ? std::floor(1000.0 * screen.roomWidth / width) / 1000.0
                             : 1.0;
    if (screen.leastTarget > 0) {
        // Stretching down leaves the width, and so the scale, as it is.
        // Every control is far wider than a finger; only heights need it.
        const int least =
            toTwips(static_cast<int>(std::ceil(screen.leastTarget / scale)), screen.dotsPerInch);
        for (std::size_t k = 0; k < kLayout.size(); ++k) {
            const ControlKind kind = kLayout[k].kind;
            if (kind == ControlKind::Button || kind == ControlKind::TextBox)
                needs[k].height = std::max(needs[k].height, least);
        }
        fitted = fitCaptions(needs);
        fitted.leastRowHeight = least;
    }
    fitted.scale = scale;
    return fitted;
}

PixelLayout inPixels(const FittedLayout &fitted, int dotsPerInchX, int dotsPerInchY)
{
    PixelLayout pixels;
    for (std::size_t k = 0; k < kLayout.size(); ++k) {
        const Rect &place = fitted.controls[k];
        pixels.controls[k] = {toPixels(place.left, dotsPerInchX), toPixels(place.top, dotsPerInchY),
                              toPixels(place.width, dotsPerInchX),
                              toPixels(place.height, dotsPerInchY)};
    }
    pixels.client = {toPixels(fitted.clientWidth, dotsPerInchX),
                     toPixels(fitted.clientHeight, dotsPerInchY)};
    return pixels;
}

int titleBarWidth(int titleWidth, int lineHeight)
{
    constexpr int kIconAndButtons = 4;
    return titleWidth + kIconAndButtons * 2 * lineHeight + lineHeight;
}

int toPixels(int twips, int dotsPerInch)
{
    const long long scaled = static_cast<long long>(twips) * dotsPerInch;
    return static_cast<int>((scaled + kTwipsPerInch / 2) / kTwipsPerInch);
}

int toTwips(int pixels, int dotsPerInch)
{
    if (dotsPerInch <= 0)
        return 0;
    const long long scaled = static_cast<long long>(pixels) * kTwipsPerInch;
    return static_cast<int>((scaled + dotsPerInch - 1) / dotsPerInch);
}

} // namespace plimvar::layout
