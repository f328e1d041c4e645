// The player figure seen from above, drawn facing up and turned for the
// other facings; the light stays at the top-left of the page whichever way
// the figure faces.
#include <cmath>

#include "tools/assetgen/paint.h"
#include "tools/assetgen/sprites.h"

namespace assetgen {

namespace {

using namespace palette;

constexpr double kCentre = kCell / 2.0;
constexpr Rgb kArmour = kRust;
constexpr Rgb kCloth{104, 112, 76};
constexpr Rgb kBoot{122, 88, 60};
constexpr Rgb kGunMetal{70, 76, 88};

// Where the weapon's muzzle lies in the upward figure; the flash overlays
// are centred on it.
constexpr double kMuzzleX = 53, kMuzzleY = 11;

// Forward offsets (negative is ahead) of the left and right boot per frame:
// middle, left forward, right forward, right further forward.
struct Stride {
  double left, right;
};
constexpr Stride kStrides[] = {{0, 0}, {-22, 14}, {14, -22}, {20, -29}};
// The figure is drawn a little larger than its design grid.
constexpr double kFigureScale = 1.12;
// ... and set back a little, so the flash ahead of the muzzle stays inside.
constexpr double kSetBack = 8;

void TurnPage(cairo_t* cr, int facing) {
  cairo_translate(cr, kCentre, kCentre);
  cairo_rotate(cr, facing * M_PI / 2);
  cairo_scale(cr, kFigureScale, kFigureScale);
  cairo_translate(cr, -kCentre, -kCentre + kSetBack);
}

void Leg(cairo_t* cr, double hipX, double forward) {
  const double footY = 50 + forward;
  // The trouser leg, from the hip to the boot.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, hipX, 50);
  cairo_line_to(cr, hipX, footY);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_line_width(cr, 13);
  SetColor(cr, kOutline);
  cairo_stroke_preserve(cr);
  cairo_set_line_width(cr, 10);
  SetColor(cr, kCloth);
  cairo_stroke(cr);
  cairo_restore(cr);
  // The boot, its toe pointing ahead.
  Ellipse(cr, hipX, footY - 2, 6, 9);
  FillRound(cr, kBoot, 0.35);
  Outline(cr, 1.5);
  Done(cr);
}

void Arm(cairo_t* cr, double fromX, double fromY, double toX, double toY) {
  cairo_move_to(cr, fromX, fromY);
  cairo_line_to(cr, toX, toY);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 9);
  SetColor(cr, kOutline);
  cairo_stroke_preserve(cr);
  cairo_set_line_width(cr, 6);
  SetColor(cr, kCloth);
  cairo_stroke(cr);
  cairo_restore(cr);
  // Gloved hand.
  cairo_arc(cr, toX, toY, 4, 0, 2 * M_PI);
  FillRound(cr, kBoot);
  Outline(cr, 1.2);
  Done(cr);
}

void Body(cairo_t* cr) {
  // Backpack.
  RoundedRect(cr, 36, 54, 24, 14, 4);
  FillLit(cr, kOlive);
  Outline(cr, 1.5);
  Done(cr);
  // Shoulders and chest plate.
  Ellipse(cr, kCentre, 49, 22, 12);
  FillRound(cr, kArmour, 0.4);
  Outline(cr, 2);
  Done(cr);
  // Shoulder pads.
  for (double x : {29.0, 67.0}) {
    cairo_arc(cr, x, 49, 7, 0, 2 * M_PI);
    FillRound(cr, Scale(kArmour, 1.1), 0.45);
    Outline(cr, 1.5);
    Done(cr);
  }
}

void Weapon(cairo_t* cr) {
  // Rifle: stock at the chest, barrel ahead.
  RoundedRect(cr, kMuzzleX - 4, 20, 8, 26, 2);
  FillLit(cr, kGunMetal, 0.35);
  Outline(cr, 1.5);
  Done(cr);
  cairo_rectangle(cr, kMuzzleX - 2, kMuzzleY + 1, 4, 10);
  FillLit(cr, Scale(kGunMetal, 0.9), 0.4);
  Outline(cr, 1.2);
  Done(cr);
  // Magazine and sight.
  cairo_rectangle(cr, kMuzzleX - 8, 30, 5, 7);
  FillLit(cr, kGunMetal);
  Outline(cr, 1);
  Done(cr);
}

void Head(cairo_t* cr) { Helmet(cr, kCentre, 48, 9.5); }

void Figure(cairo_t* cr, int frame) {
  const Stride& stride = kStrides[frame];
  Leg(cr, 37, stride.left);
  Leg(cr, 61, stride.right);
  Body(cr);
  Arm(cr, 66, 47, kMuzzleX + 2, 40);
  Weapon(cr);
  Arm(cr, 30, 47, kMuzzleX - 3, 27);
  Head(cr);
}

void FlashStar(cairo_t* cr, double cx, double cy, double outer, double inner, int points, Rgb colour) {
  for (int i = 0; i < points * 2; ++i) {
    const double angle = -M_PI / 2 + i * M_PI / points;
    const double r = (i % 2 == 0) ? outer : inner;
    const double stretch = std::fabs(std::sin(angle)) * 0.6 + 0.7;  // longer along the barrel
    cairo_line_to(cr, cx + std::cos(angle) * r * (i % 2 == 0 ? 0.8 : 1), cy + std::sin(angle) * r * stretch);
  }
  cairo_close_path(cr);
  SetColor(cr, colour);
  cairo_fill(cr);
}

}  // namespace

Image DrawPlayerFrame(int facing, int frame) {
  Canvas canvas(kCell, kCell);
  TurnPage(canvas.cr(), facing);
  Figure(canvas.cr(), frame);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image DrawMuzzleFlash(int facing) {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  TurnPage(cr, facing);
  FlashStar(cr, kMuzzleX, kMuzzleY - 4, 12, 5, 7, {250, 120, 36});
  FlashStar(cr, kMuzzleX, kMuzzleY - 3, 8.5, 4, 7, {255, 210, 80});
  cairo_arc(cr, kMuzzleX, kMuzzleY - 2, 3.5, 0, 2 * M_PI);
  SetColor(cr, {255, 252, 226});
  cairo_fill(cr);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

Image DrawShadow() {
  Canvas canvas(kCell, kCell);
  cairo_t* cr = canvas.cr();
  // Cast down and to the right, away from the light.
  Ellipse(cr, kCentre + 5, kCentre + 6, 27, 23);
  SetColor(cr, {44, 40, 56});
  cairo_fill(cr);
  return Capture(canvas.surface(), Backdrop::Keyed);
}

}  // namespace assetgen
