#include "bench/list_box_cost.h"

#include <cstdio>
#include <utility>

#include "checker/process_probe.h"
#include "win/scoped_win.h"

namespace {

// Closes the file on every path.
struct File {
  FILE* handle;
  ~File() {
    if (handle) std::fclose(handle);
  }
};

// Adds a line of each length; false as soon as the list box refuses one.
bool AddLines(HWND listBox, const std::vector<int>& lengths) {
  std::wstring line;
  for (int length : lengths) {
    line.assign(static_cast<size_t>(length), L'x');
    const LRESULT index =
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index == LB_ERR || index == LB_ERRSPACE) return false;
  }
  return true;
}

}  // namespace

size_t TextBytes(const std::vector<int>& lengths) {
  size_t bytes = 0;
  for (int length : lengths) bytes += (static_cast<size_t>(length) + 1) * sizeof(wchar_t);
  return bytes;
}

bool WriteHeldLines(const std::string& path, const HeldLines& lines) {
  File file{std::fopen(path.c_str(), "w")};
  if (!file.handle) return false;
  bool ok = std::fprintf(file.handle, "%lu %zu %zu\n", static_cast<unsigned long>(lines.style),
                         lines.before.size(), lines.added.size()) > 0;
  for (const auto* part : {&lines.before, &lines.added}) {
    for (int length : *part) ok = ok && std::fprintf(file.handle, "%d\n", length) > 0;
  }
  return ok;
}

bool ReadHeldLines(const std::string& path, HeldLines& lines) {
  File file{std::fopen(path.c_str(), "r")};
  if (!file.handle) return false;
  unsigned long style = 0;
  size_t before = 0, added = 0;
  if (std::fscanf(file.handle, "%lu %zu %zu", &style, &before, &added) != 3) return false;
  lines = HeldLines{};
  lines.style = static_cast<DWORD>(style);
  for (auto [part, count] :
       {std::make_pair(&lines.before, before), std::make_pair(&lines.added, added)}) {
    for (size_t i = 0; i < count; ++i) {
      int length = 0;
      if (std::fscanf(file.handle, "%d", &length) != 1 || length < 0) return false;
      part->push_back(length);
    }
  }
  return true;
}

long long ListBoxGrowthBytes(const HeldLines& lines) {
  const OwnedWindow parent(CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 400, 300, nullptr,
                                           nullptr, nullptr, nullptr));
  if (!parent.IsValid()) return -1;
  const DWORD style = (lines.style & ~(WS_POPUP | WS_VISIBLE)) | WS_CHILD;
  HWND listBox = CreateWindowExA(0, "LISTBOX", "", style, 0, 0, 400, 300, parent.get(), nullptr,
                                 nullptr, nullptr);
  long long growth = -1;
  if (listBox && AddLines(listBox, lines.before)) {
    const size_t before = PrivateBytes(GetCurrentProcess());
    if (AddLines(listBox, lines.added)) {
      growth = static_cast<long long>(PrivateBytes(GetCurrentProcess())) -
               static_cast<long long>(before);
    }
  }
  return growth;
}
