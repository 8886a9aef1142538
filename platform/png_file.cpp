#include "platform/png_file.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>

#include "platform/screen.h"

namespace {

bool WriteRows(FILE* file, const uint16_t* pixels, int32_t width, int32_t height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t color = PixelToColor(pixels[static_cast<size_t>(y) * width + x]);
      row[x * 3] = color & 0xFF;
      row[x * 3 + 1] = (color >> 8) & 0xFF;
      row[x * 3 + 2] = (color >> 16) & 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, const uint16_t* pixels, int32_t width, int32_t height) {
  const std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool written = WriteRows(file, pixels, width, height);
  written = std::fflush(file) == 0 && fsync(fileno(file)) == 0 && written;
  written = std::fclose(file) == 0 && written;
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

bool ReadPng(const std::string& path, RgbImage* image) {
  png_image reader{};
  reader.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&reader, path.c_str())) return false;
  reader.format = PNG_FORMAT_RGB;
  image->width = static_cast<int32_t>(reader.width);
  image->height = static_cast<int32_t>(reader.height);
  image->rgb.resize(PNG_IMAGE_SIZE(reader));
  if (!png_image_finish_read(&reader, nullptr, image->rgb.data(), 0, nullptr)) {
    png_image_free(&reader);
    return false;
  }
  return true;
}
