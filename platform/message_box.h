// Message boxes: modal, owned by a window, a title, a text with line breaks and an OK button.
// Called on the owner's thread; messages keep flowing while the box is shown. Every box is
// journaled as "messagebox" with its title and text.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/window.h"

constexpr uint32_t MB_OK = 0;
constexpr int32_t IDOK = 1;
constexpr int32_t IDCANCEL = 2;

int32_t MessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view title,
                   uint32_t flags = MB_OK);

// The backend that draws boxes and waits for the user installs its own presenter; without one
// a box is journaled, written to standard error and answered with OK at once.
using MessageBoxPresenter = int32_t (*)(WindowHandle owner, std::u16string_view text,
                                        std::u16string_view title, uint32_t flags);
void SetMessageBoxPresenter(MessageBoxPresenter presenter);
