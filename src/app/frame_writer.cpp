#include "app/frame_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/system.h"

namespace qorFramework {

void FrameWriter::begin(int frameWidth, int frameHeight, FrameWriteFunction writeFunction, int slotCount) {
  width = frameWidth;
  height = frameHeight;
  write = std::move(writeFunction);
  size_t bytes = static_cast<size_t>(width) * height * 3;
  slots.assign(static_cast<size_t>(std::max(1, slotCount)), Slot());
  for (Slot& slot : slots) slot.rgb.resize(bytes);
  next = 0;
  stopping = writeFailed = false;
  firstFailedIndex = -1;
  glGenBuffers(1, &packBuffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer);
  glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  worker = std::thread(&FrameWriter::work, this);
}

double FrameWriter::queueWindow(int index) {
  Slot& slot = slots[next];
  uint64_t waitStart = platform::performanceCounter();
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return !slot.queued; });
  }
  double waitedMs = platform::millisecondsSince(waitStart);

  // The read goes into the pixel buffer, bottom row first; the copy out of it flips the rows.
  size_t row = static_cast<size_t>(width) * 3;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
  const unsigned char* bottomFirst = static_cast<const unsigned char*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
  if (bottomFirst) {
    for (int y = 0; y < height; ++y)
      memcpy(&slot.rgb[row * y], bottomFirst + row * (height - 1 - y), row);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);

  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!bottomFirst && !writeFailed) {
      writeFailed = true;
      firstFailedIndex = index;
    }
    slot.index = index;
    slot.queued = bottomFirst != nullptr;
  }
  changed.notify_all();
  next = (next + 1) % slots.size();
  return waitedMs;
}

bool FrameWriter::failed() {
  std::lock_guard<std::mutex> lock(mutex);
  return writeFailed;
}

int FrameWriter::failedIndex() {
  std::lock_guard<std::mutex> lock(mutex);
  return firstFailedIndex;
}

// Takes the queued slots in ring order (the order they were queued) and writes them unlocked.
void FrameWriter::work() {
  size_t at = 0;
  for (;;) {
    Slot& slot = slots[at];
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return slot.queued || stopping; });
      if (!slot.queued) return;  // stopping with nothing left
    }
    bool ok = !failed() && write(slot.index, slot.rgb);
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!ok && !writeFailed) {
        writeFailed = true;
        firstFailedIndex = slot.index;
      }
      slot.queued = false;
    }
    changed.notify_all();
    at = (at + 1) % slots.size();
  }
}

bool FrameWriter::end() {
  if (worker.joinable()) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] {
        return std::none_of(slots.begin(), slots.end(), [](const Slot& s) { return s.queued; });
      });
      stopping = true;
    }
    changed.notify_all();
    worker.join();
  }
  if (packBuffer) glDeleteBuffers(1, &packBuffer);
  packBuffer = 0;
  slots.clear();
  return !failed();
}

}  // namespace qorFramework
