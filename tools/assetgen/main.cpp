// vexmoor-assetgen: draws, renders and synthesises every resource of the
// game into an installation directory, each as its loose file and as its
// packed ".dat" beside it, plus the window icon; or the menu icons into a
// folder laid out as the hicolor icon theme.
//
//   vexmoor-assetgen [--fonts DIR] INSTALL_DIR
//   vexmoor-assetgen [--fonts DIR] --icons THEME_DIR
//   vexmoor-assetgen [--fonts DIR] --contact-sheet INSTALL_DIR OUT.png
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "tools/assetgen/contact_sheet.h"
#include "tools/assetgen/font.h"
#include "tools/assetgen/icons.h"
#include "tools/assetgen/image.h"
#include "tools/assetgen/music.h"
#include "tools/assetgen/paint.h"
#include "tools/assetgen/sounds.h"
#include "tools/assetgen/sprites.h"

namespace {

using namespace assetgen;

// Courier New 10 at 96 dots per inch is a 13-pixel em.
constexpr int kFontPixels = 13;
constexpr float kMusicQuality = 0.3f;

constexpr const char* kIconName = "vexmoor";

// The folder's path with a final "/".
std::string Folder(std::string dir) {
  if (dir.back() != '/') dir += '/';
  return dir;
}

// Writes one loose resource and packs it beside itself.
void WriteResource(const std::string& folder, const std::string& fileName, const std::vector<uint8_t>& bytes) {
  const std::string path = folder + fileName;
  resources::WriteWholeFile(path, bytes);
  resources::PackDataFile(path, folder);
}

void Generate(const std::string& dir) {
  for (const char* sub : {"Sprites", "Fonts", "Sounds", "Music"}) std::filesystem::create_directories(dir + sub);
  for (const NamedImage& sprite : DrawFixedSprites()) {
    WriteResource(dir + "Sprites/", sprite.name + ".bmp", EncodeBmp(sprite.image));
  }
  for (const NamedImage& sprite : DrawGroundSprites()) {
    WriteResource(dir + "Sprites/", sprite.name + ".bmp", EncodeBmp(sprite.image));
  }
  WriteResource(dir + "Fonts/", "courier new 10.fnt",
                BuildFont(FontDirectory() + "LiberationMono-Bold.ttf", kFontPixels));
  for (const NamedSound& effect : SynthesiseEffects()) {
    WriteResource(dir + "Sounds/", effect.name + ".wav", EncodeWav(effect.samples, 1));
  }
  WriteResource(dir + "Music/", "maze.ogg", EncodeOggVorbis(ComposeMaze(), kMusicQuality));
  resources::WriteWholeFile(dir + "vexmoor.bmp", EncodeBmp(DrawIcon()));
}

int Usage() {
  std::fprintf(stderr,
               "usage: vexmoor-assetgen [--fonts DIR] INSTALL_DIR\n"
               "       vexmoor-assetgen [--fonts DIR] --icons THEME_DIR\n"
               "       vexmoor-assetgen [--fonts DIR] --contact-sheet INSTALL_DIR OUT.png\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "--fonts") {
    SetFontDirectory(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  try {
    if (args.size() == 3 && args[0] == "--contact-sheet") {
      WriteContactSheet(args[1], args[2]);
    } else if (args.size() == 2 && args[0] == "--icons" && !args[1].empty()) {
      WriteIconTheme(Folder(args[1]), kIconName);
    } else if (args.size() == 1 && !args[0].empty()) {
      Generate(Folder(args[0]));
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vexmoor-assetgen: %s\n", e.what());
    ReleaseFaces();
    return 1;
  }
  ReleaseFaces();
  return 0;
}
