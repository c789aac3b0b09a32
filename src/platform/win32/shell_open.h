#pragma once

#include <string>

// Hands a target to the program that the desktop associates with it, through
// ShellExecuteW with the "open" verb. Windows-only, no Qt.
//
// Only two kinds of target are taken: an http, https or ftp URL, and the full
// path of an existing file (not a folder). Anything else, and any target that
// holds a control character, is refused without calling the shell, so neither
// a command interpreter nor another URL scheme can be reached this way.
enum class ShellTarget { Url, LocalFile, Refused };

ShellTarget classifyShellTarget(const std::wstring& target);

// False when the target was refused or nothing could open it.
bool shellOpen(const std::wstring& target);
