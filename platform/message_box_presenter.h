// Inside the platform layer: the message box a backend with a screen shows (installed with
// SetMessageBoxPresenter). Owner's thread; returns IDOK (or IDCANCEL for a script's "cancel"
// answer or a quit message that arrived meanwhile).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/window.h"

int32_t PresentDrawnMessageBox(WindowHandle owner, std::u16string_view text,
                               std::u16string_view title, uint32_t flags);
