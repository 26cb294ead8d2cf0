// What a list box itself costs in private memory for the lines it holds: its text, its record per
// line and the heap block of each line. Measured by filling a hidden list box with lines of the
// same lengths, so the figure follows the system's list box rather than an estimate of it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The lines of a list box by their UTF-16 lengths: those it held at the first moment of a
// comparison, and those it gained up to the second; and the list box's style.
struct HeldLines {
  DWORD style = 0;
  std::vector<int> before;
  std::vector<int> added;
};

// The UTF-16 text and terminators of `lengths`, in bytes.
size_t TextBytes(const std::vector<int>& lengths);

// As a text file: "style before added" on the first line, then one length a line.
bool WriteHeldLines(const std::string& path, const HeldLines& lines);
bool ReadHeldLines(const std::string& path, HeldLines& lines);

// The growth of this process's private bytes when a hidden list box of `lines.style` that already
// holds `lines.before` is given `lines.added`; -1 when the list box cannot be made or refuses a
// line.
long long ListBoxGrowthBytes(const HeldLines& lines);
