// PNG through libpng, PPM by hand, and the write-beside-then-rename.
#include "tools/image_file.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace zimbrel {
namespace {

struct PngFailure {
  char message[256];
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
  std::snprintf(failure->message, sizeof failure->message, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors: libpng reports errors by
// jumping back here.
bool WritePngRows(const FrameBuffer& frame, std::FILE* stream,
                  PngFailure& failure) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure,
                                            OnPngError, OnPngWarning);
  if (png == nullptr) {
    std::snprintf(failure.message, sizeof failure.message, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, stream);
  png_set_IHDR(png, info, static_cast<png_uint_32>(frame.Width()),
               static_cast<png_uint_32>(frame.Height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);  // the frame holds blue, green, red
  for (int y = 0; y < frame.Height(); ++y) {
    png_write_row(png, frame.Rows()[y]);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

std::string StreamError(std::FILE* stream) {
  if (std::fflush(stream) != 0 || std::ferror(stream)) {
    return errno != 0 ? std::strerror(errno) : "write error";
  }
  return {};
}

}  // namespace

std::string WritePng(const FrameBuffer& frame, std::FILE* stream) {
  PngFailure failure{};
  errno = 0;
  if (!WritePngRows(frame, stream, failure)) {
    return errno != 0 ? std::strerror(errno) : failure.message;
  }
  return StreamError(stream);
}

std::string WritePpm(const FrameBuffer& frame, std::FILE* stream) {
  errno = 0;
  std::fprintf(stream, "P6\n%d %d\n255\n", frame.Width(), frame.Height());
  std::vector<std::uint8_t> line(3 * static_cast<std::size_t>(frame.Width()));
  for (int y = 0; y < frame.Height(); ++y) {
    const std::uint8_t* row = frame.Rows()[y];
    for (std::size_t i = 0; i < line.size(); i += 3) {
      line[i] = row[i + 2];
      line[i + 1] = row[i + 1];
      line[i + 2] = row[i];
    }
    if (std::fwrite(line.data(), 1, line.size(), stream) != line.size()) break;
  }
  return StreamError(stream);
}

std::string WriteImageFile(const FrameBuffer& frame, ImageFormat format,
                           const std::string& path) {
  const auto write = format == ImageFormat::kPng ? WritePng : WritePpm;
  if (path == "-") return write(frame, stdout);

  // The file beside `path`: in the same folder, so the rename cannot cross
  // file systems.
  const std::size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name =
      slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "." + name + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return std::strerror(errno);
  // mkstemp makes the file private; give it the mode any new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);

  std::FILE* stream = fdopen(fd, "wb");
  if (stream == nullptr) {
    const std::string reason = std::strerror(errno);
    close(fd);
    unlink(temporary.c_str());
    return reason;
  }
  std::string reason = write(frame, stream);
  if (std::fclose(stream) != 0 && reason.empty()) reason = std::strerror(errno);
  if (reason.empty() && std::rename(temporary.c_str(), path.c_str()) != 0) {
    reason = std::strerror(errno);
  }
  if (!reason.empty()) unlink(temporary.c_str());
  return reason;
}

}  // namespace zimbrel
