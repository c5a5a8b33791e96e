#pragma once

#include <string_view>

#include "web/inets.h"

namespace Ui {

// FetchText on a worker thread while this thread keeps the window painted in
// a local event loop that takes no user input, under a busy cursor. To its
// caller it is as synchronous as FetchText itself.
Inets::FetchOutcome FetchWhileRepainting(std::u16string_view url, std::u16string_view charset,
                                         const Inets::FetchLimits& limits = {});

}  // namespace Ui
