// Ground pictures: opaque 96 x 96 tiles that repeat seamlessly cell by cell.
#include <cmath>
#include <stdexcept>

#include "tools/assetgen/paint.h"
#include "tools/assetgen/sprites.h"

namespace assetgen {

namespace {

using namespace palette;

// Fine grain: many faint specks, lighter and darker, fixed by the seed.
void Grain(cairo_t* cr, uint32_t seed, int count, double strength) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    const double x = std::floor(rng.Range(0, kCell)), y = std::floor(rng.Range(0, kCell));
    const double size = rng.Unit() < 0.8 ? 1 : 2;
    const bool light = rng.Unit() < 0.5;
    cairo_rectangle(cr, x, y, size, size);
    cairo_set_source_rgba(cr, light ? 1 : 0, light ? 1 : 0, light ? 1 : 0, strength * rng.Range(0.3, 1));
    cairo_fill(cr);
  }
}

// A bevelled plate filling the cell: lit edges top and left, shaded bottom
// and right, so neighbouring tiles read as separate plates.
void Plate(cairo_t* cr, Rgb base, double bevel) {
  cairo_rectangle(cr, 0, 0, kCell, kCell);
  FillLit(cr, base, 0.12);
  Done(cr);
  const Rgb light = Mix(base, {255, 255, 255}, 0.28), dark = Scale(base, 0.58);
  // Top and left edges.
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, kCell, 0);
  cairo_line_to(cr, kCell - bevel, bevel);
  cairo_line_to(cr, bevel, bevel);
  cairo_line_to(cr, bevel, kCell - bevel);
  cairo_line_to(cr, 0, kCell);
  cairo_close_path(cr);
  FillFlat(cr, light);
  Done(cr);
  // Bottom and right edges.
  cairo_move_to(cr, kCell, kCell);
  cairo_line_to(cr, 0, kCell);
  cairo_line_to(cr, bevel, kCell - bevel);
  cairo_line_to(cr, kCell - bevel, kCell - bevel);
  cairo_line_to(cr, kCell - bevel, bevel);
  cairo_line_to(cr, kCell, 0);
  cairo_close_path(cr);
  FillFlat(cr, dark);
  Done(cr);
}

void Rivets(cairo_t* cr, double inset) {
  for (double x : {inset, kCell - inset}) {
    for (double y : {inset, kCell - inset}) {
      cairo_arc(cr, x, y, 2.5, 0, 2 * M_PI);
      FillRound(cr, kSteel, 0.5);
      Outline(cr, 0.8, kSlateDark);
      Done(cr);
    }
  }
}

void MetalFloor(cairo_t* cr, uint32_t seed) {
  Plate(cr, kSlate, 3);
  Grain(cr, seed, 500, 0.07);
  // A faint cross seam splits the plate into four.
  cairo_rectangle(cr, 47, 6, 1, 84);
  cairo_rectangle(cr, 6, 47, 84, 1);
  SetColor(cr, kSlateDark, 0.5);
  cairo_fill(cr);
  cairo_rectangle(cr, 48, 6, 1, 84);
  cairo_rectangle(cr, 6, 48, 84, 1);
  SetColor(cr, Scale(kSlate, 1.3), 0.35);
  cairo_fill(cr);
  Rivets(cr, 9);
}

