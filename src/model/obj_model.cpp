// OBJ parsing, the binary cache, and drawing from vertex buffers.
//
// The parser reads tokens the way an fscanf loop over the stream would (stored model files
// depend on these rules), but scans the whole file in memory:
//   - tokens are runs of non-whitespace, compared whole and case-sensitively;
//   - a lone "#", "mtllib" and "o" discard the rest of their line;
//   - "v"/"vn" read three numbers, "vt" two, "f" nine integers each after one separator
//     character (a carriage return in a separator's place is skipped), then one end-of-line
//     character; everything else is an ignored token, so "usemtl f" starts a face;
//   - a number that cannot be read counts as 0 and consumes nothing but leading whitespace,
//     so a corner "a//c" reads as (a, 0, c).
#include "model/obj_model.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/trace.h"
#include "platform/system.h"

namespace qorFramework {

static const char* const kSource = "objLoader";
static const uint32_t kMaxFaceWarnings = 10;  // further bad faces are only counted

// ---- scanning -----------------------------------------------------------------------------

namespace {

// The lists as the file declares them; indices are resolved when the faces are flattened.
struct ObjLists {
  std::vector<float> positions;    // 3 per "v"
  std::vector<float> normals;      // 3 per "vn"
  std::vector<float> texCoords;    // 2 per "vt"
  std::vector<int32_t> indices;    // 9 per "f": (position, texcoord, normal) x 3
  std::vector<size_t> faceOffsets; // text offset of each face's "f", for line numbers
};

// Reads the text the way fscanf reads a stream. The text must end in a zero byte (std::string
// guarantees it) so strtof always stops inside the buffer.
class ObjScanner {
 public:
  explicit ObjScanner(const std::string& text)
      : begin_(text.c_str()), p_(begin_), end_(begin_ + text.size()) {}

  // "%s": skips whitespace; false at the end of the text.
  bool nextToken(const char** token, size_t* length) {
    skipSpaces();
    if (p_ == end_) return false;
    *token = p_;
    while (p_ < end_ && !isSpace(*p_)) ++p_;
    *length = static_cast<size_t>(p_ - *token);
    return true;
  }

  // Discards up to and including the next line feed, or to the end of the text.
  void skipLine() {
    const void* feed = memchr(p_, '\n', static_cast<size_t>(end_ - p_));
    p_ = feed ? static_cast<const char*>(feed) + 1 : end_;
  }

  // One character, whatever it is; a carriage return takes the character after it as well.
  void separator() {
    if (p_ == end_) return;
    char c = *p_++;
    if (c == '\r' && p_ < end_) ++p_;
  }

  // "%f" with the value preset to 0.
  float readFloat() {
    skipSpaces();
    char* after = nullptr;
    float value = strtof(p_, &after);
    if (after == p_) return 0.0f;
    p_ = after;
    return value;
  }

  // "%d" with the value preset to 0. Values beyond 32 bits saturate (and then index nothing).
  int32_t readInt() {
    skipSpaces();
    bool negative = false;
    if (p_ < end_ && (*p_ == '-' || *p_ == '+')) negative = *p_++ == '-';
    int64_t value = 0;
    while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
      if (value <= INT32_MAX) value = value * 10 + (*p_ - '0');
      ++p_;
    }
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(negative ? -value : value);
  }

  size_t offset() const { return static_cast<size_t>(p_ - begin_); }

