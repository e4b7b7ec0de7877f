#pragma once
// Driving the program's real windows from a test: modal dialogs and message boxes are played
// from inside their own message loop by a thread timer, with a watchdog that ends every dialog
// still open when time runs out, so that no test can hang.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zeltra5::gui_test {

inline constexpr char INPUT_CAPTION[] = "Исходные данные";
inline constexpr char ERROR_CAPTION[] = "Ошибка";
inline constexpr char ABOUT_CAPTION[] = "";

std::string window_text(HWND window);
std::string item_text(HWND dialog, int id);
void set_item_text(HWND dialog, int id, const std::string& text);

// The text of a message box.
std::string message_box_text(HWND box);

// Posts a button's click to a dialog, as its own loop will see it.
void post_command(HWND dialog, int id);

// The visible, enabled top-level dialog of this thread with that caption, or nullptr.
HWND find_dialog(const std::string& caption);

class ModalScript {
  public:
    using Action = std::function<void(HWND dialog)>;

    // Waits for the dialog with `caption` to be shown and accept input, then runs `action`,
    // which reads what it needs and posts (never sends) the input that closes or changes it.
    ModalScript& on(const std::string& caption, Action action);

    // Calls `start`, which enters a modal loop, and plays the steps in order from inside it.
    // Answers true when every step ran and the watchdog did not have to end anything.
    bool run(const std::function<void()>& start, DWORD timeout_ms = 10000);

    // Captions of the dialogs the watchdog ended, for failure messages.
    const std::vector<std::string>& ended_by_watchdog() const { return ended_; }
    std::size_t steps_done() const { return next_; }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void play();
    void end_all_dialogs();

    struct Step {
        std::string caption;
        Action action;
    };
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    DWORD deadline_ = 0;
    bool busy_ = false;
    bool expired_ = false;
    std::vector<std::string> ended_;
};

// Runs the application's message loop until WM_QUIT; a watchdog posts WM_QUIT with `on_timeout`
// as the code if it has not come within `timeout_ms`.
int run_message_loop_with_watchdog(DWORD timeout_ms, int on_timeout);

// CF_TEXT on the clipboard, or `none` when there is no text.
std::string clipboard_text(const std::string& none = "<no text>");
void set_clipboard_text(const std::string& text);

}  // namespace zeltra5::gui_test
