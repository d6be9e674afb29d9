#include "first_paint.h"

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string> &args, const std::vector<std::string> &extraEnv)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings(extraEnv);
    for (char **e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    std::vector<char *> envp;
    for (std::string &e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// An Xvfb of our own on a display nobody uses: Xvfb picks the number and
// writes it to a pipe once it listens.
struct OwnDisplay
{
    pid_t server = -1;
    std::string name;

    OwnDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        server = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                        "-nolisten", "tcp", "-br"},
                       {});
        close(fds[1]);
        pollfd ready{fds[0], POLLIN, 0};
        char number[16] = {};
        if (server > 0 && poll(&ready, 1, 10000) == 1 && read(fds[0], number, 15) > 0)
            name = ":" + std::to_string(std::atoi(number));
        close(fds[0]);
    }
    ~OwnDisplay()
    {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }
};

// Whether a top-level window of the program's size is on the screen with
// more than a few colours in it: the buttons and their captions are drawn.
bool windowPainted(xcb_connection_t *connection, xcb_window_t root)
{
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &std::free);
    if (!tree)
        return false;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int k = 0; k < xcb_query_tree_children_length(tree.get()); ++k) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
            xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, children[k]), nullptr),
            &std::free);
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, children[k]), nullptr),
            &std::free);
        if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            geometry->width < 200 || geometry->height < 100)
            continue;
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, children[k], 0,
                                              0, geometry->width, geometry->height, ~0u),
                                nullptr),
            &std::free);
        if (!image)
            continue;
        const auto *pixels =
            reinterpret_cast<const std::uint32_t *>(xcb_get_image_data(image.get()));
        const int count = xcb_get_image_data_length(image.get()) / 4;
        std::set<std::uint32_t> colours;
        for (int p = 0; p < count && colours.size() < 8; ++p)
            colours.insert(pixels[p] & 0xFFFFFF);
        if (colours.size() >= 8)
            return true;
    }
    return false;
}

// VmHWM of a running process: the most resident memory it has had.
double highWaterMegabytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

} // namespace

StartFigures measureStart(const char *program)
{
    StartFigures figures;
    OwnDisplay display;
    if (display.name.empty())
        return figures;
    xcb_connection_t *connection = xcb_connect(display.name.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return figures;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;

    const Clock::time_point start = Clock::now();
    const pid_t child = spawn(
        {program}, {"DISPLAY=" + display.name, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=/tmp"});
    if (child > 0) {
        while (Clock::now() - start < std::chrono::seconds(10)) {
            if (windowPainted(connection, root)) {
                figures.milliseconds =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
            usleep(500);
        }
        // The program's own high-water mark, read from it before it ends: what
        // wait4 reports would be this benchmark's, which started it.
        figures.peakMegabytes = highWaterMegabytes(child);
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    xcb_disconnect(connection);
    return figures;
}
