// Images read as POV-Ray's height_field reads them: the expected heights
// are POV-Ray's own (trace() at each pixel's point, times 65535).
#include "images/height_map.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ImagePath(const char* name) {
  return std::string(TARVO_SOURCE_DIR) + "/tests/images/" + name;
}

TEST(HeightMap, ReadsEachKindAsPovray) {
  const struct {
    const char* file;
    const char* type;  // the height_field's type word, or "" for the name's ending
    int column, row;   // row 0 is the image's top
    double height;
    double within;
  } cases[] = {
      {"idx7.png", "png", 1, 1, 1792, 0},  // palette index * 256
      {"idx200.png", "png", 0, 0, 51200, 0},
      {"idx7.gif", "gif", 1, 0, 1792, 0},
      {"heights.pot", "pot", 0, 0, 0x1234, 0},  // left half high bytes, right half low
      {"heights.pot", "", 1, 0, 0xABCD, 0},
      {"heights.pot", "pot", 1, 1, 0xFF02, 0},
      {"g16b.png", "png", 0, 1, 30000, 0},   // 16-bit grey as it is
      {"ga8.png", "", 1, 1, 23130, 0},       // 8-bit grey * 257, alpha ignored
      {"rgba8.png", "png", 0, 0, 25800, 0},  // red * 256 + green
      {"rgb16.png", "png", 1, 0, 21829, 3},  // 16-bit colour: its luminance
      {"rgb.jpg", "jpeg", 0, 0, 25800, 0},
      {"rgba.tga", "tga", 1, 1, 25800, 0},
      {"rle.tga", "tga", 0, 1, 25800, 0},  // run-length packed
      {"g8.tga", "tga", 1, 0, 26214, 0},
      {"grle.tga", "", 0, 1, 39321, 0},  // stored bottom row first
      {"grle.tga", "", 0, 0, 13107, 0},
      {"grle.tga", "", 2, 1, 13107, 0},
      {"g8.pgm", "pgm", 0, 0, 26214, 0},
      {"g16.pgm", "pgm", 1, 1, 26214, 1},
      {"rgb.ppm", "ppm", 0, 1, 39372, 3},  // a PPM by its luminance
  };
  for (const auto& c : cases) {
    images::HeightMap map;
    std::string error;
    const images::ImageKind kind = images::KindOfWord(c.type);
    ASSERT_TRUE(images::ReadHeightMap(ImagePath(c.file), kind, map, &error)) << c.file << error;
    ASSERT_LT(c.column, map.width) << c.file;
    ASSERT_LT(c.row, map.height) << c.file;
    EXPECT_NEAR(map.At(c.column, c.row), c.height, c.within) << c.file;
  }
}

TEST(HeightMap, BadImagesSayWhy) {
  const struct {
    const char* file;
    images::ImageKind kind;
    const char* message;
  } cases[] = {
      {"no_such.png", images::ImageKind::kPng, "cannot open"},
      {"g8.pgm", images::ImageKind::kPng, "not a PNG image"},
      {"g8.pgm", images::ImageKind::kTga, "not a TGA image"},
      {"rgb.jpg", images::ImageKind::kGif, "not a GIF image"},
      {"idx7.png", images::ImageKind::kJpeg, "not a JPEG image"},
      {"idx7.png", images::ImageKind::kPgm, "not a PGM or PPM image"},
      {"README.md", images::ImageKind::kUnknown, "not read"},
  };
  for (const auto& c : cases) {
    images::HeightMap map;
    std::string error;
    EXPECT_FALSE(images::ReadHeightMap(ImagePath(c.file), c.kind, map, &error)) << c.file;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.file << ": " << error;
  }
}

}  // namespace
