#include "tools/assetgen/paint.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

namespace {

std::string fontDirectory = "/usr/share/fonts/truetype/liberation/";
FT_Library library = nullptr;
FT_Face titleFtFace = nullptr;
cairo_font_face_t* titleFace = nullptr;

double Clamp(double v) { return std::clamp(v, 0.0, 255.0); }

// The path's extent in page (device) coordinates.
void PageExtents(cairo_t* cr, double& x0, double& y0, double& x1, double& y1) {
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_fill_extents(cr, &x0, &y0, &x1, &y1);
  cairo_restore(cr);
}

// Fills with a pattern given in page coordinates.
void FillWithPagePattern(cairo_t* cr, cairo_pattern_t* pattern) {
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_source(cr, pattern);
  cairo_fill_preserve(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(pattern);
}

void AddStop(cairo_pattern_t* pattern, double offset, Rgb c) {
  cairo_pattern_add_color_stop_rgb(pattern, offset, c.r / 255, c.g / 255, c.b / 255);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, double f) { return {Clamp(c.r * f), Clamp(c.g * f), Clamp(c.b * f)}; }

void SetColor(cairo_t* cr, Rgb c, double alpha) {
  cairo_set_source_rgba(cr, c.r / 255, c.g / 255, c.b / 255, alpha);
}

void FillFlat(cairo_t* cr, Rgb c) {
  SetColor(cr, c);
  cairo_fill_preserve(cr);
}

void FillLit(cairo_t* cr, Rgb c, double contrast) {
  double x0, y0, x1, y1;
  PageExtents(cr, x0, y0, x1, y1);
  cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
  AddStop(pattern, 0, Mix(c, {255, 255, 255}, contrast));
  AddStop(pattern, 0.45, c);
  AddStop(pattern, 1, Scale(c, 1 - contrast));
  FillWithPagePattern(cr, pattern);
}

void FillRound(cairo_t* cr, Rgb c, double contrast) {
  double x0, y0, x1, y1;
  PageExtents(cr, x0, y0, x1, y1);
  const double w = x1 - x0, h = y1 - y0;
  const double hx = x0 + w * 0.32, hy = y0 + h * 0.3;
  const double radius = std::max(w, h) * 0.85;
  cairo_pattern_t* pattern = cairo_pattern_create_radial(hx, hy, 0, hx, hy, radius);
  AddStop(pattern, 0, Mix(c, {255, 255, 255}, contrast));
  AddStop(pattern, 0.45, c);
  AddStop(pattern, 1, Scale(c, 1 - contrast));
  FillWithPagePattern(cr, pattern);
}

void Outline(cairo_t* cr, double width, Rgb c) {
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetColor(cr, c);
  cairo_stroke_preserve(cr);
  cairo_restore(cr);
}

void Done(cairo_t* cr) { cairo_new_path(cr); }

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double r = std::min(radius, std::min(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

void FillLinear(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb from, Rgb to) {
  cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
  AddStop(pattern, 0, from);
  AddStop(pattern, 1, to);
  cairo_set_source(cr, pattern);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(pattern);
}

void Helmet(cairo_t* cr, double cx, double cy, double radius) {
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  FillRound(cr, palette::kHelmet, 0.5);
  Outline(cr, radius > 9 ? 2 : 1.5);
  Done(cr);
  cairo_arc(cr, cx, cy, radius, M_PI * 1.12, M_PI * 1.88);
  cairo_arc_negative(cr, cx, cy - 1, radius * 0.53, M_PI * 1.9, M_PI * 1.1);
  cairo_close_path(cr);
  FillLit(cr, palette::kVisor, 0.4);
  Outline(cr, radius > 9 ? 1.2 : 1);
  Done(cr);
}

void GoldLetters(cairo_t* cr, double top, double bottom, double outline) {
  cairo_pattern_t* gold = cairo_pattern_create_linear(0, top, 0, bottom);
  cairo_pattern_add_color_stop_rgb(gold, 0, 1, 0.96, 0.72);
  cairo_pattern_add_color_stop_rgb(gold, 0.5, 0.96, 0.72, 0.22);
  cairo_pattern_add_color_stop_rgb(gold, 1, 0.7, 0.38, 0.12);
  cairo_save(cr);
  cairo_set_line_width(cr, outline * 2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetColor(cr, palette::kOutline);
  cairo_stroke_preserve(cr);
  cairo_set_source(cr, gold);
  cairo_fill_preserve(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(gold);
  Done(cr);
}

void BinaryTreeMaze(cairo_t* cr, double width, double height, double cell, double wall, double dx, double dy,
                    uint32_t seed) {
  Rng rng(seed);
  for (int row = 0; row * cell <= height; ++row) {
    for (int column = 0; column * cell <= width; ++column) {
      const double x = column * cell + dx, y = row * cell + dy;
      cairo_rectangle(cr, x, y, wall, wall);
      // Each cell opens north or east; the other side gets a wall.
      if (rng.Unit() < 0.5) {
        cairo_rectangle(cr, x, y, wall, cell);
      } else {
        cairo_rectangle(cr, x, y, cell, wall);
      }
    }
  }
}

void SetFontDirectory(const std::string& directory) {
  fontDirectory = directory;
  if (!fontDirectory.empty() && fontDirectory.back() != '/') fontDirectory += '/';
}

const std::string& FontDirectory() { return fontDirectory; }

void SelectTitleFace(cairo_t* cr, double size) {
  if (titleFace == nullptr) {
    const std::string path = fontDirectory + "LiberationSans-Bold.ttf";
    if (library == nullptr && FT_Init_FreeType(&library) != 0) throw std::runtime_error("FreeType did not start");
    if (FT_New_Face(library, path.c_str(), 0, &titleFtFace) != 0) {
      throw std::runtime_error(path + ": cannot load the font");
    }
    titleFace = cairo_ft_font_face_create_for_ft_face(titleFtFace, 0);
    // Cairo may keep the face cached after we let go of it; the FreeType face
    // goes with it, never before.
    static cairo_user_data_key_t faceKey;
    cairo_font_face_set_user_data(titleFace, &faceKey, titleFtFace,
                                  [](void* face) { FT_Done_Face(static_cast<FT_Face>(face)); });
  }
  cairo_set_font_face(cr, titleFace);
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

void CenteredTextPath(cairo_t* cr, const std::string& text, double cx, double cy) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, cx - extents.width / 2 - extents.x_bearing, cy - extents.height / 2 - extents.y_bearing);
  cairo_text_path(cr, text.c_str());
}

void FittedTextPath(cairo_t* cr, const std::string& text, double size, double cx, double cy, double maxWidth,
                    double maxHeight) {
  SelectTitleFace(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  const double fit = std::min({1.0, maxWidth / extents.width, maxHeight / extents.height});
  if (fit < 1) SelectTitleFace(cr, size * fit);
  CenteredTextPath(cr, text, cx, cy);
}

void ReleaseFaces() {
  if (titleFace != nullptr) cairo_font_face_destroy(titleFace);
  titleFace = nullptr;
  titleFtFace = nullptr;
}

}  // namespace assetgen

namespace assetgen {

Canvas::Canvas(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr_(cairo_create(surface_)) {
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

}  // namespace assetgen
