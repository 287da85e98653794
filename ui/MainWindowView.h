// What a toolkit's window does for the window's logic: the server field, the start
// button's caption, notices and the end of the program. Texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ui {

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // The server field's text as typed.
    virtual std::string serverFieldText() const = 0;
    virtual void setServerFieldText(std::string_view text) = 0;
    virtual void setStartCaption(std::string_view caption) = 0;
    // A stand-alone error box with one OK button, without an owner, that blocks the
    // whole program; returns when the user has dismissed it.
    virtual void showNotice(std::string_view text, std::string_view caption) = 0;
    // Takes effect once control is back in the event loop, also when asked before the
    // loop has started.
    virtual void requestEnd() = 0;
};

}  // namespace ui
