// JPEG, PNG and GIF through their libraries, from a file held in memory.
#include <gif_lib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

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

// Halves the output (down to 1/8) while the half still covers the wanted size, or while the
// output is beyond the limit; the library then decodes at that size, never at the full one.
void ChooseJpegReduction(jpeg_decompress_struct* jpeg, const ImageFit& fit) {
  constexpr unsigned kLargestDenominator = 8;
  jpeg->scale_num = 1;
  jpeg->scale_denom = 1;
  jpeg_calc_output_dimensions(jpeg);
  while (jpeg->scale_denom < kLargestDenominator) {
    const int64_t halfWidth = jpeg->output_width / 2, halfHeight = jpeg->output_height / 2;
    const bool halfCovers =
        fit.width > 0 && fit.height > 0 && halfWidth >= fit.width && halfHeight >= fit.height;
    if (!halfCovers && ImageSizeAllowed(jpeg->output_width, jpeg->output_height)) break;
    jpeg->scale_denom *= 2;
    jpeg_calc_output_dimensions(jpeg);
  }
}

bool ReadJpeg(jpeg_decompress_struct* jpeg, const std::vector<uint8_t>& file, const ImageFit& fit,
              RgbPicture* picture) {
  jpeg_mem_src(jpeg, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(jpeg, TRUE) != JPEG_HEADER_OK) return false;
  if (jpeg->image_width > kMaxImageSide || jpeg->image_height > kMaxImageSide) return false;
  jpeg->out_color_space = JCS_RGB;
  ChooseJpegReduction(jpeg, fit);
  if (!ImageSizeAllowed(jpeg->output_width, jpeg->output_height)) return false;
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

// What the records before the first image say: its transparent colour index.
struct GifFrame {
  int transparent = NO_TRANSPARENT_COLOR;
  std::vector<uint8_t> indices;  // Image.Width x Image.Height colour indices
};

bool ReadGifExtension(GifFileType* gif, GifFrame* frame) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  GraphicsControlBlock control;
  if (code == GRAPHICS_EXT_FUNC_CODE && block &&
      DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
    frame->transparent = control.TransparentColor;
  while (block)
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  return true;
}

// The first image's indices, rows in picture order (interlaced images come in four passes).
// Its size is checked before anything is allocated for it.
bool ReadGifImage(GifFileType* gif, GifFrame* frame) {
  if (DGifGetImageDesc(gif) != GIF_OK) return false;
  const GifImageDesc& d = gif->Image;
  if (!ImageSizeAllowed(d.Width, d.Height)) return false;
  frame->indices.assign(size_t{1} * d.Width * d.Height, 0);
  constexpr int kPassStart[] = {0, 4, 2, 1}, kPassStep[] = {8, 8, 4, 2};
  const int passes = d.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass)
    for (int y = d.Interlace ? kPassStart[pass] : 0; y < d.Height;
         y += d.Interlace ? kPassStep[pass] : 1)
      if (DGifGetLine(gif, &frame->indices[size_t{1} * y * d.Width], d.Width) != GIF_OK)
        return false;
  return true;
}

bool ReadFirstGifFrame(GifFileType* gif, GifFrame* frame) {
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif, &record) != GIF_OK) return false;
    if (record == IMAGE_DESC_RECORD_TYPE) return ReadGifImage(gif, frame);
    if (record == TERMINATE_RECORD_TYPE) return false;
    if (record == EXTENSION_RECORD_TYPE && !ReadGifExtension(gif, frame)) return false;
  }
}

// The first frame on the screen's canvas, which starts in the background colour (black
// without a global colour map); transparent pixels show the canvas.
bool PaintFirstFrame(const GifFileType& gif, const GifFrame& frame, RgbPicture* picture) {
  const GifImageDesc& d = gif.Image;
  const ColorMapObject* colors = d.ColorMap ? d.ColorMap : gif.SColorMap;
  if (!colors) return false;
  picture->width = gif.SWidth;
  picture->height = gif.SHeight;
  picture->rgb.assign(size_t{1} * gif.SWidth * gif.SHeight * 3, 0);
  for (int y = 0; y < d.Height; ++y)
    for (int x = 0; x < d.Width; ++x) {
      const int index = frame.indices[size_t{1} * y * d.Width + x];
      const int cx = d.Left + x, cy = d.Top + y;
      if (index == frame.transparent || index >= colors->ColorCount || cx >= gif.SWidth ||
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

bool DecodeJpeg(const std::vector<uint8_t>& file, const ImageFit& fit, RgbPicture* picture) {
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
  const bool decoded = ReadJpeg(&jpeg, file, fit, picture);
  jpeg_destroy_decompress(&jpeg);
  return decoded;
}

bool DecodePng(const std::vector<uint8_t>& file, const ImageFit&, RgbPicture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
  if (!ImageSizeAllowed(image.width, image.height)) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;  // alpha is composed over black
  picture->width = static_cast<int32_t>(image.width);
  picture->height = static_cast<int32_t>(image.height);
  picture->rgb.resize(PNG_IMAGE_SIZE(image));
  const png_color black{0, 0, 0};
  if (png_image_finish_read(&image, &black, picture->rgb.data(), 0, nullptr)) return true;
  png_image_free(&image);
  return false;
}

bool DecodeGif(const std::vector<uint8_t>& file, const ImageFit&, RgbPicture* picture) {
  GifSource source{&file, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&source, ReadGifBytes, &error);
  if (!gif) return false;
  GifFrame frame;
  const bool decoded = ImageSizeAllowed(gif->SWidth, gif->SHeight) &&
                       ReadFirstGifFrame(gif, &frame) && PaintFirstFrame(*gif, frame, picture);
  DGifCloseFile(gif, &error);
  return decoded;
}
