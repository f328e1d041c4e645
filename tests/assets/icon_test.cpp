// The menu icons as a desktop reads them: PNG files of the hicolor theme at
// every size, each drawn at its own size, and the scalable SVG, which
// another renderer (rsvg-convert) must draw like the largest PNG.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kThemeDir = VEXMOOR_TEST_ICON_DIR;
const int kSizes[] = {16, 32, 48, 64, 128, 256};

std::string PngPath(int size) {
  const std::string edge = std::to_string(size);
  return kThemeDir + "/" + edge + "x" + edge + "/apps/vexmoor.png";
}

// A PNG file as a cairo surface; destroyed with the object.
class CPicture {
 public:
  explicit CPicture(const std::string& path) : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
  explicit CPicture(cairo_surface_t* surface) : surface_(surface) {}
  ~CPicture() { cairo_surface_destroy(surface_); }
  CPicture(const CPicture&) = delete;
  CPicture& operator=(const CPicture&) = delete;

  bool Loaded() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(surface_); }
  int Height() const { return cairo_image_surface_get_height(surface_); }
  cairo_surface_t* Surface() const { return surface_; }
  // Channel c (0 alpha, 1 red, 2 green, 3 blue, premultiplied) of pixel (x, y).
  int At(int x, int y, int c) const {
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    const uint32_t argb = reinterpret_cast<const uint32_t*>(row)[x];
    return (argb >> (24 - 8 * c)) & 0xFF;
  }

 private:
  cairo_surface_t* surface_;
};

// The picture drawn scaled onto a transparent size x size surface.
cairo_surface_t* Scaled(const CPicture& picture, int size) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, static_cast<double>(size) / picture.Width(), static_cast<double>(size) / picture.Height());
  cairo_set_source_surface(cr, picture.Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_destroy(cr);
  return surface;
}

// Mean absolute difference over every channel of two same-sized pictures.
double MeanDifference(const CPicture& a, const CPicture& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int c = 0; c < 4; ++c) sum += std::abs(a.At(x, y, c) - b.At(x, y, c));
  return sum / (4.0 * a.Width() * a.Height());
}

TEST(MenuIcons, EverySizeIsARoundedTileWithTheGoldLetter) {
  for (int size : kSizes) {
    SCOPED_TRACE(size);
    CPicture icon(PngPath(size));
    ASSERT_TRUE(icon.Loaded()) << PngPath(size);
    ASSERT_EQ(icon.Width(), size);
    ASSERT_EQ(icon.Height(), size);
    EXPECT_EQ(cairo_image_surface_get_format(icon.Surface()), CAIRO_FORMAT_ARGB32) << "no alpha channel";
    // The corners lie outside the rounded tile, the middle is solid.
    for (int corner : {0, size - 1}) EXPECT_LT(icon.At(corner, corner, 0), 48) << "corner " << corner;
    EXPECT_EQ(icon.At(size / 2, size / 2, 0), 255);
    // The middle of the tile's left edge is the blue ground; the letter's
    // stem a quarter of the way down is gold.
    const int edge = size / 8;
    EXPECT_GT(icon.At(edge, size / 2, 3), icon.At(edge, size / 2, 1)) << "tile not blue";
    const int stemY = size * 3 / 8, stemX = size * 5 / 16;
    EXPECT_GT(icon.At(stemX, stemY, 1), icon.At(stemX, stemY, 3) + 60) << "letter not gold";
  }
}

// An icon scaled from the 32-pixel one would be close to it: each size
// draws its own details (margins, rim, maze) instead.
TEST(MenuIcons, EachSizeIsDrawnNotScaled) {
  CPicture base(PngPath(32));
  ASSERT_TRUE(base.Loaded());
  for (int size : kSizes) {
    if (size == 32) continue;
    SCOPED_TRACE(size);
    CPicture icon(PngPath(size));
    ASSERT_TRUE(icon.Loaded());
    CPicture scaled(Scaled(base, size));
    EXPECT_GT(MeanDifference(icon, scaled), 8.0);
  }
}

TEST(MenuIcons, ScalableIconDrawsLikeTheLargest) {
  const std::string svg = kThemeDir + "/scalable/apps/vexmoor.svg";
  ASSERT_TRUE(fs::is_regular_file(svg));
  if (std::system("command -v rsvg-convert >/dev/null") != 0) GTEST_SKIP() << "needs rsvg-convert";
  const vxtest::TempDir dir;
  const std::string rendered = dir / "svg.png";
  const std::string command = "rsvg-convert -w 256 -h 256 -o '" + rendered + "' '" + svg + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  CPicture fromSvg(rendered);
  CPicture largest(PngPath(256));
  ASSERT_TRUE(fromSvg.Loaded());
  ASSERT_TRUE(largest.Loaded());
  ASSERT_EQ(fromSvg.Width(), 256);
  ASSERT_EQ(fromSvg.Height(), 256);
  // Two renderers differ in their edges' antialiasing only.
  EXPECT_LT(MeanDifference(fromSvg, largest), 2.0);
}

}  // namespace
