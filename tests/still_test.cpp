// zimbrel-still: its arguments, its files, and the picture in them.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstdio>
#include <dirent.h>
#include <set>

#include "figure/worker.h"
#include "tests/figure_fixtures.h"
#include "tests/process.h"
#include "tools/image_file.h"
#include "tools/still_args.h"

namespace zimbrel {
namespace {

using testing::Child;
using testing::ReadFile;
using testing::TempFolder;

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (dirent* entry = dir ? readdir(dir) : nullptr) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  if (dir) closedir(dir);
  return names;
}

// The finished figure as RGB bytes, row after row, as the files hold it.
std::string ExpectedRgb(int width, int height) {
  FrameBuffer frame(width, height);
  FigureWorker(frame, {}, [] {});
  std::string rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const testing::Pixel pixel = testing::PixelAt(frame, x, y);
      rgb += static_cast<char>(pixel.red);
      rgb += static_cast<char>(pixel.green);
      rgb += static_cast<char>(pixel.blue);
    }
  }
  return rgb;
}

std::string DecodePng(const std::string& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::string rgb(PNG_IMAGE_SIZE(image), '\0');
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return rgb;
}

StillArgs Parse(std::initializer_list<std::string_view> words) {
  const std::vector<std::string_view> args(words);
  return ParseStillArgs(args);
}

TEST(StillArgsTest, AcceptsSizesOutputsAndTheirForms) {
  const struct {
    std::initializer_list<std::string_view> words;
    int width, height;
    const char* output;
    ImageFormat format;
  } cases[] = {
      {{"out.png"}, 1920, 1080, "out.png", ImageFormat::kPng},
      {{"--size", "640x480", "a.ppm"}, 640, 480, "a.ppm", ImageFormat::kPpm},
      {{"b.PNG", "--size=1x32768"}, 1, 32768, "b.PNG", ImageFormat::kPng},
      {{"--size", "007x05", "-"}, 7, 5, "-", ImageFormat::kPng},
      {{"--", "-x.ppm"}, 1920, 1080, "-x.ppm", ImageFormat::kPpm},
  };
  for (const auto& c : cases) {
    const StillArgs args = Parse(c.words);
    ASSERT_EQ(args.action, StillArgs::Action::kRender) << args.error;
    EXPECT_EQ(args.width, c.width);
    EXPECT_EQ(args.height, c.height);
    EXPECT_EQ(args.output, c.output);
    EXPECT_EQ(args.format, c.format);
  }
  EXPECT_EQ(Parse({"--help", "whatever"}).action, StillArgs::Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).action, StillArgs::Action::kVersion);
}

struct Refusal {
  std::vector<std::string> args;
  const char* says;
};

const Refusal kRefusals[] = {
    {{}, "missing OUTPUT"},
    {{"a.png", "b.png"}, "one OUTPUT only"},
    {{"--size"}, "--size needs"},
    {{"--size", "", "a.png"}, "bad size ''"},
    {{"--size", "640", "a.png"}, "bad size"},
    {{"--size", "x480", "a.png"}, "bad size"},
    {{"--size", "640x", "a.png"}, "bad size"},
    {{"--size", "-640x480", "a.png"}, "bad size"},
    {{"--size", "+640x480", "a.png"}, "bad size"},
    {{"--size", "640x480x2", "a.png"}, "bad size"},
    {{"--size", "6 4x480", "a.png"}, "bad size"},
    {{"--size", "0x480", "a.png"}, "a side of 0"},
    {{"--size", "32769x1", "a.png"}, "over 32768"},
    {{"--size", "99999999999x1", "a.png"}, "over 32768"},
    {{"--size", "1x184467440737095516160", "a.png"}, "over 32768"},
    {{"--size", "abcxdef", "a.png"}, "bad size"},
    {{"a.jpg"}, "unknown output type"},
    {{"png"}, "unknown output type"},
    {{""}, "unknown output type"},
    {{"--frobnicate", "a.png"}, "unknown option"},
};

TEST(StillArgsTest, RefusesBadArgumentsSayingWhy) {
  for (const Refusal& refusal : kRefusals) {
    const std::vector<std::string_view> words(refusal.args.begin(), refusal.args.end());
    const StillArgs args = ParseStillArgs(words);
    EXPECT_EQ(args.action, StillArgs::Action::kError) << refusal.says;
    EXPECT_NE(args.error.find(refusal.says), std::string::npos) << args.error;
  }
}

