#include "tools/assetgen/icons.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "resources/binary_io.h"
#include "tools/assetgen/paint.h"

namespace assetgen {

namespace {

using namespace palette;

// The window icon's blue, so the menu shows the same tile.
constexpr Rgb kTileBlue{40, 56, 96};
constexpr int kMazeFromSize = 48;
constexpr int kRimFromSize = 64;
constexpr uint32_t kMazeSeed = 4242;

// Below 48 pixels every edge of the tile sits on a whole pixel.
double Snap(double value, int size) { return size < kMazeFromSize ? std::round(value) : value; }

struct TTile {
  double margin, edge, radius;
};

TTile TileFor(int size) {
  const double margin = size <= 16 ? 0 : Snap(size / 16.0, size);
  const double edge = size - 2 * margin;
  return {margin, edge, Snap(edge * 0.18, size)};
}

void TilePath(cairo_t* cr, const TTile& tile, double inset) {
  RoundedRect(cr, tile.margin + inset, tile.margin + inset, tile.edge - 2 * inset, tile.edge - 2 * inset,
              std::max(0.0, tile.radius - inset));
}

// The title's stone maze in small, darkened towards the tile's rim so the
// letter stands out.
void TileMaze(cairo_t* cr, const TTile& tile, int size) {
  const int cells = size >= 128 ? 7 : 5;
  const double cell = tile.edge / cells;
  const double wall = cell * 0.28;
  const double shadow = cell * 0.14;
  cairo_save(cr);
  TilePath(cr, tile, 0);
  cairo_clip(cr);
  cairo_translate(cr, tile.margin - wall / 2, tile.margin - wall / 2);
  BinaryTreeMaze(cr, tile.edge, tile.edge, cell, wall, shadow, shadow, kMazeSeed);
  SetColor(cr, kNight, 0.55);
  cairo_fill(cr);
  BinaryTreeMaze(cr, tile.edge, tile.edge, cell, wall, 0, 0, kMazeSeed);
  FillLinear(cr, 0, 0, tile.edge, tile.edge, Mix(kSteel, kTileBlue, 0.35), Mix(kSlateDark, kTileBlue, 0.3));
  Done(cr);
  cairo_restore(cr);

  cairo_save(cr);
  TilePath(cr, tile, 0);
  const double centre = size / 2.0;
  cairo_pattern_t* dark = cairo_pattern_create_radial(centre, centre, tile.edge * 0.2, centre, centre, tile.edge * 0.72);
  cairo_pattern_add_color_stop_rgba(dark, 0, 0.05, 0.06, 0.14, 0.15);
  cairo_pattern_add_color_stop_rgba(dark, 1, 0.05, 0.06, 0.14, 0.8);
  cairo_set_source(cr, dark);
  cairo_fill(cr);
  cairo_pattern_destroy(dark);
  cairo_restore(cr);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

void Check(cairo_status_t status, const std::string& what) {
  if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error(what + ": " + cairo_status_to_string(status));
}

}  // namespace

const std::vector<int>& IconSizes() {
  static const std::vector<int> sizes = {16, 32, 48, 64, 128, 256};
  return sizes;
}

void PaintEmblem(cairo_t* cr, int size) {
  const TTile tile = TileFor(size);
  const double s = size;
  TilePath(cr, tile, 0);
  FillLit(cr, kTileBlue, 0.35);
  Done(cr);
  if (size >= kMazeFromSize) TileMaze(cr, tile, size);

  // A dark rim, and inside it a thin amber line from 64 pixels up.
  const double rim = std::max(1.0, s / 48);
  if (size > 16) {
    TilePath(cr, tile, rim / 2);
    Outline(cr, rim);
    Done(cr);
  }
  if (size >= kRimFromSize) {
    TilePath(cr, tile, rim * 2);
    Outline(cr, rim * 0.6, Scale(kAmber, 0.7));
    Done(cr);
  }

  // The letter, with its shadow down-right once there is room for one.
  const double letter = tile.edge * (size <= 16 ? 0.95 : 0.8);
  const double cx = s / 2, cy = s / 2 + s / 64;
  SelectTitleFace(cr, letter);
  if (size >= kMazeFromSize) {
    CenteredTextPath(cr, "V", cx + s / 40, cy + s / 40);
    SetColor(cr, {12, 12, 20}, 0.75);
    cairo_fill(cr);
  }
  CenteredTextPath(cr, "V", cx, cy);
  GoldLetters(cr, cy - letter * 0.4, cy + letter * 0.4, size <= 16 ? 0.6 : rim);
}

std::vector<uint8_t> EmblemPng(int size) {
  Canvas canvas(size, size);
  PaintEmblem(canvas.cr(), size);
  cairo_surface_flush(canvas.surface());
  std::vector<uint8_t> bytes;
  Check(cairo_surface_write_to_png_stream(canvas.surface(), AppendBytes, &bytes),
        "icon " + std::to_string(size));
  return bytes;
}

std::vector<uint8_t> EmblemSvg() {
  std::vector<uint8_t> bytes;
  cairo_surface_t* surface =
      cairo_svg_surface_create_for_stream(AppendBytes, &bytes, kScalableIconSize, kScalableIconSize);
  cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  cairo_t* cr = cairo_create(surface);
  PaintEmblem(cr, kScalableIconSize);
  const cairo_status_t drawn = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t written = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  Check(drawn, "scalable icon");
  Check(written, "scalable icon");
  return bytes;
}

void WriteIconTheme(const std::string& themeDir, const std::string& name) {
  for (int size : IconSizes()) {
    const std::string folder = themeDir + std::to_string(size) + "x" + std::to_string(size) + "/apps/";
    std::filesystem::create_directories(folder);
    resources::WriteWholeFile(folder + name + ".png", EmblemPng(size));
  }
  const std::string folder = themeDir + "scalable/apps/";
  std::filesystem::create_directories(folder);
  resources::WriteWholeFile(folder + name + ".svg", EmblemSvg());
}

}  // namespace assetgen