 private:
  static bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  void skipSpaces() {
    while (p_ < end_ && isSpace(*p_)) ++p_;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
};

bool tokenIs(const char* token, size_t length, const char* word) {
  return strlen(word) == length && memcmp(token, word, length) == 0;
}

void readNumbers(ObjScanner& scanner, int count, std::vector<float>& list) {
  scanner.separator();
  for (int i = 0; i < count; ++i) list.push_back(scanner.readFloat());
}

void readFace(ObjScanner& scanner, ObjLists& lists) {
  for (int i = 0; i < 9; ++i) {
    scanner.separator();
    lists.indices.push_back(scanner.readInt());
  }
  scanner.separator();  // the end of the line
}

void scanText(const std::string& text, ObjLists& lists) {
  // A rough guess at the sizes saves most regrowth on large files.
  lists.positions.reserve(text.size() / 16);
  lists.indices.reserve(text.size() / 4);

  ObjScanner scanner(text);
  const char* token = nullptr;
  size_t length = 0;
  while (scanner.nextToken(&token, &length)) {
    if (tokenIs(token, length, "v")) {
      readNumbers(scanner, 3, lists.positions);
    } else if (tokenIs(token, length, "vn")) {
      readNumbers(scanner, 3, lists.normals);
    } else if (tokenIs(token, length, "vt")) {
      readNumbers(scanner, 2, lists.texCoords);
    } else if (tokenIs(token, length, "f")) {
      lists.faceOffsets.push_back(static_cast<size_t>(token - text.c_str()));
      readFace(scanner, lists);
    } else if (tokenIs(token, length, "#") || tokenIs(token, length, "mtllib") ||
               tokenIs(token, length, "o")) {
      scanner.skipLine();
    }
    // Anything else ("usemtl", "g", "s", their names, extra numbers) is an ignored token.
  }
}

// ---- flattening ---------------------------------------------------------------------------

bool indexInList(int32_t index, size_t listSize, size_t perEntry) {
  return index >= 1 && static_cast<size_t>(index) <= listSize / perEntry;
}

// A texture-coordinate index of 0 (the "a//c" form), or any index while the file has no "vt"
// at all, means coordinates (0, 0).
bool texCoordUsable(int32_t index, const ObjLists& lists) {
  return lists.texCoords.empty() || index == 0 || indexInList(index, lists.texCoords.size(), 2);
}

bool faceValid(const ObjLists& lists, size_t face) {
  const int32_t* corner = &lists.indices[face * 9];
  for (int k = 0; k < 3; ++k, corner += 3) {
    if (!indexInList(corner[0], lists.positions.size(), 3)) return false;
    if (!texCoordUsable(corner[1], lists)) return false;
    if (!indexInList(corner[2], lists.normals.size(), 3)) return false;
  }
  return true;
}

// Line numbers for warnings, counted forward as the (ascending) face offsets come in.
class LineCounter {
 public:
  explicit LineCounter(const std::string& text) : text_(text) {}
  uint32_t lineAt(size_t offset) {
    for (; scanned_ < offset && scanned_ < text_.size(); ++scanned_)
      if (text_[scanned_] == '\n') ++line_;
    return line_;
  }

 private:
  const std::string& text_;
  size_t scanned_ = 0;
  uint32_t line_ = 1;
};

void copyCorner(const ObjLists& lists, const int32_t* corner, float* position, float* texCoord,
                float* normal) {
  memcpy(position, &lists.positions[3 * static_cast<size_t>(corner[0] - 1)], 3 * sizeof(float));
  memcpy(normal, &lists.normals[3 * static_cast<size_t>(corner[2] - 1)], 3 * sizeof(float));
  if (lists.texCoords.empty() || corner[1] == 0) {
    texCoord[0] = texCoord[1] = 0.0f;
  } else {
    memcpy(texCoord, &lists.texCoords[2 * static_cast<size_t>(corner[1] - 1)], 2 * sizeof(float));
  }
}

// Returns how many faces are usable; warns about the others with file and line.
size_t checkFaces(const ObjLists& lists, const std::string& text, const char* fileName) {
  size_t faces = lists.indices.size() / 9;
  size_t good = 0;
  uint32_t bad = 0;
  LineCounter lines(text);
  for (size_t f = 0; f < faces; ++f) {
    if (faceValid(lists, f)) {
      ++good;
      continue;
    }
    if (++bad <= kMaxFaceWarnings)
      trace(TRACE_WARNING, kSource, "%s:%u: face with an index outside its list skipped",
            fileName, lines.lineAt(lists.faceOffsets[f]));
  }
  if (bad > kMaxFaceWarnings)
    trace(TRACE_WARNING, kSource, "%s: %u more faces with bad indices skipped", fileName,
          bad - kMaxFaceWarnings);
  return good;
}

// The three arrays of a model under construction; handed to the model only when complete.
struct VertexArrays {
  std::unique_ptr<float[]> positions, texCoords, normals;
  uint32_t count = 0;

