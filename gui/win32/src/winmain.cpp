// Entry point of zeltra5.exe.

#include <windows.h>

#include "app.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    if (zeltra5::win32::start_application(instance, show_command) == nullptr) {
        return 1;
    }
    return zeltra5::win32::run_message_loop();
}
