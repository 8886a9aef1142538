#include "platform/controls/file_chooser.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/controls/dialog_box.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace {

constexpr char16_t kUrlPrefix[] = u"http://";
constexpr char kPathSeparator = '|';

std::string lastFolder;        // main thread: where the last choice was made
std::u16string selectionText;  // main thread: the last multiple selection, kept alive

struct Chooser {
  std::u16string filter;
  bool showHidden;
  std::string folder;
  std::vector<std::string> picked;  // full paths in the order they were ticked
  std::vector<std::string> rows;    // the full path of each row widget
  int32_t resultChars;
};

bool MatchesPattern(std::u16string_view name, std::u16string_view pattern) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == u'*')
    return MatchesPattern(name, pattern.substr(1)) ||
           (!name.empty() && MatchesPattern(name.substr(1), pattern));
  return !name.empty() && (pattern[0] == u'?' || pattern[0] == name[0]) &&
         MatchesPattern(name.substr(1), pattern.substr(1));
}

std::u16string Trimmed(std::u16string_view text) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

std::string StartFolder(const char16_t* initialFolder) {
  std::string folder = initialFolder ? WideToUtf8(WideView(initialFolder)) : std::string();
  std::replace(folder.begin(), folder.end(), '\\', '/');  // "Skins\" from the player's rule
  std::error_code error;
  for (const std::string& candidate :
       {folder, lastFolder, std::string(std::getenv("HOME") ? std::getenv("HOME") : ""),
        std::string("/")})
    if (!candidate.empty() && fs::is_directory(candidate, error))
      return fs::weakly_canonical(candidate, error).string();
  return "/";
}

struct Entry {
  std::string name;
  bool folder;
};

bool NameBefore(const Entry& a, const Entry& b) {
  if (a.folder != b.folder) return a.folder;
  return WideLower(Utf8ToWide(a.name)) < WideLower(Utf8ToWide(b.name));
}

std::vector<Entry> ListFolder(const Chooser& chooser) {
  std::vector<Entry> entries;
  std::error_code error;
  for (fs::directory_iterator
           it(chooser.folder, fs::directory_options::skip_permission_denied, error),
       end;
       !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || (name[0] == '.' && !chooser.showHidden)) continue;
    std::error_code kindError;
    const bool folder = it->is_directory(kindError);
    if (folder || MatchesFilter(Utf8ToWide(name), chooser.filter))
      entries.push_back({name, folder});
  }
  std::sort(entries.begin(), entries.end(), NameBefore);
  return entries;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

void Fill(DialogBox* box, Chooser* chooser) {
  std::erase_if(box->widgets, [](const Widget& w) { return w.kind != WidgetKind::Button; });
  std::vector<Widget> rows;
  chooser->rows.clear();
  if (chooser->folder != "/") {
    rows.push_back({.kind = WidgetKind::Item, .name = "..", .label = u".."});
    chooser->rows.push_back(fs::path(chooser->folder).parent_path().string());
  }
  for (const Entry& entry : ListFolder(*chooser)) {
    const std::string path = Join(chooser->folder, entry.name);
    const bool ticked =
        std::find(chooser->picked.begin(), chooser->picked.end(), path) != chooser->picked.end();
    rows.push_back({.kind = entry.folder ? WidgetKind::Item : WidgetKind::CheckBox,
                    .name = entry.name,
                    .label = Utf8ToWide(entry.folder ? entry.name + "/" : entry.name),
                    .value = ticked});
    chooser->rows.push_back(path);
  }
  box->widgets.insert(box->widgets.begin(), rows.begin(), rows.end());
  box->focus = 0;
  box->firstRow = 0;
  box->status = Utf8ToWide(chooser->folder);
}

void OnRow(DialogBox& box, Chooser* chooser, size_t index) {
  const std::string path = chooser->rows[index];
  if (box.widgets[index].kind == WidgetKind::Item) {
    chooser->folder = path.empty() ? "/" : path;
    Fill(&box, chooser);
    return;
  }
  std::erase(chooser->picked, path);
  if (box.widgets[index].value) chooser->picked.push_back(path);
}

bool AnswerPaths(Chooser* chooser, const std::string& answer) {
  std::vector<std::string> paths;
  size_t start = 0;
  while (start <= answer.size()) {
    const size_t end = std::min(answer.find(kPathSeparator, start), answer.size());
    std::string path = answer.substr(start, end - start);
    if (!path.empty() && path[0] != '/') path = Join(chooser->folder, path);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return false;
    paths.push_back(path);
    start = end + 1;
  }
  chooser->picked = paths;
  return true;
}

