#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// PNG files of 5-5-5 pictures (blue bits 0-4, green 5-9, red 10-14; bit 15 is
// ignored). Each 5-bit channel is stored as 8 bits, (v << 3) | (v >> 2), and
// read back by >> 3, so writing a picture and reading it gives it back exactly.

// Writes w x h pixels, rows pitchPixels apart, as an 8-bit RGB PNG. The path
// is used as given (no data-path resolution). False on any failure.
bool WritePng555(const std::string& path, const uint16_t* pixels, int w, int h, int pitchPixels);

// Reads any PNG libpng understands into 5-5-5 pixels (pitch = w). False, with
// the outputs cleared and one trace line, when the file is missing,
// truncated, not a PNG or larger than 4096 a side.
bool ReadPng555(const std::string& path, std::vector<uint16_t>& pixels, int& w, int& h);

} // namespace plat
