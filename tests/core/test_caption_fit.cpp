#include "core/caption_fit.h"

#include <doctest/doctest.h>

using namespace plimvar::layout;

namespace {

constexpr std::size_t label = kCountLabel;
constexpr std::size_t sortButton = 5;

bool overlap(const Rect &a, const Rect &b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

Rect placeOf(std::size_t k)
{
    const ControlPlace &p = kLayout[k];
    return {p.left, p.top, p.width, p.height};
}

} // namespace

TEST_CASE("captions that fit leave the table as it stands")
{
    const FittedLayout fitted = fitCaptions({});
    for (std::size_t k = 0; k < kLayout.size(); ++k) {
        const ControlPlace &place = kLayout[k];
        const Rect &r = fitted.controls[k];
        CHECK(r.left == place.left);
        CHECK(r.top == place.top);
        CHECK(r.width == place.width);
        CHECK(r.height == place.height);
    }
    CHECK(toPixels(fitted.clientWidth, 96) == 339);
    CHECK(toPixels(fitted.clientHeight, 96) == 222);
}

TEST_CASE("the table stretches just enough for the tightest caption")
{
    struct Case
    {
        const char *name;
        std::size_t control;
        Extent need;
        int clientWidth, clientHeight;
    };
    const Case cases[] = {
        {"a caption exactly as wide as its button", sortButton, {1335, 375}, 5085, 3330},
        {"a caption wider than its button", sortButton, {1469, 0}, 5596, 3330},
        {"the label stops where the count box starts", label, {361, 0}, 5100, 3330},
        {"a caption taller than its button", sortButton, {0, 500}, 5085, 4440},
        {"a caption both wider and taller", sortButton, {2670, 750}, 10170, 6660},
    };
    for (const Case &c : cases) {
        CAPTURE(c.name);
        std::array<Extent, kLayout.size()> needs{};
        needs[c.control] = c.need;
        const FittedLayout fitted = fitCaptions(needs);
        CHECK(fitted.clientWidth == c.clientWidth);
        CHECK(fitted.clientHeight == c.clientHeight);
        const Rect &grown = fitted.controls[c.control];
        // The label's caption may run only to the count box.
        const int room =
            c.control == label ? fitted.controls[kCountBox].left - grown.left : grown.width;
        CHECK(room >= c.need.width);
        CHECK(grown.height >= c.need.height);
        for (std::size_t a = 0; a < kLayout.size(); ++a) {
            const Rect &r = fitted.controls[a];
            CHECK(r.left + r.width <= fitted.clientWidth);
            CHECK(r.top + r.height <= fitted.clientHeight);
            // Controls apart in the table stay apart.
            for (std::size_t b = a + 1; b < kLayout.size(); ++b)
                if (!overlap(placeOf(a), placeOf(b)))
                    CHECK_MESSAGE(!overlap(r, fitted.controls[b]), a, " meets ", b);
        }
    }
}

TEST_CASE("a need measured in pixels keeps its pixels through twips")
{
    for (int dpi : {72, 96, 120, 144, 168, 192, 288})
        for (int pixels = 0; pixels < 400; ++pixels)
            REQUIRE(toPixels(toTwips(pixels, dpi), dpi) >= pixels);
}

TEST_CASE("on a narrow screen the window scales down whole, and a finger still finds every target")
{
    struct Case
    {
        const char *name;
        Screen screen;
        int sortCaptionWidth; // in pixels, as measured
        double scale;
    } const cases[] = {
        {"a desktop browser: nothing changes", {96, 1280, 2, 0}, 0, 1.0},
        {"a phone at 360 pixels, touch", {96, 360, 2, 24}, 0, 1.0},
        {"400% zoom of a 1280-pixel window", {96, 320, 2, 0}, 0, 0.938},
        {"300 pixels, where the nearest thousandth would end past the edge",
         {96, 300, 2, 0},
         0,
         0.879},
        {"a large font on a touch screen 320 pixels wide", {96, 320, 2, 24}, 150, 0.558},
    };
    for (const Case &c : cases) {
        INFO(c.name);
        std::array<Extent, kLayout.size()> needs{};
        needs[sortButton].width = toTwips(c.sortCaptionWidth, 96);
        const FittedLayout fitted = fitToScreen(needs, c.screen);
        const auto drawn = [&](int twips) { return toPixels(twips, 96) * fitted.scale; };
        CHECK(fitted.scale == doctest::Approx(c.scale));
        CHECK(drawn(fitted.clientWidth) + c.screen.frameWidth * fitted.scale <= c.screen.roomWidth);
        CHECK(fitted.clientWidth == fitCaptions(needs).clientWidth); // the captions' stretch stays
        for (std::size_t k = 0; k < kLayout.size(); ++k)
            if (kLayout[k].kind != ControlKind::Label)
                CHECK(drawn(fitted.controls[k].height) >= c.screen.leastTarget);
        CHECK(drawn(fitted.leastRowHeight) >= c.screen.leastTarget);
    }
}