// Hands the chosen paths over as the contract asks; false when there is nothing to return.
int32_t Deliver(const std::vector<std::u16string>& paths, char16_t* result,
                const char16_t** selection) {
  if (selection) *selection = nullptr;
  if (paths.size() == 1) {
    WideCopy(result, paths[0].size() + 1, paths[0]);
    return 1;
  }
  selectionText.clear();
  for (const std::u16string& path : paths) selectionText += path + u"\r\n";
  if (selection) *selection = selectionText.c_str();
  return static_cast<int32_t>(paths.size());
}

bool AcceptFiles(DialogBox& box, const Chooser& chooser) {
  if (chooser.picked.empty()) {
    box.status = u"Tick a file first";
    return false;
  }
  if (chooser.picked.size() == 1 &&
      static_cast<int32_t>(Utf8ToWide(chooser.picked[0]).size()) >= chooser.resultChars) {
    box.status = u"The path is too long";
    return false;
  }
  return true;
}

DialogBox ButtonsOnly(const char16_t* title, const char* name) {
  DialogBox box{.title = title, .name = name};
  box.widgets.push_back({.kind = WidgetKind::Button, .name = "ok", .label = u"OK", .result = IDOK});
  box.widgets.push_back(
      {.kind = WidgetKind::Button, .name = "cancel", .label = u"Cancel", .result = IDCANCEL});
  return box;
}

int32_t ChooseFiles(Chooser* chooser, char16_t* result, const char16_t** selection) {
  DialogBox box = ButtonsOnly(u"Open", "Open");
  Fill(&box, chooser);
  box.rowAction = [&](DialogBox& b, size_t index, WidgetAction) { OnRow(b, chooser, index); };
  box.answer = [&](DialogBox&, const std::string& answer) { return AnswerPaths(chooser, answer); };
  box.accept = [&](DialogBox& b) { return AcceptFiles(b, *chooser); };
  if (RunDialogBox(&box) != IDOK) return 0;
  std::vector<std::u16string> paths;
  for (const std::string& path : chooser->picked) paths.push_back(Utf8ToWide(path));
  lastFolder = chooser->folder;
  return Deliver(paths, result, selection);
}

int32_t ChooseUrl(char16_t* result, int32_t resultChars, const char16_t** selection) {
  DialogBox box = ButtonsOnly(u"Open URL", "Open URL");
  box.widgets.insert(box.widgets.begin(),
                     Widget{.kind = WidgetKind::TextField,
                            .name = "url",
                            .text = kUrlPrefix,
                            .maxLength = static_cast<size_t>(std::max(1, resultChars - 1))});
  box.status = u"Type the address";
  box.answer = [](DialogBox& b, const std::string& answer) {
    FindWidget(&b, "url")->text = Utf8ToWide(answer);
    return true;
  };
  box.accept = [&](DialogBox& b) {
    const std::u16string& url = FindWidget(&b, "url")->text;
    if (!url.empty() && url != kUrlPrefix && static_cast<int32_t>(url.size()) < resultChars)
      return true;
    b.status = u"Type the address";
    return false;
  };
  if (RunDialogBox(&box) != IDOK) return 0;
  return Deliver({FindWidget(&box, "url")->text}, result, selection);
}

}  // namespace

int32_t ChooseFile(WindowHandle, const char16_t* filter, const char16_t* initialFolder,
                   char16_t* result, int32_t resultChars, const char16_t** selection,
                   int32_t passThrough, int32_t urlMode) {
  if (!result || resultChars < 1) return 0;
  if (urlMode) return ChooseUrl(result, resultChars, selection);
  Chooser chooser{.filter = filter ? std::u16string(WideView(filter)) : std::u16string(u"*"),
                  .showHidden = (passThrough & kChooserShowHidden) != 0,
                  .folder = StartFolder(initialFolder),
                  .resultChars = resultChars};
  return ChooseFiles(&chooser, result, selection);
}

bool MatchesFilter(std::u16string_view name, std::u16string_view filter) {
  const std::u16string lowerName = WideLower(name);
  size_t start = 0;
  while (start <= filter.size()) {
    const size_t end = std::min(filter.find(u',', start), filter.size());
    const std::u16string pattern = WideLower(Trimmed(filter.substr(start, end - start)));
    if (!pattern.empty() && MatchesPattern(lowerName, pattern)) return true;
    start = end + 1;
  }
  return false;
}
