// assetgen RESOURCES_DIR: writes every generated asset of the demo into RESOURCES_DIR.
#include <cstdio>

#include "assetgen.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: assetgen RESOURCES_DIR\n");
    return 2;
  }
  std::string out = argv[1];
  bool ok = assetgen::generatePictures(out);
  ok = assetgen::generateModel(out) && ok;
  ok = assetgen::generateMusic(out) && ok;
  return ok ? 0 : 1;
}
