#include "images/height_map.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace images {

namespace {

constexpr int64_t kMostPixels = 100'000'000;

// POV-Ray's weights of red, green and blue in a grey.
uint16_t Luminance(double r, double g, double b) {
  return static_cast<uint16_t>(std::clamp(0.297 * r + 0.589 * g + 0.114 * b, 0.0, 65535.0));
}
uint16_t Grey8(int g) { return static_cast<uint16_t>(g * 257); }
uint16_t RedGreen(int r, int g) { return static_cast<uint16_t>(r * 256 + g); }
uint16_t Index(int i) { return static_cast<uint16_t>(i * 256); }

bool Start(HeightMap& out, int64_t width, int64_t height, std::string* error) {
  if (width < 1 || height < 1 || width * height > kMostPixels) {
    *error = "an image of " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels is not read (at most 100 million)";
    return false;
  }
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.values.assign(static_cast<size_t>(width * height), 0);
  return true;
}

bool ReadFile(const std::string& path, std::string& bytes, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open the file";
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// ---- PNG (libpng) ----

void PngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

bool ReadPng(const std::string& path, HeightMap& out, std::string* error) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *error = "cannot open the file";
    return false;
  }
  std::string message;
  std::vector<png_byte> pixels;
  std::vector<png_bytep> rows;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, PngError, PngWarning);
  if (png == nullptr) {
    *error = "out of memory";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *error = "not a PNG image that can be read (" + message + ")";
    return false;
  }
  png_init_io(png, file.get());
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int depth = png_get_bit_depth(png, info);
  const int type = png_get_color_type(png, info);
  if (!Start(out, width, height, error)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_packing(png);  // an index per byte
  if ((type & PNG_COLOR_MASK_COLOR) == 0 && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t row_bytes = png_get_rowbytes(png, info);
  const int channels = png_get_channels(png, info);
  pixels.resize(row_bytes * height);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels.data() + y * row_bytes;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  const bool wide = depth == 16;
  for (png_uint_32 y = 0; y < height; ++y) {
    const png_byte* row = rows[y];
    for (png_uint_32 x = 0; x < width; ++x) {
      const png_byte* p = row + x * channels * (wide ? 2 : 1);
      auto sample = [&](int c) { return wide ? p[2 * c] << 8 | p[2 * c + 1] : p[c]; };
      uint16_t v;
      if (type == PNG_COLOR_TYPE_PALETTE) {
        v = Index(p[0]);
      } else if ((type & PNG_COLOR_MASK_COLOR) == 0) {
        v = wide ? static_cast<uint16_t>(sample(0)) : Grey8(sample(0));
      } else {
        v = wide ? Luminance(sample(0), sample(1), sample(2)) : RedGreen(sample(0), sample(1));
      }
      out.values[static_cast<size_t>(y) * width + x] = v;
    }
  }
  return true;
}

// ---- JPEG (libjpeg) ----

struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegExit(j_common_ptr info) {
  auto* e = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, e->message);
  longjmp(e->jump, 1);
}
void JpegMessage(j_common_ptr) {}

