// Commands that run the checker again (a fuzz case's replay), printed so that they can be pasted
// as they are into the shell that the checker runs from.
#pragma once

#include <string>
#include <vector>

// This checker's own program file.
std::wstring ProgramPath();

// One word of such a command (UTF-8): an argument as it is, or the name of a file.
struct CommandWord {
  std::string text;
  bool isPath = false;
};

// The command that runs this checker with `words`. Under wine (told at run time by ntdll's
// wine_get_version), for a POSIX shell: "wine", then the program and every file as an absolute
// Unix path, each word in single quotes where the shell would read it. On Windows, for cmd.exe:
// the program and every file as an absolute path, each word quoted by the system's rules. Files
// are named absolutely, so the command works from any folder.
std::string CheckerCommand(const std::vector<CommandWord>& words);