Image Floor() {
  Canvas canvas(kCell, kCell);
  MetalFloor(canvas.cr(), 101);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image FloorWorn() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  MetalFloor(cr, 202);
  Rng rng(2020);
  // A scuffed, paler patch where boots pass, and scratches across it.
  cairo_pattern_t* scuff = cairo_pattern_create_radial(46, 50, 2, 46, 50, 34);
  cairo_pattern_add_color_stop_rgba(scuff, 0, 0.75, 0.78, 0.8, 0.22);
  cairo_pattern_add_color_stop_rgba(scuff, 1, 0.75, 0.78, 0.8, 0);
  cairo_set_source(cr, scuff);
  cairo_paint(cr);
  cairo_pattern_destroy(scuff);
  for (int i = 0; i < 14; ++i) {
    const double x = rng.Range(16, 80), y = rng.Range(16, 80);
    const double a = rng.Range(-0.5, 0.5) + (i % 2 ? 0 : M_PI / 2);
    const double len = rng.Range(6, 18);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + std::cos(a) * len, y + std::sin(a) * len);
    cairo_set_line_width(cr, 1);
    SetColor(cr, i % 3 ? Scale(kSlate, 1.45) : kSlateDark, 0.7);
    cairo_stroke(cr);
  }
  // A rust stain down-right.
  cairo_arc(cr, 70, 68, 9, 0, 2 * M_PI);
  SetColor(cr, {150, 90, 50}, 0.35);
  cairo_fill(cr);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image FloorGrate() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  Plate(cr, kSlate, 3);
  // The pit under the grate, darker towards its top-left where the rim
  // shades it.
  cairo_rectangle(cr, 12, 12, 72, 72);
  FillLinear(cr, 12, 12, 84, 84, {23, 26, 33}, {51, 56, 69});
  Done(cr);
  // Bars, each lit on its upper-left face.
  for (double x = 15; x < 84; x += 9) {
    cairo_rectangle(cr, x, 12, 4, 72);
    FillLit(cr, kSteel, 0.35);
    Done(cr);
  }
  cairo_rectangle(cr, 12, 46, 72, 4);
  FillLit(cr, kSteel, 0.35);
  Done(cr);
  // Rim.
  cairo_rectangle(cr, 12, 12, 72, 72);
  Outline(cr, 2.5, Scale(kSlate, 0.55));
  Done(cr);
  cairo_rectangle(cr, 10.5, 10.5, 75, 75);
  Outline(cr, 1, Scale(kSlate, 1.35));
  Done(cr);
  Rivets(cr, 6.5);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

void MossPatch(cairo_t* cr, Rng& rng, double cx, double cy, double radius) {
  for (int i = 0; i < 26; ++i) {
    const double a = rng.Range(0, 2 * M_PI), r = radius * std::sqrt(rng.Unit());
    const double x = cx + std::cos(a) * r, y = cy + std::sin(a) * r;
    cairo_arc(cr, x, y, rng.Range(1.5, 3.5), 0, 2 * M_PI);
    SetColor(cr, Mix(kMoss, {150, 190, 90}, rng.Range(0, 0.4)), 0.8);
    cairo_fill(cr);
  }
}

Image FloorMoss() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  MetalFloor(cr, 303);
  Rng rng(3030);
  // Moss creeping out of the seams.
  MossPatch(cr, rng, 26, 66, 10);
  MossPatch(cr, rng, 47, 50, 6);
  MossPatch(cr, rng, 70, 30, 7);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

// One stone of a wall course, raised and lit from the top-left.
void Stone(cairo_t* cr, Rng& rng, double x, double y, double w, double h) {
  const Rgb tone = Mix(kStone, {126, 116, 102}, rng.Range(0, 0.7));
  RoundedRect(cr, x + 1, y + 1, w - 2, h - 2, 3);
  FillLit(cr, tone, 0.32);
  Outline(cr, 1.5, {58, 52, 46});
  Done(cr);
  // Highlight along the upper-left edge.
  cairo_move_to(cr, x + 3, y + h - 4);
  cairo_line_to(cr, x + 3, y + 3);
  cairo_line_to(cr, x + w - 4, y + 3);
  cairo_set_line_width(cr, 1.5);
  SetColor(cr, Mix(tone, {255, 255, 255}, 0.4), 0.8);
  cairo_stroke(cr);
}

