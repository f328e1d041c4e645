#include "tools/assetgen/contact_sheet.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "resources/binary_io.h"
#include "tools/assetgen/image.h"
#include "tools/assetgen/paint.h"
#include "tools/assetgen/sprites.h"

namespace assetgen {

namespace {

constexpr int kSheetWidth = 1240;
constexpr int kGap = 14;
constexpr int kLabelHeight = 16;
constexpr int kChecker = 8;

struct Entry {
  std::string label;
  Image image;
  int x = 0, y = 0;
};

// Places the entries left to right in rows; returns the sheet's height.
int Layout(std::vector<Entry>& entries) {
  int x = kGap, y = kGap, rowHeight = 0;
  for (Entry& e : entries) {
    if (x + e.image.width + kGap > kSheetWidth && x > kGap) {
      x = kGap;
      y += rowHeight + kLabelHeight + kGap;
      rowHeight = 0;
    }
    e.x = x, e.y = y;
    x += std::max(e.image.width, 64) + kGap;
    rowHeight = std::max(rowHeight, e.image.height);
  }
  return y + rowHeight + kLabelHeight + kGap;
}

void Checkers(cairo_t* cr, int x, int y, int w, int h) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  for (int cy = 0; cy < h; cy += kChecker) {
    for (int cx = 0; cx < w; cx += kChecker) {
      const bool light = ((cx / kChecker) + (cy / kChecker)) % 2 == 0;
      cairo_rectangle(cr, x + cx, y + cy, kChecker, kChecker);
      cairo_set_source_rgb(cr, light ? 0.62 : 0.5, light ? 0.62 : 0.5, light ? 0.64 : 0.52);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);
}

// The picture as a cairo surface with pure black see-through.
cairo_surface_t* Keyed(const Image& image) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.At(x, y);
      const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
      row[x] = black ? 0 : (0xFF000000u | (p[0] << 16) | (p[1] << 8) | p[2]);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

Image Load(const std::string& path) { return DecodeBmp(resources::ReadWholeFile(path), path); }

std::vector<Entry> Collect(const std::string& dir) {
  std::vector<Entry> entries;
  const std::vector<std::string>& ids = FixedSpriteIds();
  for (size_t i = 0; i < ids.size(); ++i) {
    entries.push_back({std::to_string(i + 1) + " " + ids[i], Load(dir + "Sprites/" + ids[i] + ".bmp")});
  }
  int id = static_cast<int>(ids.size()) + 1;
  for (const NamedImage& ground : DrawGroundSprites()) {
    entries.push_back({std::to_string(id++) + " " + ground.name, Load(dir + "Sprites/" + ground.name + ".bmp")});
  }
  entries.push_back({"icon vexmoor.bmp", Load(dir + "vexmoor.bmp")});
  entries.push_back({"font courier new 10", Load(dir + "Fonts/courier new 10.fnt")});
  return entries;
}

}  // namespace

void WriteContactSheet(const std::string& installDir, const std::string& pngPath) {
  std::string dir = installDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::vector<Entry> entries = Collect(dir);
  const int height = Layout(entries);
  Canvas canvas(kSheetWidth, height);
  cairo_t* cr = canvas.cr();
  cairo_set_source_rgb(cr, 0.86, 0.86, 0.84);
  cairo_paint(cr);
  SelectTitleFace(cr, 11);
  for (const Entry& e : entries) {
    Checkers(cr, e.x, e.y, e.image.width, e.image.height);
    cairo_surface_t* picture = Keyed(e.image);
    cairo_set_source_surface(cr, picture, e.x, e.y);
    cairo_paint(cr);
    cairo_surface_destroy(picture);
    cairo_move_to(cr, e.x, e.y + e.image.height + 12);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.15);
    cairo_show_text(cr, e.label.c_str());
  }
  if (cairo_surface_write_to_png(canvas.surface(), pngPath.c_str()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(pngPath + ": cannot write the contact sheet");
  }
}

}  // namespace assetgen
