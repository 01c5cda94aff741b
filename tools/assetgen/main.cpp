// assetgen RESOURCES_DIR: writes every generated asset of the demo into RESOURCES_DIR.
// assetgen --only pictures,model,music RESOURCES_DIR: only the named groups.
// assetgen --contact-sheet RESOURCES_DIR OUT.png: tiles the pictures found there into one PNG.
#include <cstdio>
#include <cstring>
#include <string>

#include "assetgen.h"
#include "pictures.h"

static int usage() {
  fprintf(stderr,
          "usage: assetgen [--only pictures,model,music] RESOURCES_DIR\n"
          "       assetgen --contact-sheet RESOURCES_DIR OUT.png\n");
  return 2;
}

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "--contact-sheet") == 0)
    return assetgen::writeContactSheet(argv[2], argv[3]) ? 0 : 1;
  std::string groups = "pictures,model,music";
  if (argc == 4 && strcmp(argv[1], "--only") == 0)
    groups = argv[2];
  else if (argc != 2)
    return usage();
  std::string out = argv[argc - 1];
  auto wanted = [&](const char* group) { return ("," + groups + ",").find(std::string(",") + group + ",") != std::string::npos; };
  if (!wanted("pictures") && !wanted("model") && !wanted("music")) return usage();
  bool ok = true;
  if (wanted("pictures")) ok = assetgen::generatePictures(out) && ok;
  if (wanted("model")) ok = assetgen::generateModel(out) && ok;
  if (wanted("music")) ok = assetgen::generateMusic(out) && ok;
  return ok ? 0 : 1;
}
