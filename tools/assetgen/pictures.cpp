// generatePictures: the list of picture files and the makers that draw them, run on two
// threads. Every job writes only its own file, so the order of completion changes nothing.
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "assetgen.h"
#include "pictures.h"

namespace assetgen {

namespace {

struct Job {
  std::string file;  // relative to the resources folder
  std::function<bool(const std::string&)> make;
};

std::vector<Job> pictureJobs() {
  std::vector<Job> jobs;
  // Slowest first, so the two threads finish close together.
  for (int i = 0; i < 10; ++i) {
    char name[32];
    snprintf(name, sizeof name, "photos_%02d.jpg", i + 1);
    jobs.push_back({name, [i](const std::string& p) { return makePhoto(p, i); }});
  }
  jobs.push_back({"ers-light.png", makePlanetSurface});
  jobs.push_back({"starbuck.jpg", makeStarfield});
  jobs.push_back({"flesh-gordon.png", makeFlesh});
  jobs.push_back({"flash.png", makeFlash});
  for (int i = 0; i < 3; ++i) {
    std::string n = std::to_string(i);
    jobs.push_back({"items_" + n + ".png", [i](const std::string& p) { return makeItem(p, i); }});
    jobs.push_back(
        {"credits_" + n + ".png", [i](const std::string& p) { return makeCreditPage(p, i); }});
  }
  jobs.push_back({"final-screen.png", makeTitleScreen});
  jobs.push_back({"planet-overlay.png", makePlanetOverlay});
  jobs.push_back({"data/textures/allaudiences.png", makeLoadingCard});
  jobs.push_back({"data/textures/distortion.png", makeDistortionMap});
  for (int i = 0; i < 14; ++i)
    jobs.push_back({std::string("editor/") + kButtonNames[i],
                    [i](const std::string& p) { return makeButton(p, i); }});
  return jobs;
}

}  // namespace

bool generatePictures(const std::string& resources) {
  std::vector<Job> jobs = pictureJobs();
  std::vector<char> ok(jobs.size(), 0);
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i = next++; i < jobs.size(); i = next++) ok[i] = jobs[i].make(resources + "/" + jobs[i].file);
  };
  std::thread helper(worker);
  worker();
  helper.join();
  bool all = true;
  for (size_t i = 0; i < jobs.size(); ++i)
    if (!ok[i]) {
      fprintf(stderr, "assetgen: %s failed\n", jobs[i].file.c_str());
      all = false;
    }
  return all;
}

}  // namespace assetgen