  explicit VertexArrays(uint32_t corners)
      : positions(new float[3 * static_cast<size_t>(corners)]),
        texCoords(new float[2 * static_cast<size_t>(corners)]),
        normals(new float[3 * static_cast<size_t>(corners)]),
        count(corners) {}
};

}  // namespace

// ---- ObjModel: arrays ---------------------------------------------------------------------

ObjModel::~ObjModel() { release(); }

void ObjModel::release() {
  delete[] positions;
  delete[] texCoords;
  delete[] normals;
  positions = texCoords = normals = nullptr;
  vertexCount = 0;
}

static void adopt(ObjModel& model, VertexArrays& arrays) {
  model.release();
  model.positions = arrays.positions.release();
  model.texCoords = arrays.texCoords.release();
  model.normals = arrays.normals.release();
  model.vertexCount = arrays.count;
}

void ObjModel::parseText(const std::string& text, const char* fileName) {
  ObjLists lists;
  scanText(text, lists);
  size_t good = checkFaces(lists, text, fileName);
  if (good > UINT32_MAX / 3) {
    trace(TRACE_WARNING, kSource, "%s: too many faces; only the first %u kept", fileName,
          UINT32_MAX / 3);
    good = UINT32_MAX / 3;
  }

  VertexArrays arrays(static_cast<uint32_t>(3 * good));
  size_t corner = 0;
  for (size_t f = 0; f < lists.indices.size() / 9 && corner < arrays.count; ++f) {
    if (!faceValid(lists, f)) continue;
    for (int k = 0; k < 3; ++k, ++corner)
      copyCorner(lists, &lists.indices[f * 9 + 3 * k], &arrays.positions[3 * corner],
                 &arrays.texCoords[2 * corner], &arrays.normals[3 * corner]);
  }
  adopt(*this, arrays);
}

// ---- ObjModel: files ----------------------------------------------------------------------

static uint64_t fileSize(FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return 0;
  off_t size = ftello(file);
  rewind(file);
  return size > 0 ? static_cast<uint64_t>(size) : 0;
}

// The size is not asked for: a directory opens too and reports an enormous one; reading it
// fails at once instead.
static bool readWholeFile(const char* path, std::string* out) {
  FILE* file = platform::openFile(path, "rb");
  if (!file) return false;
  char chunk[1 << 16];
  size_t got;
  while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) out->append(chunk, got);
  bool ok = !ferror(file);
  fclose(file);
  return ok;
}

static bool readFloats(FILE* file, float* to, size_t count) {
  return count == 0 || fread(to, sizeof(float), count, file) == count;
}

static bool writeFloats(FILE* file, const float* from, size_t count) {
  return count == 0 || fwrite(from, sizeof(float), count, file) == count;
}

// The count is believed only when the file is exactly as long as it says, so a damaged cache
// can neither under-fill the arrays nor make the loader allocate more than the file holds.
bool ObjModel::readCache(const std::string& cacheName) {
  FILE* file = platform::openFile(cacheName.c_str(), "rb");
  if (!file) return false;
  uint64_t size = fileSize(file);
  uint32_t count = 0;
  // An empty cache is never written (see loadGeometry), so one on disk is damaged too.
  bool ok = size >= 4 && fread(&count, 4, 1, file) == 1 && count > 0 &&
            size == 4 + 32 * uint64_t(count);
  if (ok) {
    VertexArrays arrays(count);
    ok = readFloats(file, arrays.positions.get(), 3 * size_t(count)) &&
         readFloats(file, arrays.normals.get(), 3 * size_t(count)) &&
         readFloats(file, arrays.texCoords.get(), 2 * size_t(count));
    if (ok) adopt(*this, arrays);
  }
  fclose(file);
  if (!ok)
    trace(TRACE_WARNING, kSource, "cache %s (%llu bytes) does not match its vertex count; rebuilding it",
          cacheName.c_str(), static_cast<unsigned long long>(size));
  return ok;
}

