#include "platform/message_box.h"

#include <atomic>
#include <cstdio>

#include "platform/journal.h"
#include "platform/text.h"

namespace {

std::atomic<MessageBoxPresenter> presenter{nullptr};

}  // namespace

int32_t MessageBox(WindowHandle owner, std::u16string_view text, std::u16string_view title,
                   uint32_t flags) {
  const std::string title8 = WideToUtf8(title), text8 = WideToUtf8(text);
  JournalWrite("messagebox", {{"title", title8}, {"text", text8}});
  if (MessageBoxPresenter show = presenter.load()) return show(owner, text, title, flags);
  std::fprintf(stderr, "[%s] %s\n", title8.c_str(), text8.c_str());
  return IDOK;
}

void SetMessageBoxPresenter(MessageBoxPresenter newPresenter) {
  presenter = newPresenter;
}
