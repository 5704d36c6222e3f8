#pragma once

#include <functional>

// Runs a command; an error it raises is shown by the error box and the program goes on.
// The application's notify() does the same for errors that escape event handlers.
namespace guard {
bool run(const std::function<void()> &command);
}