// Written to a temporary file and renamed over the cache, so an interrupted write never
// leaves a half cache behind.
void ObjModel::writeCache(const std::string& cacheName) const {
  std::string temporary = cacheName + ".tmp";
  FILE* file = platform::openFile(temporary.c_str(), "wb");
  bool ok = file != nullptr;
  if (ok) {
    size_t n = vertexCount;
    ok = fwrite(&vertexCount, 4, 1, file) == 1 && writeFloats(file, positions, 3 * n) &&
         writeFloats(file, normals, 3 * n) && writeFloats(file, texCoords, 2 * n);
    ok = fclose(file) == 0 && ok;
    ok = ok && platform::replaceFile(temporary.c_str(), cacheName.c_str());
    if (!ok) platform::deleteFile(temporary.c_str());
  }
  if (!ok) trace(TRACE_WARNING, kSource, "cannot write cache %s; the model stays uncached", cacheName.c_str());
}

bool ObjModel::loadGeometry(const char* path) {
  if (!path) return false;
  std::string cacheName = std::string(path) + ".bin";
  // A model saved after its cache was written replaces it.
  platform::FileStamp modelStamp, cacheStamp;
  bool stale = platform::fileStamp(path, &modelStamp) && platform::fileStamp(cacheName.c_str(), &cacheStamp) &&
               cacheStamp.modifiedNs < modelStamp.modifiedNs;
  if (stale) {
    trace(TRACE_INFO, kSource, "cache %s is older than %s; rebuilding it", cacheName.c_str(), path);
  } else if (readCache(cacheName)) {
    return true;
  }

  std::string text;
  if (!readWholeFile(path, &text)) {
    // No cache is written: an empty one would hide the model after the file comes back.
    trace(TRACE_WARNING, kSource, "cannot read %s", path);
    return false;
  }
  parseText(text, path);
  if (vertexCount == 0) {
    // Never cached: an empty cache would hide the model after the file is mended.
    trace(TRACE_WARNING, kSource, "%s holds no faces; the model is empty and not cached", path);
    return false;
  }
  writeCache(cacheName);
  return true;
}

bool ObjModel::load(const char* path) {
  bool loaded = loadGeometry(path);
  if (vertexCount > 0) uploadBuffers();
  return loaded;
}

// ---- ObjModel: GL -------------------------------------------------------------------------

static void fillBuffer(GLuint buffer, const float* data, size_t floats) {
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floats * sizeof(float)), data, GL_STATIC_DRAW);
}

void ObjModel::uploadBuffers() {
  // Names are made once; a second load refills the same buffers.
  if (positionBuffer == 0) glGenBuffers(1, &positionBuffer);
  if (normalBuffer == 0) glGenBuffers(1, &normalBuffer);
  if (texCoordBuffer == 0) glGenBuffers(1, &texCoordBuffer);
  size_t n = vertexCount;
  fillBuffer(positionBuffer, positions, 3 * n);
  fillBuffer(normalBuffer, normals, 3 * n);
  fillBuffer(texCoordBuffer, texCoords, 2 * n);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  bufferVertexCount_ = vertexCount;
}

void ObjModel::render() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, positionBuffer);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);

  glEnableClientState(GL_NORMAL_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, normalBuffer);
  glNormalPointer(GL_FLOAT, 0, nullptr);

  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, texCoordBuffer);
  glTexCoordPointer(2, GL_FLOAT, 0, nullptr);

  // Never more corners than the buffers hold: without buffers the pointers above would be
  // null client memory, and arrays loaded after the upload may be longer than the buffers.
  uint32_t count = vertexCount < bufferVertexCount_ ? vertexCount : bufferVertexCount_;
  if (count > 0) glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(count));

  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void ObjModel::releaseBuffers() {
  GLuint names[3] = {positionBuffer, normalBuffer, texCoordBuffer};
  glDeleteBuffers(3, names);  // zero names are ignored
  positionBuffer = normalBuffer = texCoordBuffer = 0;
  bufferVertexCount_ = 0;
}

}  // namespace qorFramework
