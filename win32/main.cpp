#include "main_window.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // For the names the window gives screen readers.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return plimvar::win32::MainWindow(instance).run(showCommand);
}
