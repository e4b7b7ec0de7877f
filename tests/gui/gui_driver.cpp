#include "gui_driver.hpp"

#include <cstring>

#include "app.hpp"

namespace zeltra5::gui_test {

namespace {

constexpr UINT TICK_MS = 10;
ModalScript* active_script = nullptr;

bool is_dialog(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

std::vector<HWND> thread_dialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            if (is_dialog(window) && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

std::string window_text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string item_text(HWND dialog, int id) {
    return window_text(GetDlgItem(dialog, id));
}

void set_item_text(HWND dialog, int id, const std::string& text) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string message_box_text(HWND box) {
    // The message text is the static control with id 0xFFFF; fall back to any static with text.
    if (HWND text = GetDlgItem(box, 0xFFFF)) {
        return window_text(text);
    }
    std::string found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM out) -> BOOL {
            char name[16] = {};
            GetClassNameA(child, name, sizeof name);
            const std::string text = window_text(child);
            if (_stricmp(name, "Static") == 0 && !text.empty()) {
                *reinterpret_cast<std::string*>(out) = text;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void post_command(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND find_dialog(const std::string& caption) {
    for (HWND dialog : thread_dialogs()) {
        if (IsWindowEnabled(dialog) && window_text(dialog) == caption) {
            return dialog;
        }
    }
    return nullptr;
}

ModalScript& ModalScript::on(const std::string& caption, Action action) {
    steps_.push_back({caption, std::move(action)});
    return *this;
}

bool ModalScript::run(const std::function<void()>& start, DWORD timeout_ms) {
    next_ = 0;
    expired_ = false;
    ended_.clear();
    deadline_ = GetTickCount() + timeout_ms;
    ModalScript* outer = active_script;
    active_script = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, TICK_MS, tick);
    start();
    KillTimer(nullptr, timer);
    active_script = outer;
    return !expired_ && next_ == steps_.size();
}

void CALLBACK ModalScript::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (active_script != nullptr) {
        active_script->play();
    }
}

void ModalScript::play() {
    if (busy_) {
        return;
    }
    busy_ = true;
    if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
        expired_ = true;
        end_all_dialogs();
    } else if (next_ < steps_.size()) {
        if (HWND dialog = find_dialog(steps_[next_].caption)) {
            Step& step = steps_[next_++];
            step.action(dialog);
        }
    }
    busy_ = false;
}

void ModalScript::end_all_dialogs() {
    for (HWND dialog : thread_dialogs()) {
        ended_.push_back(window_text(dialog));
        EndDialog(dialog, 0);
    }
}

int run_message_loop_with_watchdog(DWORD timeout_ms, int on_timeout) {
    static int code = 0;
    code = on_timeout;
    const UINT_PTR timer = SetTimer(nullptr, 0, timeout_ms,
                                    [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(code); });
    const int result = zeltra5::win32::run_message_loop();
    KillTimer(nullptr, timer);
    return result;
}

std::string clipboard_text(const std::string& none) {
    std::string text = none;
    if (!OpenClipboard(nullptr)) {
        return "<clipboard busy>";
    }
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void set_clipboard_text(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        if (SetClipboardData(CF_TEXT, block) == nullptr) {
            GlobalFree(block);
        }
        CloseClipboard();
    } else {
        GlobalFree(block);
    }
}

}  // namespace zeltra5::gui_test
