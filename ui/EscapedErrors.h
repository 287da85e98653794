// The edge of every window handler: no exception may travel on into the toolkit's own
// event handling (Qt forbids it, and none may cross Windows' frames).
#pragma once

#include <exception>
#include <string_view>

namespace ui {

// Runs `handler`; an exception that reaches its edge is shown with `show(text)` as the
// error it is, and the window goes on.
template <typename Handler, typename Show>
void reportingEscapedErrors(Handler&& handler, Show&& show) noexcept
{
    try {
        handler();
    } catch (const std::exception& error) {
        show(std::string_view(error.what()));
    } catch (...) {
        show(std::string_view("unknown error"));
    }
}

}  // namespace ui
