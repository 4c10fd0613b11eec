// HeightMap: an image read as POV-Ray's height_field reads it, one 16-bit
// height per pixel: a palette image by its colour's index (index * 256), a
// grey one by its grey (8-bit g * 257, 16-bit as it is), an 8-bit colour
// one by red * 256 + green, and a 16-bit colour one (or a PPM) by its
// luminance. A POT file is a GIF twice as wide as its heights: the left
// half's indices are their high bytes, the right half's their low bytes.
// Plain values, owned by whoever reads them; the readers are pure
// functions, safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace images {

enum class ImageKind : uint8_t { kUnknown, kGif, kPot, kTga, kPng, kPgm, kPpm, kJpeg };

struct HeightMap {
  int width = 0, height = 0;
  std::vector<uint16_t> values;  // row by row, the image's top row first

  uint16_t At(int column, int row) const {
    return values[static_cast<size_t>(row) * static_cast<size_t>(width) +
                  static_cast<size_t>(column)];
  }
};

// The kind a height_field's type word names (png, tga ...), or kUnknown.
ImageKind KindOfWord(std::string_view word);
// The kind a file's name ends in (.png, .jpg ...), or kUnknown.
ImageKind KindOfName(std::string_view path);

// Reads `path` as an image of `kind` (kUnknown: by its name's ending) into
// `out`. False with a message in `error` when it cannot: the file is
// missing, of another kind, damaged, or of a kind this reader does not
// read; images over 100 million pixels are refused.
bool ReadHeightMap(const std::string& path, ImageKind kind, HeightMap& out, std::string* error);

}  // namespace images
