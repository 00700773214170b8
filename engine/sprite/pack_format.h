#pragma once
#include <cstddef>
#include <cstdint>

// Least sizes of the table records of a sprite pack, for checking counts
// against the bytes that remain before anything is allocated.
namespace pack {

// The split form's table places every frame and grid in the data file; the
// attached form's table has the same records without those placements, its
// blocks lying in one memory block the caller holds.
enum class Form { Split, Attached };

constexpr size_t kImageHeader = 32;    // size, draw offset, second offset, pixel count, has alpha
constexpr size_t kLocateHeader = 28;   // in file, offset, size, origin, cell count
constexpr size_t kFrame = 8 + kImageHeader + 8;
constexpr size_t kDirection = 4 + 16 + 1 + kLocateHeader;
constexpr size_t kFrameAttached = kFrame - 8;
constexpr size_t kDirectionAttached = kDirection - 8; // the locate has no placement
constexpr size_t kStatus = 4 + 4 + 1 + 6 + 4 + 4;
constexpr size_t kObject = 4;
constexpr size_t kObjectInfo = 16;

// Largest image or grid a pack may describe: far beyond any sprite, and it
// keeps every block size and every sum of them well inside 64 bits.
constexpr int64_t kMaxBlockElements = int64_t{1} << 24;

// Offsets and sizes of a pack live in 32-bit fields.
constexpr int64_t kMaxFileBytes = INT32_MAX;
} // namespace pack
