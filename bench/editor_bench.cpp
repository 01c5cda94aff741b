// The sync editor's per-frame work at 1280 x 720 on this machine's renderer, next to one
// full-screen textured, blended quad measured in the same process (the fill-rate yardstick):
// the curve view's display-list rebuild alone, and the whole overlay (rebuild and draw) with
// the panels closed and with the 40-row controller panel open.
// Run from the build tree: it reads the show's curves and the editor's buttons from
// build/resources when they are there (DOVRIX_BUILD_DIR, else the current folder).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/music_stream.h"
#include "editor/sync_editor.h"
#include "gfx/texture.h"
#include "platform/window.h"
#include "support/fake_show.h"
#include "support/test_support.h"
#include "timeline/sync_file.h"

using namespace qorFramework;

namespace {

const int kWidth = 1280, kHeight = 720;

struct Scene {
  platform::Window* window = nullptr;
  testsupport::FakeShow show;
  ControllerList controllers;
  SyncEditor* editor = nullptr;
  GL_MemTexture picture;
};

Scene& scene() {
  static Scene* s = nullptr;
  if (s) return *s;
  s = new Scene;
  const char* build = getenv("DOVRIX_BUILD_DIR");
  std::string resources = std::string(build ? build : ".") + "/resources";
  if (chdir(resources.c_str()) != 0) fprintf(stderr, "editor_bench: no %s, synthetic curves\n", resources.c_str());
  s->window = testsupport::createTestWindow(kWidth, kHeight);
  glViewport(0, 0, kWidth, kHeight);
  if (!readSyncFile(s->controllers, "data\\demosynch.dat")) {
    for (int c = 0; c < 35; ++c) {
      Controller* controller = findOrCreateController(s->controllers, ("Bench: " + std::to_string(c)).c_str());
      for (int k = 0; k < 30; ++k) addKey(*controller, k * 4.0f, (k % 3) / 2.0f);
    }
  }
  s->show.clock.playedSeconds = 40.0f;
  EditorOptions options;
  options.takesInput = false;
  options.viewportHeight = kHeight;
  options.musicFile = kMusicFile;
  EditorHost host;
  host.transport = &s->show;
  host.controllers = &s->controllers;
  host.lengthMs = s->show.lengthMs;
  s->editor = new SyncEditor(host, options);
  s->editor->init();
  std::vector<uint8_t> pixels(256 * 256 * 4, 128);
  s->picture.create(pixels.data(), 256, 256, GL_RGBA, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  return *s;
}

void BM_FullScreenQuad(benchmark::State& state) {
  Scene& s = scene();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, 1, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (auto _ : state) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    s.picture.bind(GL_TEXTURE0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(0, 0);
    glTexCoord2f(1, 0); glVertex2f(1, 0);
    glTexCoord2f(1, 1); glVertex2f(1, 1);
    glTexCoord2f(0, 1); glVertex2f(0, 1);
    glEnd();
    s.picture.unbind();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glFinish();
  }
}
BENCHMARK(BM_FullScreenQuad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurveViewRebuild(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) {
    s.editor->view.rebuildDisplayList();
    glFinish();
  }
}
BENCHMARK(BM_CurveViewRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OverlayFrame(benchmark::State& state) {
  Scene& s = scene();
  s.editor->widgets.controllersPanel.open = state.range(0) != 0;
  for (auto _ : state) {
    s.editor->draw();
    glFinish();
  }
  s.editor->widgets.controllersPanel.open = false;
}
BENCHMARK(BM_OverlayFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
