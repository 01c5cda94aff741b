// The demo's pictures, one maker per kind. Each maker computes its picture at the target size
// and writes it to path (a full file name with '/' separators); false after a message on
// standard error when anything fails. Makers share no state, so they may run in parallel.
#pragma once

#include <string>

namespace assetgen {

constexpr int kScreenW = 1920;
constexpr int kScreenH = 1080;

// Type: loading card, credit pages, title screen.
bool makeLoadingCard(const std::string& path);
bool makeCreditPage(const std::string& path, int index);  // 0..2
bool makeTitleScreen(const std::string& path);

// Light and space: flash, glowing objects, star field, fleshy overlay, distortion map.
bool makeFlash(const std::string& path);
bool makeItem(const std::string& path, int index);  // 0..2
bool makeStarfield(const std::string& path);
bool makeFlesh(const std::string& path);
bool makeDistortionMap(const std::string& path);

// The planet's surface map and the lens overlay drawn over it.
bool makePlanetSurface(const std::string& path);
bool makePlanetOverlay(const std::string& path);

// Procedural photographs for the sliding strip.
bool makePhoto(const std::string& path, int index);  // 0..9

// Editor buttons: one of the kButtonNames below.
extern const char* const kButtonNames[14];
bool makeButton(const std::string& path, int index);  // index into kButtonNames

// Tiles every picture under resources into one PNG of the given width.
bool writeContactSheet(const std::string& resources, const std::string& out);

}  // namespace assetgen
