// Where Windows keeps what a legacy program writes into a protected folder when it runs
// without administrator rights (UAC's file virtualisation), and so which copy of a file
// such a program reads.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The per-user copy of `file` (UTF-8, a Windows path with a drive such as
// c:\program files\molvan\x.ini): the same path below `localAppData`\VirtualStore, the
// drive left out. nullopt for a path without a drive.
std::optional<std::string> virtualStoreCopy(std::string_view file, std::string_view localAppData);

// The file that a 32-bit program without a manifest reads when it asks for `file`: its
// per-user copy when the process is not elevated and that copy exists, else `file`.
// `localAppData` is nullopt when the user has none; `exists` says whether a path is there.
std::string fileReadByLegacyProgram(std::string_view file, bool elevated,
                                    const std::optional<std::string>& localAppData,
                                    const std::function<bool(const std::string&)>& exists);

#if defined(_WIN32)
// The same for this process: its own elevation, the user's %LOCALAPPDATA%.
std::string fileReadByLegacyProgram(std::string_view file);
#endif

}  // namespace platform
