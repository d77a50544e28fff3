// Attribute bits of a file record. Linux has no such bits; the platform layer
// derives them from the file's kind, its name and its permission bits:
//   R  the owner's write permission bit is clear
//   H  the name begins with "."
//   S  neither a regular file nor a directory (FIFO, socket, device)
//   D  a directory
//   A  never set: Linux file systems keep no archive flag
#pragma once

#include <cstdint>

namespace vrx {

inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;

// The four attributes that the attribute comparison counts (R, H, S, A).
inline constexpr uint32_t kAttrComparable =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

}  // namespace vrx
