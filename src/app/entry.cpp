#include "app/entry.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/capture.h"
#include "app/command_line.h"
#include "app/demo_app.h"
#include "app/demo_transport.h"
#include "app/gl_window.h"
#include "app/launcher.h"
#include "app/loading_screen.h"
#include "app/music_stream.h"
#include "app/resources.h"
#include "app/scene.h"
#include "platform/trace.h"
#include "app/video_encoder.h"
#include "editor/sync_editor.h"
#include "gfx/texture_manager.h"
#include "platform/system.h"
#include "timeline/sync_file.h"

namespace qorFramework {

// The one application record, its transport and render window of the process.
static DemoApp demoApp;
static DemoTransport demoTransport(demoApp);
static GL_Window renderWindow;
static LoadingScreen loadingScreen;

static void startTrace() {
  traceVerbosity = TRACE_INFO;
  traceSink = TRACE_TO_DEBUGGER;
  trace(TRACE_INFO, "trace", "Trace started");
  traceQuitLevel = 1;
  trace(TRACE_INFO, "trace", "Enabled quit on trace level: %d", 1);
}

// Creates the texture manager, stores the music, texture manager and controller list in the
// record, loads the show's curves and leaves the editor detached.
static bool syncSetup(DemoApp& app, MusicStream* music, ControllerList* controllers) {
  app.textureManager = new GL_TextureManager();
  app.music = music;
  app.controllers = controllers;
  readSyncFile(*controllers, "data\\demosynch.dat");
  return true;
}

static LaunchSettings chooseSettings(const CommandLine& line) {
  if (line.useLauncher) return runLauncher();
  LaunchSettings settings;
  settings.cancelled = false;
  settings.width = line.width;
  settings.height = line.height;
  settings.fullscreen = line.fullscreen;
  return settings;
}

// The sync editor, when asked for: created with the context current, after the layers' init
// made their controllers. In a capture it draws into every frame and takes no input.
static void attachEditor(DemoApp& app, const CommandLine& line, int windowHeight) {
  if (!line.edit) return;
  EditorOptions options;
  options.beatGrid.beatsPerMinute = line.beatsPerMinute;
  options.beatGrid.offsetSeconds = line.beatOffsetSeconds;
  options.takesInput = !line.capture;
  options.viewportHeight = windowHeight;
  options.song = streamSong(app.music);
  options.musicFile = kMusicFile;
  // The build names its source tree: saving then updates the repository's text copy too.
  options.paths.textFile = findSourceText("source-tree");
  options.loadFile = line.loadFile;
  EditorHost host;
  host.transport = &demoTransport;
  host.controllers = app.controllers;
  host.window = renderWindow.handle;
  host.lengthMs = app.timeline.maxEndMs;
  app.editor = new SyncEditor(host, options);
}

static std::string callerFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string(".");
}

// A refusal before anything starts: "dovrix: WHY" on standard error.
static void refuse(const std::string& why) { platform::debugOutput(("dovrix: " + why + "\n").c_str()); }

// The command line's answers that end the program before anything starts: --help, --version,
// a refused line (status 2) or an output that cannot be written (status 1). -1: go on.
static int answerCommandLine(const CommandLine& line) {
  if (line.help) {
    fputs(commandLineUsage(), stdout);
    return 0;
  }
  if (line.version) {
    printf("dovrix %s\n", programVersion());
    return 0;
  }
  if (!line.ok) {
    refuse(line.error);
    platform::debugOutput("Try 'dovrix --help' for more information.\n");
    return 2;
  }
  // A video that cannot be made is known now, not after the loading screen.
  if (!line.videoFile.empty()) {
    std::string why = checkVideoOutput(line.videoFile, line.width, line.height);
    if (!why.empty()) {
      refuse(why);
      return 1;
    }
  }
  return -1;
}

// The scene on the open window: the music, the curves, the layers and their schedule, the
// loading screen, then the main loop or the offline loop. False when a capture failed.
static bool playShow(const CommandLine& line, const LaunchSettings& settings, MusicStream& music) {
  openMusicStream(music, kMusicFile);
  ControllerList* controllers = new ControllerList();  // lives until the process ends
  syncSetup(demoApp, &music, controllers);
  setPlaySpan(demoApp.clock, line.fromSeconds, line.toSeconds);
  registerScene(demoApp, settings.width, settings.height);
  scheduleScene(demoApp);
  if (!renderWindow.open) return true;
  loadingScreen.run(renderWindow.handle, demoApp.timeline, demoApp.textureManager, controllers,
                    &demoApp.appState, !line.capture);
  if (demoApp.appState == kStateLoaded) attachEditor(demoApp, line, settings.height);
  if (line.capture) return runCapture(demoApp, renderWindow.handle, line);
  runMainLoop(demoApp, renderWindow.handle);
  return true;
}

int demoMain(int argc, char** argv) {
  CommandLine line = parseCommandLine(argc, argv, callerFolder(), kShowEndMs / 1000.0);
  int answer = answerCommandLine(line);
  if (answer >= 0) return answer;
  if (!enterResources()) return 1;
  startTrace();

  LaunchSettings settings = chooseSettings(line);
  if (settings.cancelled) return 0;
  renderWindow.create("vek", settings.width, settings.height, 1.77f, settings.fullscreen, renderWindowProc);
  setWindowProcApp(&demoApp);

  MusicStream music;
  bool captured = playShow(line, settings, music);

  stopStream(&music);
  // Joins the audio thread now rather than letting it run into the process exit.
  closeMusicStream(music);
  demoApp.appState = kStateQuitting;
  renderWindow.destroy();
  if (traceSink == TRACE_TO_FILE) closeTraceFile();
  trace(TRACE_INFO, "trace", "Trace stopped.");
  return captured ? 0 : 1;
}

}  // namespace qorFramework
