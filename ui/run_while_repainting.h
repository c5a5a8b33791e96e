#pragma once

#include <functional>
#include <stop_token>

namespace Ui {

// Runs `work` on a worker thread, handing it `stop`, while this thread keeps
// the windows painted in a local event loop that takes no keys or clicks (a
// close request still closes the window), under a busy cursor. To its caller
// it is as synchronous as calling `work` in place.
void RunWhileRepainting(const std::function<void(std::stop_token)>& work, std::stop_token stop);

}  // namespace Ui
