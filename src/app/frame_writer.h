// Frame writer for the capture mode: reads each finished frame out of the window's back buffer
// and hands it to a worker thread that writes it (a PNG file or the ffmpeg pipe) while the next
// frame renders. A small ring of frame buffers is allocated once; when every buffer is still
// being written, queueing waits for the oldest. Frames are written in the order queued, with the
// same bytes as a direct read and write would give.
// Depends on: OpenGL pixel buffer objects (OpenGL 2.1), the standard thread library.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/gl.h"

namespace qorFramework {

// Writes one frame of 8-bit RGB, top row first; false when it could not.
using FrameWriteFunction = std::function<bool(int index, const std::vector<unsigned char>& rgb)>;

class FrameWriter {
 public:
  // Starts the worker; call with the GL context current. `slots` frames may wait at once.
  void begin(int width, int height, FrameWriteFunction write, int slots = 3);
  // Reads the back buffer (the frame just drawn, before the swap) into a free slot and queues
  // it as frame `index`. Returns the milliseconds spent waiting for a free slot.
  double queueWindow(int index);
  // False once any write has failed; the frames queued after it are dropped.
  bool failed();
  // The index of the frame whose write failed first (-1 while none has).
  int failedIndex();
  // Waits until every queued frame is written, stops the worker and frees the pixel buffer
  // (context current). False when any write failed.
  bool end();

 private:
  struct Slot {
    std::vector<unsigned char> rgb;  // top row first
    int index = -1;
    bool queued = false;
  };
  void work();

  int width = 0, height = 0;
  FrameWriteFunction write;
  GLuint packBuffer = 0;
  std::vector<Slot> slots;
  size_t next = 0;  // the slot the next frame goes into
  std::mutex mutex;
  std::condition_variable changed;
  bool stopping = false, writeFailed = false;
  int firstFailedIndex = -1;
  std::thread worker;
};

}  // namespace qorFramework
