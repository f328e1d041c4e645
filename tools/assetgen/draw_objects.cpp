// Things lying in a cell: doors, pickups and mines, on a see-through
// (pure black) background.
#include <cmath>
#include <stdexcept>

#include "tools/assetgen/paint.h"
#include "tools/assetgen/sprites.h"

namespace assetgen {

namespace {

using namespace palette;

// A glowing lamp: a bright core inside a ring of its colour.
void Lamp(cairo_t* cr, double x, double y, double r, Rgb colour) {
  cairo_arc(cr, x, y, r + 2, 0, 2 * M_PI);
  FillFlat(cr, Scale(colour, 0.45));
  Done(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_pattern_t* glow = cairo_pattern_create_radial(x - r * 0.3, y - r * 0.3, 0, x, y, r);
  cairo_pattern_add_color_stop_rgb(glow, 0, 1, 1, 0.95);
  cairo_pattern_add_color_stop_rgb(glow, 0.35, colour.r / 255, colour.g / 255, colour.b / 255);
  cairo_pattern_add_color_stop_rgb(glow, 1, colour.r / 400, colour.g / 400, colour.b / 400);
  cairo_set_source(cr, glow);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(glow);
  Outline(cr, 1);
  Done(cr);
}

void Bolt(cairo_t* cr, double x, double y) {
  cairo_arc(cr, x, y, 2.2, 0, 2 * M_PI);
  FillRound(cr, kSteelLight);
  Outline(cr, 0.8);
  Done(cr);
}

// The door's frame: a steel ring around the doorway, bolted at the corners.
void DoorFrame(cairo_t* cr) {
  RoundedRect(cr, 3, 3, 90, 90, 6);
  RoundedRect(cr, 15, 15, 66, 66, 2);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  FillLit(cr, kSteel, 0.4);
  Outline(cr, 2);
  Done(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  for (double x : {9.0, 87.0}) {
    for (double y : {9.0, 87.0}) Bolt(cr, x, y);
  }
}

// One leaf of a sliding door between x0 and x1 across the doorway.
void DoorLeaf(cairo_t* cr, double x0, double x1) {
  cairo_rectangle(cr, x0, 15, x1 - x0, 66);
  FillLit(cr, kSlate, 0.35);
  Outline(cr, 1.5);
  Done(cr);
  for (double y = 24; y < 78; y += 12) {
    cairo_rectangle(cr, x0 + 4, y, x1 - x0 - 8, 4);
    FillFlat(cr, kSlateDark);
    Done(cr);
    cairo_rectangle(cr, x0 + 4, y + 4, x1 - x0 - 8, 1);
    FillFlat(cr, Scale(kSlate, 1.35));
    Done(cr);
  }
}

void HazardBand(cairo_t* cr, double x, double y, double w, double h) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  cairo_rectangle(cr, x, y, w, h);
  FillFlat(cr, kAmber);
  Done(cr);
  for (double s = x - h; s < x + w + h; s += 10) {
    cairo_move_to(cr, s, y + h);
    cairo_line_to(cr, s + 5, y + h);
    cairo_line_to(cr, s + 5 + h, y);
    cairo_line_to(cr, s + h, y);
    cairo_close_path(cr);
  }
  FillFlat(cr, {40, 36, 30});
  Done(cr);
  cairo_restore(cr);
  cairo_rectangle(cr, x, y, w, h);
  Outline(cr, 1.2);
  Done(cr);
}

Image ClosedDoor() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  DoorLeaf(cr, 15, 48);
  DoorLeaf(cr, 48, 81);
  HazardBand(cr, 15, 43, 66, 10);
  // The seam where the leaves meet, and the lock.
  cairo_rectangle(cr, 47, 15, 2, 66);
  FillFlat(cr, kOutline);
  Done(cr);
  RoundedRect(cr, 39, 37, 18, 22, 3);
  FillLit(cr, kSteel, 0.4);
  Outline(cr, 1.5);
  Done(cr);
  Lamp(cr, 48, 48, 5, kRed);
  DoorFrame(cr);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image OpenDoor() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  // The leaves slid back into the frame: only their edges show.
  cairo_rectangle(cr, 15, 15, 7, 66);
  cairo_rectangle(cr, 74, 15, 7, 66);
  FillLit(cr, kSlate, 0.35);
  Outline(cr, 1.5);
  Done(cr);
  DoorFrame(cr);
  Lamp(cr, 48, 9, 3.5, kGreen);
  Lamp(cr, 48, 87, 3.5, kGreen);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image Keycard() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  // About 44 pixels wide, centred, so that the inventory slot frames it.
  RoundedRect(cr, 26, 33, 44, 30, 4);
  FillLit(cr, kTeal, 0.4);
  Outline(cr, 2);
  Done(cr);
  cairo_rectangle(cr, 27, 38, 42, 6);
  FillFlat(cr, {40, 52, 70});
  Done(cr);
  RoundedRect(cr, 31, 48, 11, 9, 2);
  FillLit(cr, kBrass, 0.45);
  Outline(cr, 1);
  Done(cr);
  cairo_move_to(cr, 36.5, 48);
  cairo_line_to(cr, 36.5, 57);
  cairo_move_to(cr, 31, 52.5);
  cairo_line_to(cr, 42, 52.5);
  cairo_set_line_width(cr, 0.8);
  SetColor(cr, Scale(kBrass, 0.6));
  cairo_stroke(cr);
  for (double y : {49.0, 53.0}) {
    cairo_rectangle(cr, 46, y, 19, 2);
  }
  FillFlat(cr, kWhite);
  Done(cr);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image Medkit() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  // Handle.
  RoundedRect(cr, 38, 24, 20, 12, 4);
  RoundedRect(cr, 42, 28, 12, 8, 2);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  FillLit(cr, kSteel);
  Outline(cr, 1.5);
  Done(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  RoundedRect(cr, 22, 32, 52, 40, 6);
  FillLit(cr, kWhite, 0.3);
  Outline(cr, 2);
  Done(cr);
  cairo_rectangle(cr, 42, 38, 12, 28);
  cairo_rectangle(cr, 34, 46, 28, 12);
  FillLit(cr, kRed, 0.3);
  Done(cr);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

void Cartridge(cairo_t* cr, double x, double y) {
  RoundedRect(cr, x, y + 7, 7, 16, 1);
  FillLit(cr, kBrass, 0.45);
  Outline(cr, 1.2);
  Done(cr);
  cairo_move_to(cr, x, y + 8);
  cairo_curve_to(cr, x, y + 1, x + 7, y + 1, x + 7, y + 8);
  cairo_close_path(cr);
  FillLit(cr, {190, 112, 70}, 0.4);
  Outline(cr, 1.2);
  Done(cr);
}

Image Ammo() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  RoundedRect(cr, 20, 40, 56, 34, 3);
  FillLit(cr, kOlive, 0.35);
  Outline(cr, 2);
  Done(cr);
  // Lid seam, latch and stencil band.
  cairo_rectangle(cr, 20, 48, 56, 2);
  FillFlat(cr, Scale(kOlive, 0.6));
  Done(cr);
  RoundedRect(cr, 44, 44, 8, 9, 1);
  FillLit(cr, kSteel);
  Outline(cr, 1);
  Done(cr);
  cairo_rectangle(cr, 26, 58, 44, 8);
  FillFlat(cr, kAmber);
  Done(cr);
  for (int i = 0; i < 5; ++i) Cartridge(cr, 27 + i * 9, 18 + (i % 2) * 3);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

void DashedRing(cairo_t* cr, double r, Rgb colour) {
  const double dashes[] = {7, 5};
  cairo_arc(cr, 48, 48, r, 0, 2 * M_PI);
  cairo_set_dash(cr, dashes, 2, 0);
  cairo_set_line_width(cr, 3);
  SetColor(cr, colour);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

Image MineActive() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  DashedRing(cr, 36, kRed);
  // Pressure prongs around the casing.
  for (int i = 0; i < 8; ++i) {
    const double a = i * M_PI / 4 + M_PI / 8;
    cairo_move_to(cr, 48 + std::cos(a - 0.15) * 18, 48 + std::sin(a - 0.15) * 18);
    cairo_line_to(cr, 48 + std::cos(a) * 28, 48 + std::sin(a) * 28);
    cairo_line_to(cr, 48 + std::cos(a + 0.15) * 18, 48 + std::sin(a + 0.15) * 18);
    cairo_close_path(cr);
    FillLit(cr, kSteel, 0.4);
    Outline(cr, 1.2);
    Done(cr);
  }
  cairo_arc(cr, 48, 48, 20, 0, 2 * M_PI);
  FillRound(cr, kOlive, 0.5);
  Outline(cr, 2);
  Done(cr);
  cairo_arc(cr, 48, 48, 12, 0, 2 * M_PI);
  FillRound(cr, kSlateDark, 0.4);
  Outline(cr, 1.2);
  Done(cr);
  Lamp(cr, 48, 48, 7, kRed);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image MineInactive() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  Rng rng(1212);
  // A scorched crater with a ragged rim.
  for (int i = 0; i < 18; ++i) {
    const double a = i * 2 * M_PI / 18;
    const double r = rng.Range(22, 31);
    cairo_line_to(cr, 48 + std::cos(a) * r, 48 + std::sin(a) * r);
  }
  cairo_close_path(cr);
  FillRound(cr, {78, 70, 62}, 0.3);
  Outline(cr, 1.5);
  Done(cr);
  cairo_arc(cr, 48, 48, 17, 0, 2 * M_PI);
  cairo_pattern_t* pit = cairo_pattern_create_radial(52, 52, 2, 48, 48, 17);
  cairo_pattern_add_color_stop_rgb(pit, 0, 0.16, 0.13, 0.12);
  cairo_pattern_add_color_stop_rgb(pit, 1, 0.36, 0.32, 0.28);
  cairo_set_source(cr, pit);
  cairo_fill(cr);
  cairo_pattern_destroy(pit);
  // Bent casing fragments, cold.
  for (int i = 0; i < 5; ++i) {
    const double a = rng.Range(0, 2 * M_PI);
    const double r = rng.Range(8, 20);
    const double x = 48 + std::cos(a) * r, y = 48 + std::sin(a) * r;
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + rng.Range(4, 8), y + rng.Range(-3, 3));
    cairo_line_to(cr, x + rng.Range(0, 4), y + rng.Range(4, 7));
    cairo_close_path(cr);
    FillLit(cr, {110, 116, 108}, 0.35);
    Outline(cr, 1);
    Done(cr);
  }
  return Capture(canvas.surface(), Backdrop::Keyed);
}

}  // namespace

Image DrawObject(const std::string& name) {
  if (name == "cdoor") return ClosedDoor();
  if (name == "odoor") return OpenDoor();
  if (name == "keycard") return Keycard();
  if (name == "medkit") return Medkit();
  if (name == "ammo") return Ammo();
  if (name == "mine_active") return MineActive();
  if (name == "mine_inactive") return MineInactive();
  throw std::invalid_argument("no object picture named " + name);
}

}  // namespace assetgen
