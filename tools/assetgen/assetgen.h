// assetgen: writes every picture, the planet model and the music of the demo into a resources
// folder. Each generator is deterministic: the same sources give byte-identical files.
#pragma once

#include <string>

namespace assetgen {

// Each writes its files below `resources` (created folders included); false on any failure,
// after printing what went wrong to standard error.
bool generatePictures(const std::string& resources);
bool generateModel(const std::string& resources);
bool generateMusic(const std::string& resources);

// The program's icon as a SIZE x SIZE RGBA PNG (transparent outside its rounded square).
bool writeIcon(const std::string& path, int size);

}  // namespace assetgen