TEST(StillToolTest, BadArgumentsExitWithTwoAndWriteNothing) {
  for (const Refusal& refusal : kRefusals) {
    TempFolder folder;
    // Run in the temporary folder, where relative names would land.
    std::vector<std::string> command{
        "sh", "-c", "cd \"$0\" && exec \"$@\" 2>\"$0.err\"", folder.path(),
        ZIMBREL_STILL};
    command.insert(command.end(), refusal.args.begin(), refusal.args.end());
    Child run(command);
    EXPECT_EQ(run.Wait(std::chrono::seconds(20)), 2) << refusal.says;
    const std::string said = ReadFile(folder.path() + ".err");
    std::remove((folder.path() + ".err").c_str());
    EXPECT_NE(said.find(refusal.says), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(FilesIn(folder.path()).empty()) << refusal.says;
  }
}

TEST(StillToolTest, WritesTheFigureAsPngAndPpm) {
  TempFolder folder;
  const int width = 321;
  const int height = 200;
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string expected = ExpectedRgb(width, height);

  Child png({ZIMBREL_STILL, "--size", size, folder / "figure.png"});
  ASSERT_EQ(png.Wait(std::chrono::seconds(30)), 0);
  int decoded_width = 0;
  int decoded_height = 0;
  EXPECT_EQ(DecodePng(folder / "figure.png", decoded_width, decoded_height), expected);
  EXPECT_EQ(decoded_width, width);
  EXPECT_EQ(decoded_height, height);

  Child ppm({ZIMBREL_STILL, "--size", size, folder / "figure.ppm"});
  ASSERT_EQ(ppm.Wait(std::chrono::seconds(30)), 0);
  EXPECT_EQ(ReadFile(folder / "figure.ppm"), "P6\n321 200\n255\n" + expected);

  Child piped({"sh", "-c", "exec \"$0\" --size " + size + " - > \"$1\"",
               ZIMBREL_STILL, folder / "piped.png"});
  ASSERT_EQ(piped.Wait(std::chrono::seconds(30)), 0);
  EXPECT_EQ(ReadFile(folder / "piped.png"), ReadFile(folder / "figure.png"));

  // Only the finished files; nothing left beside them.
  EXPECT_EQ(FilesIn(folder.path()),
            (std::set<std::string>{"figure.png", "figure.ppm", "piped.png"}));
  struct stat info {};
  ASSERT_EQ(stat((folder / "figure.png").c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "an ordinary file, not a private one";
}

TEST(StillToolTest, UnwritableOutputExitsWithOneAndLeavesNoFile) {
  TempFolder folder;
  mkdir((folder / "taken.png").c_str(), 0755);  // a folder where the file would go
  const struct {
    std::string output;
    const char* says;
  } cases[] = {
      {folder / "no-such-folder/figure.png", "No such file or directory"},
      {folder / "taken.png", "Is a directory"},
      {"/proc/zimbrel-figure.png", "cannot write"},
  };
  for (const auto& c : cases) {
    const std::string err = folder.path() + ".err";
    Child still({ZIMBREL_STILL, "--size", "64x48", c.output}, {}, err);
    EXPECT_EQ(still.Wait(std::chrono::seconds(20)), 1) << c.output;
    const std::string said = ReadFile(err);
    std::remove(err.c_str());
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_NE(said.find(c.output), std::string::npos) << said;
  }
  EXPECT_EQ(FilesIn(folder.path()), std::set<std::string>{"taken.png"});
  EXPECT_TRUE(FilesIn(folder / "taken.png").empty());
}

TEST(ImageFileTest, AFullDiskIsReportedNotIgnored) {
  FrameBuffer frame(300, 200);
  for (const auto write : {WritePng, WritePpm}) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_NE(write(frame, full), "");
    std::fclose(full);
  }
}

TEST(StillToolTest, HelpAndVersionExitWithZero) {
  TempFolder folder;
  for (const char* option : {"--help", "--version"}) {
    Child still({"sh", "-c", "exec \"$0\" \"$1\" > \"$2\"", ZIMBREL_STILL, option,
                 folder / "said"});
    EXPECT_EQ(still.Wait(std::chrono::seconds(10)), 0);
    EXPECT_NE(ReadFile(folder / "said").find("zimbrel-still"), std::string::npos);
  }
}

}  // namespace
}  // namespace zimbrel
