#include "main_window.h"

#include <emscripten.h>

#include <memory>

// The page's entry points: it builds the window once the program has
// loaded, and calls here when a button is pressed or the window must fit
// anew. A command runs to its end, waiting on the page's dialogs.
namespace {

std::unique_ptr<plimvar::web::MainWindow> window;

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void plimvar_start()
{
    window = std::make_unique<plimvar::web::MainWindow>();
}

EMSCRIPTEN_KEEPALIVE void plimvar_press(int command)
{
    window->press(static_cast<plimvar::layout::Command>(command));
}

EMSCRIPTEN_KEEPALIVE void plimvar_fit()
{
    window->fitCaptions();
}

EMSCRIPTEN_KEEPALIVE void plimvar_restart()
{
    window->restart();
}

EMSCRIPTEN_KEEPALIVE const char16_t *plimvar_row(int control, int row)
{
    return window->shownRow(control, row);
}
}
