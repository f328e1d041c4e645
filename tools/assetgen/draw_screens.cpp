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

// Lettering filled with a vertical gold gradient, outlined dark.
void GoldLetters(cairo_t* cr, double top, double bottom, double outline) {
  cairo_pattern_t* gold = cairo_pattern_create_linear(0, top, 0, bottom);
  cairo_pattern_add_color_stop_rgb(gold, 0, 1, 0.96, 0.72);
  cairo_pattern_add_color_stop_rgb(gold, 0.5, 0.96, 0.72, 0.22);
  cairo_pattern_add_color_stop_rgb(gold, 1, 0.7, 0.38, 0.12);
  cairo_save(cr);
  cairo_set_line_width(cr, outline * 2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetColor(cr, kOutline);
  cairo_stroke_preserve(cr);
  cairo_set_source(cr, gold);
  cairo_fill_preserve(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(gold);
  Done(cr);
}

// A faint maze of corridors seen from above, for the title's ground.
void MazeBackdrop(cairo_t* cr) {
  Rng rng(9090);
  const int cell = 40;
  for (int y = 0; y < kScreenHeight; y += cell) {
    for (int x = 0; x < kScreenWidth; x += cell) {
      // A binary-tree maze: each cell opens north or east.
      const bool north = rng.Unit() < 0.5;
      if (north) {
        cairo_rectangle(cr, x, y, 6, cell + 6);
      } else {
        cairo_rectangle(cr, x, y, cell + 6, 6);
      }
    }
  }
  SetColor(cr, {92, 110, 150}, 0.22);
  cairo_fill(cr);
}

void MoorHills(cairo_t* cr) {
  // Two rolling ridges of moor at the foot of the picture.
  const double ridges[][3] = {{470, 40, 0.006}, {520, 30, 0.009}};
  const Rgb colours[] = {{40, 46, 62}, {30, 36, 46}};
  for (int i = 0; i < 2; ++i) {
    cairo_move_to(cr, 0, kScreenHeight);
    for (int x = 0; x <= kScreenWidth; x += 8) {
      const double y = ridges[i][0] - ridges[i][1] * std::sin(x * ridges[i][2] + i * 2.1) -
                       10 * std::sin(x * 0.031 + i);
      cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, kScreenWidth, kScreenHeight);
    cairo_close_path(cr);
    FillFlat(cr, colours[i]);
    Done(cr);
  }
}

}  // namespace

Image DrawTitle() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  cairo_t* cr = canvas.cr();
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, kScreenHeight);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.07, 0.08, 0.18);
  cairo_pattern_add_color_stop_rgb(sky, 0.6, 0.2, 0.14, 0.3);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.1, 0.1, 0.16);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  MazeBackdrop(cr);
  // A pale moon up-left: the light of every picture comes from there.
  cairo_arc(cr, 130, 110, 46, 0, 2 * M_PI);
  cairo_pattern_t* moon = cairo_pattern_create_radial(118, 98, 4, 130, 110, 46);
  cairo_pattern_add_color_stop_rgb(moon, 0, 1, 0.98, 0.9);
  cairo_pattern_add_color_stop_rgb(moon, 1, 0.75, 0.74, 0.7);
  cairo_set_source(cr, moon);
  cairo_fill(cr);
  cairo_pattern_destroy(moon);
  MoorHills(cr);
  // Title lettering with a dark drop shadow down-right.
  SelectTitleFace(cr, 132);
  CenteredTextPath(cr, "Vexmoor", 406, 256);
  SetColor(cr, {12, 12, 20}, 0.7);
  cairo_fill(cr);
  CenteredTextPath(cr, "Vexmoor", 400, 250);
  GoldLetters(cr, 190, 310, 4);
  SelectTitleFace(cr, 34);
  CenteredTextPath(cr, "Press Space", 400, 520);
  FillFlat(cr, {220, 232, 240});
  Outline(cr, 2);
  Done(cr);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image DrawBanner(const std::string& text) {
  Canvas canvas(kBannerWidth, kBannerHeight);
  cairo_t* cr = canvas.cr();
  RoundedRect(cr, 4, 4, kBannerWidth - 8, kBannerHeight - 8, 16);
  cairo_pattern_t* plate = cairo_pattern_create_linear(0, 4, 0, kBannerHeight - 4);
  cairo_pattern_add_color_stop_rgb(plate, 0, 0.2, 0.25, 0.42);
  cairo_pattern_add_color_stop_rgb(plate, 1, 0.08, 0.1, 0.2);
  cairo_set_source(cr, plate);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(plate);
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
  // The player's helmet, visor forward.
  cairo_arc(cr, 15, 15, 12, 0, 2 * M_PI);
  FillRound(cr, Mix(kRust, kAmber, 0.35), 0.5);
  Outline(cr, 2);
  Done(cr);
  cairo_arc(cr, 15, 15, 12, M_PI * 1.15, M_PI * 1.85);
  cairo_arc_negative(cr, 15, 13, 7, M_PI * 1.85, M_PI * 1.15);
  cairo_close_path(cr);
  FillLit(cr, {96, 226, 244}, 0.4);
  Outline(cr, 1.2);
  Done(cr);
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
