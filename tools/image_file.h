// Writing the picture to a PNG or binary PPM file.
#pragma once

#include <cstdio>
#include <string>

#include "figure/frame_buffer.h"
#include "tools/still_args.h"

namespace zimbrel {

// Writes `frame` to `stream`, colours as shown on screen. Returns an empty
// string on success, otherwise the reason.
std::string WritePng(const FrameBuffer& frame, std::FILE* stream);
std::string WritePpm(const FrameBuffer& frame, std::FILE* stream);

// Writes `frame` to `path` ("-" is standard output). A file is written
// beside `path` and renamed over it once complete, so a failed write leaves
// no partial file at `path`. Returns an empty string or the reason.
std::string WriteImageFile(const FrameBuffer& frame, ImageFormat format,
                           const std::string& path);

}  // namespace zimbrel
