#pragma once

#include "layout.h"

#include <array>

// Fitting the window to the user's text size. A front end measures what
// each caption needs in its own font; the table is then stretched across or
// down just enough for the tightest one, so that the arrangement stays and,
// at the default font, nothing moves.
namespace plimvar::layout {

// A width and height in twips.
struct Extent
{
    int width = 0;
    int height = 0;
};

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct FittedLayout
{
    // In the order of kLayout, in twips.
    std::array<Rect, kLayout.size()> controls{};
    int clientWidth = kClientWidth;
    int clientHeight = kClientHeight;
    // The whole window is drawn at this fraction of its size, to fit a
    // narrow screen; 1 where it fits as it is.
    double scale = 1.0;
    // The least height of a list row, in twips, so that a finger can press
    // it; 0 where the screen asks for none.
    int leastRowHeight = 0;
};

// A screen that the window must fit as well as its captions, in its own
// pixels: a phone, or a page zoomed to 400%. Zero means no such limit.
struct Screen
{
    int dotsPerInch = 96;
    // The widest the window may be, its frame included.
    int roomWidth = 0;
    // What the window's frame takes across, outside its client area.
    int frameWidth = 0;
    // The least a control pressed with a finger may measure, as drawn.
    int leastTarget = 0;
};

// The width a control's caption may take: to the control's right edge, or
// to the next control on its row where that begins first (the table lets
// the label run under the count box, which would hide a long caption's end).
int captionRoom(std::size_t index);

// needs[k] is what the caption of kLayout[k] needs, with the margins the
// control draws around it; a control with no caption needs nothing.
FittedLayout fitCaptions(const std::array<Extent, kLayout.size()> &needs);

// As fitCaptions, then scaled down as a whole where the window would be
// wider than the screen, so that it keeps its arrangement; the buttons, the
// count box and the list rows stay at least leastTarget high as drawn.
FittedLayout fitToScreen(std::array<Extent, kLayout.size()> needs, const Screen &screen);

// The fitted window on a screen: each control's place and the client area,
// in that screen's pixels, at its dots per inch across and down.
struct PixelLayout
{
    std::array<Rect, kLayout.size()> controls{};
    Extent client;
};
PixelLayout inPixels(const FittedLayout &fitted, int dotsPerInchX, int dotsPerInchY);

// The least width of a dialog whose title is titleWidth pixels wide in a
// title bar font lineHeight pixels high. A desktop's title bar sets beside
// the title the window's icon and up to three buttons (KDE's Breeze gives
// even a dialog minimise, maximise and close), each up to two lines across
// with its spacing, and a line's margin in all; a dialog narrower than that shows
// its title cut short.
int titleBarWidth(int titleWidth, int lineHeight);

// Twips to pixels, rounded to the nearest; pixels to twips, rounded up, so
// that a need measured in pixels is never understated.
int toPixels(int twips, int dotsPerInch);
int toTwips(int pixels, int dotsPerInch);

} // namespace plimvar::layout
