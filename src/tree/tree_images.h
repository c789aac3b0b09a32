#pragma once

// Indexes into the tree's image list (1-based).
namespace TreeImages {
inline constexpr int Resumes = 1;
inline constexpr int Url = 2;
inline constexpr int Calendar = 3; // start detail, date and URL-folder groups
inline constexpr int Checked = 4;  // not used by the tree
inline constexpr int Download = 5;
inline constexpr int Folder = 6; // local path detail, local-folder groups
inline constexpr int Restarts = 7;
inline constexpr int Kilobytes = 8;
inline constexpr int Mirrors = 9;
inline constexpr int Finished = 10;
inline constexpr int Count = 10;
} // namespace TreeImages
