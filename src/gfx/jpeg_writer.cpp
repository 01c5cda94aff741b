#include "gfx/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

// After <cstdio>: jpeglib.h uses FILE and size_t without including anything.
#include <jpeglib.h>

namespace qorFramework {

namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf escape;
};

void jpegError(j_common_ptr info) { longjmp(reinterpret_cast<JpegErrors*>(info->err)->escape, 1); }

}  // namespace

bool writeJpegFile(const char* path, const uint8_t* rgb, int width, int height, int quality) {
  if (!path || !rgb || width <= 0 || height <= 0) return false;
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  std::memset(&info, 0, sizeof(info));
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegError;
  volatile bool ok = false;
  if (setjmp(errors.escape) == 0) {
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
    if (quality > 90) {
      info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = size_t(width) * 3;
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * rowBytes);
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    ok = true;
  }
  jpeg_destroy_compress(&info);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::remove(path);
  return ok;
}

}  // namespace qorFramework
