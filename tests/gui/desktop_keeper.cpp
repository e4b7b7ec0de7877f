// Keeps Wine's desktop open while the GUI tests run. Wine closes a desktop one second after the
// last program on it ends, so without this every test's program started the desktop process
// afresh: that process inherited the test's output pipe, and CTest waited for it to close until
// the desktop closed again. Started in the background by tools/windows/build-and-test.sh and
// ended with the Wine server.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A window, even a message-only one, makes this thread a user of the desktop.
    if (CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr) ==
        nullptr) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