bool ReadJpeg(const std::string& path, HeightMap& out, std::string* error) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *error = "cannot open the file";
    return false;
  }
  std::vector<JSAMPLE> row;
  jpeg_decompress_struct info;
  JpegError e;
  info.err = jpeg_std_error(&e.manager);
  e.manager.error_exit = JpegExit;
  e.manager.output_message = JpegMessage;
  e.message[0] = '\0';
  if (setjmp(e.jump)) {
    jpeg_destroy_decompress(&info);
    *error = std::string("not a JPEG image that can be read (") + e.message + ")";
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file.get());
  jpeg_read_header(&info, TRUE);
  const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
  info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&info);
  if (!Start(out, info.output_width, info.output_height, error)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  const int channels = info.output_components;
  row.resize(static_cast<size_t>(info.output_width) * channels);
  while (info.output_scanline < info.output_height) {
    const size_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (JDIMENSION x = 0; x < info.output_width; ++x) {
      const JSAMPLE* p = row.data() + x * channels;
      out.values[y * info.output_width + x] = grey ? Grey8(p[0]) : RedGreen(p[0], p[1]);
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// ---- GIF (giflib) ----

bool ReadGif(const std::string& path, HeightMap& out, std::string* error) {
  int code = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
  if (gif == nullptr) {
    *error = std::string("not a GIF image that can be read (") + GifErrorString(code) + ")";
    return false;
  }
  const bool read = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
  bool ok = false;
  if (!read) {
    *error = std::string("not a GIF image that can be read (") + GifErrorString(gif->Error) + ")";
  } else {
    const SavedImage& image = gif->SavedImages[0];
    const GifImageDesc& d = image.ImageDesc;
    ok = Start(out, d.Width, d.Height, error);
    for (size_t i = 0; ok && i < out.values.size(); ++i) out.values[i] = Index(image.RasterBits[i]);
  }
  DGifCloseFile(gif, &code);
  return ok;
}

bool ReadPot(const std::string& path, HeightMap& out, std::string* error) {
  HeightMap both;
  if (!ReadGif(path, both, error)) return false;
  if (both.width % 2 != 0) {
    *error = "not a POT image (its width is odd)";
    return false;
  }
  if (!Start(out, both.width / 2, both.height, error)) return false;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      // Each GIF value is its index * 256.
      const int high = both.At(x, y) >> 8, low = both.At(x + out.width, y) >> 8;
      out.values[static_cast<size_t>(y) * out.width + x] = static_cast<uint16_t>(high << 8 | low);
    }
  }
  return true;
}

// ---- TGA ----

// TGA: types 1, 2, 3 (colour-mapped, true colour, grey) and their
// run-length forms 9, 10, 11.
bool ReadTga(const std::string& path, HeightMap& out, std::string* error) {
  std::string bytes;
  if (!ReadFile(path, bytes, error)) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  auto bad = [&](const char* what) {
    *error = std::string("not a TGA image that can be read (") + what + ")";
    return false;
  };
  if (size < 18) return bad("too short");
  const int type = b[2];
  const int map_length = b[5] | b[6] << 8, map_bits = b[7];
  const int width = b[12] | b[13] << 8, height = b[14] | b[15] << 8, bits = b[16];
  const bool top_first = b[17] & 0x20;
  const int kind = type & 7;
  if (kind < 1 || kind > 3 || (type & ~0xb) != 0) return bad("an unknown image type");
  const int bytes_per_pixel = (bits + 7) / 8;
  if ((kind == 1 && bits != 8) || (kind == 3 && bits != 8) ||
      (kind == 2 && bits != 16 && bits != 24 && bits != 32)) {
    return bad("an unsupported pixel size");
  }
  size_t at = 18 + b[0] + (b[1] ? static_cast<size_t>(map_length) * ((map_bits + 7) / 8) : 0);
  if (!Start(out, width, height, error)) return false;
  const bool packed = type & 8;
  size_t run = 0;
  bool repeat = false;
  const unsigned char* pixel = nullptr;
  for (int64_t n = 0; n < static_cast<int64_t>(width) * height; ++n) {
    if (packed && run == 0) {
      if (at >= size) return bad("cut short");
      repeat = b[at] & 0x80;
      run = (b[at] & 0x7f) + 1;
      ++at;
      pixel = nullptr;
    }
    if (!packed || !repeat || pixel == nullptr) {
      if (at + bytes_per_pixel > size) return bad("cut short");
      pixel = b + at;
      at += bytes_per_pixel;
    }
    if (packed) --run;
    uint16_t v;
    if (kind == 1) {
      v = Index(pixel[0]);
    } else if (kind == 3) {
      v = Grey8(pixel[0]);
    } else if (bits == 16) {
      const int p = pixel[0] | pixel[1] << 8;
      v = RedGreen((p >> 10 & 31) * 255 / 31, (p >> 5 & 31) * 255 / 31);
    } else {
      v = RedGreen(pixel[2], pixel[1]);  // stored blue, green, red
    }
    const int64_t x = n % width, y = n / width;
    const int64_t row = top_first ? y : height - 1 - y;
    out.values[static_cast<size_t>(row * width + x)] = v;
  }
  return true;
}

// ---- PGM and PPM ----

bool ReadPnm(const std::string& path, HeightMap& out, std::string* error) {
  std::string bytes;
  if (!ReadFile(path, bytes, error)) return false;
  auto bad = [&](const char* what) {
    *error = std::string("not a PGM or PPM image that can be read (") + what + ")";
    return false;
  };
  if (bytes.size() < 2 || bytes[0] != 'P') return bad("no P2, P3, P5 or P6 at its start");
  const char form = bytes[1];
  if (form != '2' && form != '3' && form != '5' && form != '6')
    return bad("not a grey or colour map");
  size_t at = 2;
  auto number = [&](int64_t* value) {
    for (;;) {
      while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
      if (at < bytes.size() && bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') ++at;
        continue;
      }
      break;
    }
    if (at >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[at]))) return false;
    *value = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) {
      *value = std::min<int64_t>(*value * 10 + (bytes[at++] - '0'), 1'000'000'000);
    }
    return true;
  };
  int64_t width = 0, height = 0, most = 0;
  if (!number(&width) || !number(&height) || !number(&most)) return bad("a bad header");
  if (most < 1 || most > 65535) return bad("a largest value out of 1 to 65535");
  if (!Start(out, width, height, error)) return false;
  ++at;  // the one space before binary data
  const bool colour = form == '3' || form == '6', text = form == '2' || form == '3';
  const int wide = most > 255 ? 2 : 1;
  auto sample = [&](int64_t* value) {
    if (text) return number(value);
    if (at + wide > bytes.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    *value = wide == 2 ? p[0] << 8 | p[1] : p[0];
    at += wide;
    return true;
  };
  const double scale = 65535.0 / static_cast<double>(most);
  for (size_t i = 0; i < out.values.size(); ++i) {
    int64_t c[3] = {0, 0, 0};
    for (int k = 0; k < (colour ? 3 : 1); ++k) {
      if (!sample(&c[k])) return bad("cut short");
    }
    out.values[i] = colour ? Luminance(c[0] * scale, c[1] * scale, c[2] * scale)
                           : static_cast<uint16_t>(std::min(c[0] * scale + 0.5, 65535.0));
  }
  return true;
}

