// JPEG, PNG and GIF through their libraries, from a file held in memory.
#include <gif_lib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "platform/image_formats.h"

namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
void JpegQuiet(j_common_ptr, int) {}

bool ReadJpeg(jpeg_decompress_struct* jpeg, const std::vector<uint8_t>& file, RgbPicture* picture) {
  jpeg_mem_src(jpeg, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(jpeg, TRUE) != JPEG_HEADER_OK) return false;
  jpeg->out_color_space = JCS_RGB;
  jpeg_start_decompress(jpeg);
  picture->width = static_cast<int32_t>(jpeg->output_width);
  picture->height = static_cast<int32_t>(jpeg->output_height);
  picture->rgb.resize(size_t{jpeg->output_width} * jpeg->output_height * 3);
  while (jpeg->output_scanline < jpeg->output_height) {
    JSAMPROW row = picture->rgb.data() + size_t{jpeg->output_scanline} * jpeg->output_width * 3;
    jpeg_read_scanlines(jpeg, &row, 1);
  }
  jpeg_finish_decompress(jpeg);
  return true;
}

struct GifSource {
  const std::vector<uint8_t>* file;
  size_t at;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int count) {
  auto* source = static_cast<GifSource*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(count), source->file->size() - source->at);
  std::memcpy(out, source->file->data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

int TransparentIndex(const SavedImage& image) {
  GraphicsControlBlock control;
  for (int i = 0; i < image.ExtensionBlockCount; ++i)
    if (image.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE &&
        DGifExtensionToGCB(image.ExtensionBlocks[i].ByteCount, image.ExtensionBlocks[i].Bytes,
                           &control) == GIF_OK)
      return control.TransparentColor;
  return NO_TRANSPARENT_COLOR;
}

// The first frame on the screen's canvas, which starts in the background colour (black
// without a global colour map); transparent pixels show the canvas.
bool PaintFirstFrame(const GifFileType& gif, RgbPicture* picture) {
  if (gif.ImageCount < 1 || gif.SWidth <= 0 || gif.SHeight <= 0) return false;
  const SavedImage& image = gif.SavedImages[0];
  const ColorMapObject* colors =
      image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif.SColorMap;
  if (!colors || !image.RasterBits) return false;
  picture->width = gif.SWidth;
  picture->height = gif.SHeight;
  picture->rgb.assign(size_t{1} * gif.SWidth * gif.SHeight * 3, 0);
  const int transparent = TransparentIndex(image);
  const GifImageDesc& d = image.ImageDesc;
  for (int y = 0; y < d.Height; ++y)
    for (int x = 0; x < d.Width; ++x) {
      const int index = image.RasterBits[size_t{1} * y * d.Width + x];
      const int cx = d.Left + x, cy = d.Top + y;
      if (index == transparent || index >= colors->ColorCount || cx >= gif.SWidth ||
          cy >= gif.SHeight)
        continue;
      uint8_t* out = &picture->rgb[(size_t{1} * cy * gif.SWidth + cx) * 3];
      out[0] = colors->Colors[index].Red;
      out[1] = colors->Colors[index].Green;
      out[2] = colors->Colors[index].Blue;
    }
  return true;
}

}  // namespace

bool DecodeJpeg(const std::vector<uint8_t>& file, RgbPicture* picture) {
  jpeg_decompress_struct jpeg{};
  JpegError error{};
  jpeg.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.emit_message = JpegQuiet;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&jpeg);
    return false;
  }
  jpeg_create_decompress(&jpeg);
  const bool decoded = ReadJpeg(&jpeg, file, picture);
  jpeg_destroy_decompress(&jpeg);
  return decoded;
}

bool DecodePng(const std::vector<uint8_t>& file, RgbPicture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
  image.format = PNG_FORMAT_RGB;  // alpha is composed over black
  picture->width = static_cast<int32_t>(image.width);
  picture->height = static_cast<int32_t>(image.height);
  picture->rgb.resize(PNG_IMAGE_SIZE(image));
  const png_color black{0, 0, 0};
  if (png_image_finish_read(&image, &black, picture->rgb.data(), 0, nullptr)) return true;
  png_image_free(&image);
  return false;
}

bool DecodeGif(const std::vector<uint8_t>& file, RgbPicture* picture) {
  GifSource source{&file, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&source, ReadGifBytes, &error);
  if (!gif) return false;
  const bool decoded = DGifSlurp(gif) == GIF_OK && PaintFirstFrame(*gif, picture);
  DGifCloseFile(gif, &error);
  return decoded;
}
