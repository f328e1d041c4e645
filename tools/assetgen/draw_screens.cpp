// Whole-screen and overlay pictures: the title, banners, countdown numbers,
// the life icon, the particle and the window icon.
#include <cmath>

#include "tools/assetgen/paint.h"
#include "tools/assetgen/sprites.h"

namespace assetgen {

namespace {

using namespace palette;

constexpr int kScreenWidth = 800, kScreenHeight = 600;
constexpr int kBannerWidth = 420, kBannerHeight = 110;
constexpr int kNumeralWidth = 120, kNumeralHeight = 130;
constexpr int kGoWidth = 160;
constexpr int kLivesSize = 30;
constexpr int kPixelSize = 6;
constexpr int kIconSize = 32;

// The maze on the moor seen from above: stone walls on a binary-tree maze,
// casting shadows down-right, lit as one surface from the top-left.
void MazeWalls(cairo_t* cr) {
  BinaryTreeMaze(cr, kScreenWidth, kScreenHeight, 50, 14, 0, 0, 9090);
  // Shadow on the ground, then the walls' lower sides, then their tops.
  cairo_save(cr);
  cairo_translate(cr, 7, 8);
  SetColor(cr, {14, 18, 16}, 0.6);
  cairo_fill_preserve(cr);
  cairo_translate(cr, -4, -5);
  SetColor(cr, {58, 52, 46});
  cairo_fill_preserve(cr);
  cairo_restore(cr);
  FillLinear(cr, 0, 0, kScreenWidth, kScreenHeight, {158, 148, 133}, {77, 71, 66});
  Done(cr);
}

void Vignette(cairo_t* cr) {
  cairo_pattern_t* dark = cairo_pattern_create_radial(330, 250, 120, 400, 300, 560);
  cairo_pattern_add_color_stop_rgba(dark, 0, 0.05, 0.05, 0.1, 0);
  cairo_pattern_add_color_stop_rgba(dark, 1, 0.05, 0.05, 0.1, 0.88);
  cairo_set_source(cr, dark);
  cairo_paint(cr);
  cairo_pattern_destroy(dark);
}

}  // namespace

Image DrawTitle() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  cairo_t* cr = canvas.cr();
  cairo_rectangle(cr, 0, 0, kScreenWidth, kScreenHeight);
  FillLinear(cr, 0, 0, kScreenWidth, kScreenHeight, {61, 77, 56}, {26, 36, 31});
  Done(cr);
  MazeWalls(cr);
  Vignette(cr);
  // A dark band under the name, and the name with its shadow down-right.
  cairo_rectangle(cr, 0, 178, kScreenWidth, 150);
  cairo_pattern_t* band = cairo_pattern_create_linear(0, 178, 0, 328);
  cairo_pattern_add_color_stop_rgba(band, 0, 0.05, 0.06, 0.12, 0);
  cairo_pattern_add_color_stop_rgba(band, 0.25, 0.05, 0.06, 0.12, 0.75);
  cairo_pattern_add_color_stop_rgba(band, 0.75, 0.05, 0.06, 0.12, 0.75);
  cairo_pattern_add_color_stop_rgba(band, 1, 0.05, 0.06, 0.12, 0);
  cairo_set_source(cr, band);
  cairo_fill(cr);
  cairo_pattern_destroy(band);
  SelectTitleFace(cr, 132);
  CenteredTextPath(cr, "Vexmoor", 407, 259);
  SetColor(cr, {12, 12, 20}, 0.8);
  cairo_fill(cr);
  CenteredTextPath(cr, "Vexmoor", 400, 252);
  GoldLetters(cr, 192, 312, 4);
  RoundedRect(cr, 290, 494, 220, 52, 12);
  SetColor(cr, {16, 20, 36}, 0.8);
  cairo_fill_preserve(cr);
  Outline(cr, 2, Scale(kAmber, 0.7));
  Done(cr);
  SelectTitleFace(cr, 30);
  CenteredTextPath(cr, "Press Space", 400, 520);
  FillFlat(cr, {226, 236, 244});
  Outline(cr, 1.5);
  Done(cr);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image DrawBanner(const std::string& text) {
  Canvas canvas(kBannerWidth, kBannerHeight);
  cairo_t* cr = canvas.cr();
  RoundedRect(cr, 4, 4, kBannerWidth - 8, kBannerHeight - 8, 16);
  FillLinear(cr, 0, 4, 0, kBannerHeight - 4, {51, 64, 107}, {20, 26, 51});
  Outline(cr, 4, kAmber);
  Done(cr);
  RoundedRect(cr, 11, 11, kBannerWidth - 22, kBannerHeight - 22, 11);
  Outline(cr, 1.5, Scale(kAmber, 0.6));
  Done(cr);
  FittedTextPath(cr, text, 48, kBannerWidth / 2.0, kBannerHeight / 2.0, kBannerWidth - 60, kBannerHeight - 50);
  GoldLetters(cr, 30, 80, 2);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image DrawCountdown(const std::string& text) {
  const bool go = text == "go";
  const int width = go ? kGoWidth : kNumeralWidth;
  Canvas canvas(width, kNumeralHeight);
  cairo_t* cr = canvas.cr();
  const std::string shown = go ? "GO!" : text;
  FittedTextPath(cr, shown, 120, width / 2.0, kNumeralHeight / 2.0, width - 14, kNumeralHeight - 14);
  GoldLetters(cr, 10, kNumeralHeight - 10, 4);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image DrawLives() {
  Canvas canvas(kLivesSize, kLivesSize);
  cairo_t* cr = canvas.cr();
  // The player's head and shoulders as the figure shows them, facing up.
  Ellipse(cr, 15, 19, 13, 7.5);
  FillRound(cr, kRust, 0.4);
  Outline(cr, 1.5);
  Done(cr);
  Helmet(cr, 15, 16, 8.5);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image DrawPixel() {
  Canvas canvas(kPixelSize, kPixelSize);
  cairo_t* cr = canvas.cr();
  cairo_arc(cr, kPixelSize / 2.0, kPixelSize / 2.0, kPixelSize / 2.0, 0, 2 * M_PI);
  cairo_pattern_t* spark = cairo_pattern_create_radial(2.4, 2.4, 0, 3, 3, 3);
  cairo_pattern_add_color_stop_rgb(spark, 0, 1, 1, 0.92);
  cairo_pattern_add_color_stop_rgb(spark, 1, 1, 0.72, 0.25);
  cairo_set_source(cr, spark);
  cairo_fill(cr);
  cairo_pattern_destroy(spark);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image DrawIcon() {
  Canvas canvas(kIconSize, kIconSize);
  cairo_t* cr = canvas.cr();
  cairo_rectangle(cr, 0, 0, kIconSize, kIconSize);
  FillLit(cr, {40, 56, 96}, 0.35);
  Done(cr);
  SelectTitleFace(cr, 28);
  CenteredTextPath(cr, "V", 16, 16.5);
  GoldLetters(cr, 4, 28, 1);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

}  // namespace assetgen
