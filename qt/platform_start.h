#pragma once

namespace plimvar {

// Watches Qt while it opens the display. Where the display cannot be
// reached (a stale DISPLAY after ssh, say), Qt warns, advises a reinstall
// and aborts; instead the program says in one sentence which display it
// could not open and ends with status 1. Whatever Qt says on a good start
// is passed on once the display is open. It also picks the platform where
// the desktop needs one other than Qt's first choice.
class PlatformStart
{
public:
    PlatformStart();
    ~PlatformStart();
    PlatformStart(const PlatformStart &) = delete;
    PlatformStart &operator=(const PlatformStart &) = delete;

    // The display is open: Qt's messages go their usual way again.
    void opened();
};

} // namespace plimvar
