// assetgen RESOURCES_DIR: writes every generated asset of the demo into RESOURCES_DIR.
// assetgen --only pictures,model,music RESOURCES_DIR: only the named groups.
// assetgen --contact-sheet RESOURCES_DIR OUT.png: tiles the pictures found there into one PNG.
// assetgen --icon OUT.png SIZE: the program's icon, SIZE x SIZE pixels.
// Exit status 0 on success, 1 when something could not be written, 2 on wrong usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../tool_usage.h"
#include "assetgen.h"
#include "pictures.h"

namespace {

const char* const kUsage =
    "usage: assetgen [--only pictures,model,music] RESOURCES_DIR\n"
    "       assetgen --contact-sheet RESOURCES_DIR OUT.png\n"
    "       assetgen --icon OUT.png SIZE\n"
    "\n"
    "  RESOURCES_DIR    folder that receives the generated pictures, model and music\n"
    "  --only GROUPS    only the named groups (comma-separated: pictures, model, music)\n"
    "  --contact-sheet  tile the pictures found in RESOURCES_DIR into OUT.png\n"
    "  --icon           draw the program's icon as a SIZE x SIZE PNG (16 to 1024)\n"
    "  --help, -h       show this help\n";

int refuse(const std::string& what) { return toolusage::refuse("assetgen", what); }
using toolusage::flagLike;

int iconMode(int argc, char** argv) {
  if (argc != 4) return refuse("--icon needs OUT.png and SIZE");
  if (flagLike(argv[2])) return refuse(std::string("'") + argv[2] + "' is not a file name");
  char* end = nullptr;
  long size = strtol(argv[3], &end, 10);
  if (*end != '\0' || size < 16 || size > 1024)
    return refuse(std::string("icon size '") + argv[3] + "' is not a whole number from 16 to 1024");
  return assetgen::writeIcon(argv[2], int(size)) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (toolusage::helpAsked(argc, argv, kUsage)) return 0;
  if (argc >= 2 && strcmp(argv[1], "--icon") == 0) return iconMode(argc, argv);
  if (argc >= 2 && strcmp(argv[1], "--contact-sheet") == 0) {
    if (argc != 4) return refuse("--contact-sheet needs RESOURCES_DIR and OUT.png");
    for (int i = 2; i < 4; ++i)
      if (flagLike(argv[i])) return refuse(std::string("'") + argv[i] + "' is not a folder or file name");
    return assetgen::writeContactSheet(argv[2], argv[3]) ? 0 : 1;
  }
  std::string groups = "pictures,model,music";
  int operand = 1;
  if (argc >= 2 && strcmp(argv[1], "--only") == 0) {
    if (argc < 3) return refuse("--only needs a list of groups");
    groups = argv[2];
    operand = 3;
  }
  if (operand >= argc) return refuse("no RESOURCES_DIR given");
  if (flagLike(argv[operand])) return refuse(std::string("unknown option '") + argv[operand] + "'");
  if (operand + 1 < argc) return refuse(std::string("unexpected '") + argv[operand + 1] + "' after RESOURCES_DIR");
  std::string out = argv[operand];
  auto wanted = [&](const char* group) { return ("," + groups + ",").find(std::string(",") + group + ",") != std::string::npos; };
  if (!wanted("pictures") && !wanted("model") && !wanted("music"))
    return refuse("--only '" + groups + "' names none of pictures, model, music");
  bool ok = true;
  if (wanted("pictures")) ok = assetgen::generatePictures(out) && ok;
  if (wanted("model")) ok = assetgen::generateModel(out) && ok;
  if (wanted("music")) ok = assetgen::generateMusic(out) && ok;
  return ok ? 0 : 1;
}