struct KindName {
  std::string_view name;
  ImageKind kind;
};

constexpr KindName kWords[] = {{"gif", ImageKind::kGif},   {"pot", ImageKind::kPot},
                               {"jpeg", ImageKind::kJpeg}, {"pgm", ImageKind::kPgm},
                               {"png", ImageKind::kPng},   {"ppm", ImageKind::kPpm},
                               {"tga", ImageKind::kTga}};
constexpr KindName kEndings[] = {{".gif", ImageKind::kGif},  {".pot", ImageKind::kPot},
                                 {".jpg", ImageKind::kJpeg}, {".jpeg", ImageKind::kJpeg},
                                 {".pgm", ImageKind::kPgm},  {".png", ImageKind::kPng},
                                 {".ppm", ImageKind::kPpm},  {".tga", ImageKind::kTga}};

}  // namespace

ImageKind KindOfWord(std::string_view word) {
  for (const KindName& k : kWords) {
    if (k.name == word) return k.kind;
  }
  return ImageKind::kUnknown;
}

ImageKind KindOfName(std::string_view path) {
  std::string lower(path.substr(path.size() > 5 ? path.size() - 5 : 0));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const KindName& k : kEndings) {
    if (lower.size() >= k.name.size() &&
        lower.compare(lower.size() - k.name.size(), k.name.size(), k.name) == 0) {
      return k.kind;
    }
  }
  return ImageKind::kUnknown;
}

bool ReadHeightMap(const std::string& path, ImageKind kind, HeightMap& out, std::string* error) {
  if (kind == ImageKind::kUnknown) kind = KindOfName(path);
  out = HeightMap();
  switch (kind) {
    case ImageKind::kPng:
      return ReadPng(path, out, error);
    case ImageKind::kJpeg:
      return ReadJpeg(path, out, error);
    case ImageKind::kGif:
      return ReadGif(path, out, error);
    case ImageKind::kPot:
      return ReadPot(path, out, error);
    case ImageKind::kTga:
      return ReadTga(path, out, error);
    case ImageKind::kPgm:
    case ImageKind::kPpm:
      return ReadPnm(path, out, error);
    case ImageKind::kUnknown:
      break;
  }
  *error = "an image of a kind that is not read (png, jpeg, gif, pot, tga, pgm and ppm are)";
  return false;
}

}  // namespace images
