#pragma once

#include <string>
#include <vector>

// The command a desktop entry (*.desktop) starts, as the desktop starts it: the Exec key of its
// [Desktop Entry] group split into a program and its arguments by the entry format's own quoting,
// with the field codes (%f, %U, %i ...) dropped, since nothing is handed to the program. Empty when
// the file cannot be read or has no Exec line. No shell ever sees the line.
std::vector<std::wstring> DesktopEntryCommand(const std::wstring& path);

// The same for the text of an Exec value as it stands in the file.
std::vector<std::wstring> SplitDesktopExec(const std::wstring& value);