Image Wall() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  cairo_rectangle(cr, 0, 0, kCell, kCell);
  FillFlat(cr, {58, 52, 46});
  Done(cr);
  Rng rng(4040);
  // Four courses of stone, every other one offset by half a stone, so the
  // bond carries on across cell edges both ways.
  for (int row = 0; row < 4; ++row) {
    const double y = row * 24;
    const double offset = row % 2 ? -24 : 0;
    for (double x = offset; x < kCell; x += 48) Stone(cr, rng, x, y, 48, 24);
  }
  Grain(cr, 4041, 400, 0.08);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image WallPanel() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  Plate(cr, Mix(kSteel, kSlate, 0.35), 8);
  // Vertical ribs of a bulkhead and a lit strip.
  for (double x = 20; x < 80; x += 14) {
    cairo_rectangle(cr, x, 14, 6, 68);
    FillLit(cr, Mix(kSteel, kSlate, 0.3), 0.4);
    Outline(cr, 1, Scale(kSteel, 0.55));
    Done(cr);
  }
  cairo_rectangle(cr, 12, 44, 72, 8);
  FillLit(cr, kTeal, 0.35);
  Outline(cr, 1.2, Scale(kSteel, 0.45));
  Done(cr);
  Rivets(cr, 5);
  Grain(cr, 5050, 300, 0.06);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image Exit() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  Plate(cr, kSlate, 3);
  // A glowing landing pad with chevrons pointing in.
  cairo_arc(cr, 48, 48, 38, 0, 2 * M_PI);
  cairo_pattern_t* glow = cairo_pattern_create_radial(48, 48, 4, 48, 48, 38);
  cairo_pattern_add_color_stop_rgb(glow, 0, 0.75, 1, 0.8);
  cairo_pattern_add_color_stop_rgb(glow, 0.5, 0.25, 0.7, 0.4);
  cairo_pattern_add_color_stop_rgb(glow, 1, 0.16, 0.3, 0.26);
  cairo_set_source(cr, glow);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
  for (double r : {36.0, 24.0}) {
    cairo_arc(cr, 48, 48, r, 0, 2 * M_PI);
    cairo_set_line_width(cr, 2);
    SetColor(cr, kGreen);
    cairo_stroke(cr);
  }
  for (int i = 0; i < 4; ++i) {
    cairo_save(cr);
    cairo_translate(cr, 48, 48);
    cairo_rotate(cr, i * M_PI / 2);
    cairo_move_to(cr, -7, -34);
    cairo_line_to(cr, 0, -27);
    cairo_line_to(cr, 7, -34);
    cairo_restore(cr);
    cairo_set_line_width(cr, 3);
    SetColor(cr, {220, 255, 220});
    cairo_stroke(cr);
  }
  SelectTitleFace(cr, 15);
  CenteredTextPath(cr, "EXIT", 48, 48);
  FillFlat(cr, {236, 255, 236});
  Outline(cr, 1, {30, 90, 50});
  Done(cr);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image FloorHazard() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  MetalFloor(cr, 606);
  // Warning stripes framing the plate.
  cairo_save(cr);
  cairo_rectangle(cr, 4, 4, 88, 88);
  cairo_rectangle(cr, 16, 16, 64, 64);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, 0, kCell, kCell);
  FillFlat(cr, kAmber);
  Done(cr);
  for (double s = -kCell; s < 2 * kCell; s += 16) {
    cairo_move_to(cr, s, kCell);
    cairo_line_to(cr, s + 8, kCell);
    cairo_line_to(cr, s + 8 + kCell, 0);
    cairo_line_to(cr, s + kCell, 0);
    cairo_close_path(cr);
  }
  FillFlat(cr, {44, 40, 34});
  Done(cr);
  cairo_restore(cr);
  Grain(cr, 6061, 300, 0.1);
  return Capture(canvas.surface(), Backdrop::Opaque);
}

Image Grass() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  cairo_rectangle(cr, 0, 0, kCell, kCell);
  FillFlat(cr, Scale(kGrass, 0.8));
  Done(cr);
  Rng rng(7070);
  // Tufts of moor grass with a few heather flowers; blades lean right and
  // catch the light on their upper-left side.
  for (int i = 0; i < 260; ++i) {
    const double x = rng.Range(0, kCell), y = rng.Range(0, kCell);
    const double len = rng.Range(6, 13), lean = rng.Range(-2, 5);
    // Drawn again one cell over in every direction, so the tile repeats
    // without seams.
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        cairo_move_to(cr, x + dx * kCell, y + dy * kCell);
        cairo_line_to(cr, x + dx * kCell + lean, y + dy * kCell - len);
      }
    }
    cairo_set_line_width(cr, 1.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetColor(cr, Mix(Scale(kGrass, 0.7), {170, 200, 110}, rng.Range(0, 0.8)));
    cairo_stroke(cr);
  }
  for (int i = 0; i < 14; ++i) {
    const double x = rng.Range(6, 90), y = rng.Range(6, 90);
    cairo_arc(cr, x, y, 1.8, 0, 2 * M_PI);
    SetColor(cr, Mix(kHeather, {220, 160, 220}, rng.Unit()));
    cairo_fill(cr);
  }
  return Capture(canvas.surface(), Backdrop::Opaque);
}

}  // namespace

Image DrawGroundTile(const std::string& name) {
  if (name == "floor") return Floor();
  if (name == "floor_worn") return FloorWorn();
  if (name == "floor_grate") return FloorGrate();
  if (name == "floor_moss") return FloorMoss();
  if (name == "wall") return Wall();
  if (name == "wall_panel") return WallPanel();
  if (name == "exit") return Exit();
  if (name == "floor_hazard") return FloorHazard();
  if (name == "grass") return Grass();
  throw std::invalid_argument("no ground picture named " + name);
}

}  // namespace assetgen
