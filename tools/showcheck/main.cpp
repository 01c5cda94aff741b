// showcheck: measures a captured show (the frame_NNNNNN.png files of `dovrix --capture`).
//   showcheck DIR [--fps N] [--from SECONDS] [--sync FILE.dat] [--frames]
// --fps and --from must match the capture's (defaults 2 and 0): frame i shows FROM + i / N s.
// --sync names the show's curves: frames where "Postprocessor: fade to white" is above 0 are
// the intended white flashes, and their clipped pixels do not count.
// Prints the mean luma, the share of clipped pixels and the change per 1/30 s (the change
// between two captured frames scaled by 30 / N), then every stretch that breaks the goals:
// dark (mean luma under 0.05) or still (change under 0.002) for more than 2 s, or any frame
// with more than 5 % of its pixels clipped to a flat colour (near-white pixels, the flashes'
// own colour, never count). Nothing is
// checked from 118 s on (the closing fade). --frames adds one line per frame.
// Exit status 0 when the goals hold, 1 when a stretch breaks them, 2 on wrong usage or input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <stb_image.h>

#include "showcheck.h"
#include "timeline/controller.h"
#include "timeline/sync_file.h"

using namespace showcheck;

namespace {

int usage() {
  fputs("usage: showcheck DIR [--fps N] [--from SECONDS] [--sync FILE.dat] [--frames]\n", stderr);
  return 2;
}

// The capture's frame files in index order; false (with a message) when there are none.
bool listFrames(const std::string& dir, std::vector<std::string>& files) {
  std::error_code error;
  std::filesystem::directory_iterator it(dir, error), end;
  if (error) {
    fprintf(stderr, "showcheck: cannot read folder %s\n", dir.c_str());
    return false;
  }
  for (; it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.size() == 16 && name.compare(0, 6, "frame_") == 0 && name.compare(12, 4, ".png") == 0)
      files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) fprintf(stderr, "showcheck: no frame_NNNNNN.png in %s\n", dir.c_str());
  return !files.empty();
}

// The show's fade to white from a sync file, or null (with a message) when it cannot be read.
qorFramework::Controller* loadFadeToWhite(const std::string& path, qorFramework::ControllerList& list) {
  if (!qorFramework::readSyncFile(list, path.c_str())) {
    fprintf(stderr, "showcheck: cannot read the sync file %s\n", path.c_str());
    return nullptr;
  }
  return qorFramework::findOrCreateController(list, "Postprocessor: fade to white");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string dir = argv[1];
  double fps = 2, from = 0;
  bool perFrame = false;
  std::string syncFile;
  for (int i = 2; i < argc; ++i) {
    if (!strcmp(argv[i], "--fps") && i + 1 < argc) {
      fps = atof(argv[++i]);
    } else if (!strcmp(argv[i], "--from") && i + 1 < argc) {
      from = atof(argv[++i]);
    } else if (!strcmp(argv[i], "--sync") && i + 1 < argc) {
      syncFile = argv[++i];
    } else if (!strcmp(argv[i], "--frames")) {
      perFrame = true;
    } else {
      return usage();
    }
  }
  if (!(fps > 0)) return usage();
  qorFramework::ControllerList controllers;
  qorFramework::Controller* fadeToWhite = nullptr;
  if (!syncFile.empty() && !(fadeToWhite = loadFadeToWhite(syncFile, controllers))) return 2;

  std::vector<std::string> files;
  if (!listFrames(dir, files)) return 2;
  std::vector<Frame> frames;
  std::vector<uint8_t> previous;
  int width = 0, height = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    int w, h, channels;
    uint8_t* rgb = stbi_load(files[i].c_str(), &w, &h, &channels, 3);
    if (!rgb || (i > 0 && (w != width || h != height))) {
      fprintf(stderr, "showcheck: %s: %s\n", files[i].c_str(), rgb ? "size differs from the first frame" : stbi_failure_reason());
      stbi_image_free(rgb);
      return 2;
    }
    width = w;
    height = h;
    Frame frame;
    frame.seconds = from + double(i) / fps;
    if (fadeToWhite) {
      qorFramework::evaluateController(*fadeToWhite, float(frame.seconds));
      frame.whiteFlash = fadeToWhite->value > 0.0f;
    }
    measurePixels(rgb, w, h, frame);
    if (i > 0) frame.change = lumaChange(rgb, previous.data(), w * h) * fps / 30.0;
    previous.assign(rgb, rgb + size_t(w) * h * 3);
    stbi_image_free(rgb);
    frames.push_back(frame);
    if (perFrame)
      printf("frame %7.3f luma %.4f clipped %.4f change %.5f\n", frame.seconds, frame.luma, frame.clipped, frame.change);
  }

  const Goals goals;
  double lumaSum = 0, changeSum = 0;
  const Frame *darkest = &frames[0], *worstClip = &frames[0];
  for (const Frame& f : frames) {
    lumaSum += f.luma;
    changeSum += f.change;
    if (f.luma < darkest->luma) darkest = &f;
    if (f.clipped > worstClip->clipped) worstClip = &f;
  }
  printf("frames %zu from %.3f s at %g a second, %d x %d\n", frames.size(), from, fps, width, height);
  printf("luma mean %.4f min %.4f at %.3f\n", lumaSum / frames.size(), darkest->luma, darkest->seconds);
  printf("clipped max %.4f at %.3f\n", worstClip->clipped, worstClip->seconds);
  printf("change mean %.5f\n", frames.size() > 1 ? changeSum / (frames.size() - 1) : 0.0);
  std::vector<Stretch> stretches = findStretches(frames, fps, goals);
  for (const Stretch& s : stretches) printf("%s %.3f %.3f\n", s.what.c_str(), s.from, s.to);
  printf("goals %s\n", stretches.empty() ? "held" : "broken");
  return stretches.empty() ? 0 : 1;
}
