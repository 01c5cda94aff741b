// Text form of the sync file: printing records and reading them back, line by line.
#include "timeline/sync_text.h"

#include <strings.h>

#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace qorFramework {


namespace {

struct ModeWord {
  const char* word;
  int32_t number;
};
const ModeWord kInterpolations[] = {
    {"linear", 1}, {"smoothstep", 2}, {"exponential", 3}, {"minexponential", 4}};
const ModeWord kShapes[] = {{"valval", 1}, {"valzero", 2}, {"valone", 3},  {"zeroval", 4},
                            {"oneval", 5}, {"oneone", 6},  {"zerozero", 7}};

template <size_t N>
std::string modeText(const ModeWord (&words)[N], int32_t number) {
  for (const ModeWord& w : words)
    if (w.number == number) return w.word;
  return std::to_string(number);
}

template <size_t N>
std::string modeList(const ModeWord (&words)[N]) {
  std::string list;
  for (const ModeWord& w : words) list += std::string(list.empty() ? "" : ", ") + w.word;
  return list;
}

// A mode word (any case) or a plain signed integer.
template <size_t N>
bool parseMode(const ModeWord (&words)[N], const std::string& token, int32_t& number) {
  for (const ModeWord& w : words)
    if (strcasecmp(w.word, token.c_str()) == 0) {
      number = w.number;
      return true;
    }
  const char* p = token.c_str();
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return false;
  errno = 0;
  char* end = nullptr;
  long long v = strtoll(token.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  number = int32_t(v);
  return true;
}

std::string quoteName(const std::string& name) {
  std::string out = "\"";
  for (unsigned char c : name) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c == 0x7f) {
      char hex[8];
      snprintf(hex, sizeof(hex), "\\x%02x", c);
      out += hex;
    } else {
      out += char(c);  // printable ASCII, and UTF-8 bytes as they are
    }
  }
  return out + "\"";
}

struct Token {
  std::string text;
  bool quoted = false;
};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads a quoted name starting at line[i] == '"'; leaves i after the closing quote.
bool readQuoted(const std::string& line, size_t& i, std::string& out, std::string& what) {
  for (++i; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      ++i;
      if (i < line.size() && !isBlank(line[i]) && line[i] != '#') {
        what = "unexpected text right after the closing quote";
        return false;
      }
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    char next = i + 1 < line.size() ? line[i + 1] : '\0';
    if (next == '"' || next == '\\') {
      out += next;
      ++i;
    } else if (next == 'x' && i + 3 < line.size() && hexDigit(line[i + 2]) >= 0 &&
               hexDigit(line[i + 3]) >= 0) {
      out += char(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3]));
      i += 3;
    } else {
      what = "unknown escape in a name (use \\\", \\\\ or \\xHH)";
      return false;
    }
  }
  what = "the name has no closing quote";
  return false;
}

// Splits one line into words and quoted names; '#' outside quotes starts a comment.
bool splitLine(const std::string& line, std::vector<Token>& tokens, std::string& what) {
  size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
    } else if (line[i] == '#') {
      break;
    } else if (line[i] == '"') {
      Token token;
      token.quoted = true;
      if (!readQuoted(line, i, token.text, what)) return false;
      tokens.push_back(token);
    } else {
      Token token;
      while (i < line.size() && !isBlank(line[i]) && line[i] != '#') token.text += line[i++];
      if (token.text.find('"') != std::string::npos) {
        what = "a quote inside '" + token.text + "'";
        return false;
      }
      tokens.push_back(token);
    }
  }
  return true;
}

bool fail(SyncTextError& error, int line, const std::string& what) {
  error.line = line;
  error.what = what;
  return false;
}

// One key line (tokens already split) added to `record`.
bool parseKeyLine(const std::vector<Token>& tokens, int line, SyncRecord& record, SyncTextError& error,
                  SyncTextNotes& notes) {
  for (const Token& t : tokens)
    if (t.quoted) return fail(error, line, "unexpected name; a controller starts with: controller \"NAME\"");
  if (tokens.size() != 2 && tokens.size() != 4)
    return fail(error, line,
                "a key is TIME VALUE, optionally followed by INTERPOLATION SHAPE; found " +
                    std::to_string(tokens.size()) + " items");
  ControllerKey key;
  if (!parseSyncFloat(tokens[0].text, key.time))
    return fail(error, line, "time '" + tokens[0].text + "' is not a number");
  if (!parseSyncFloat(tokens[1].text, key.value))
    return fail(error, line, "value '" + tokens[1].text + "' is not a number");

  if (record.keys.empty()) {
    if (tokens.size() == 4)
      return fail(error, line,
                  "the first key of a controller has no stretch ending at it: leave out '" + tokens[2].text +
                      " " + tokens[3].text + "'");
  } else {
    SegmentMode mode = {1, 1};  // linear valval
    if (tokens.size() == 4) {
      if (!parseMode(kInterpolations, tokens[2].text, mode.interpolation))
        return fail(
            error, line,
            "unknown interpolation '" + tokens[2].text + "' (" + modeList(kInterpolations) + " or a number)");
      if (!parseMode(kShapes, tokens[3].text, mode.shape))
        return fail(error, line,
                    "unknown shape '" + tokens[3].text + "' (" + modeList(kShapes) + " or a number)");
    }
    if (!(key.time > record.keys.back().time))
      notes.push_back({line, "time " + tokens[0].text +
                                 " is not after the previous key's; the demo drops or reorders this key"});
    record.modes.push_back(mode);
  }
  record.keys.push_back(key);
  return true;
}

}  // namespace

// One key line of the text form, with its line break.
static std::string keyLine(const SyncRecord& record, size_t i) {
  char line[160];
  std::string time = formatSyncFloat(record.keys[i].time), value = formatSyncFloat(record.keys[i].value);
  if (i == 0) {
    snprintf(line, sizeof(line), "  %-10s %s\n", time.c_str(), value.c_str());
  } else {
    SegmentMode mode = i - 1 < record.modes.size() ? record.modes[i - 1] : SegmentMode{1, 1};
    snprintf(line, sizeof(line), "  %-10s %-12s %-14s %s\n", time.c_str(), value.c_str(),
             modeText(kInterpolations, mode.interpolation).c_str(), modeText(kShapes, mode.shape).c_str());
  }
  return line;
}

std::string formatSyncFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  char text[32];
  if (std::isnan(value)) {
    if (bits == 0x7fc00000u) return "nan";
    if (bits == 0xffc00000u) return "-nan";
    snprintf(text, sizeof(text), "bits:%08" PRIx32, bits);
    return text;
  }
  // The shortest digits that read back to the same float, in fixed or exponent notation,
  // whichever is shorter (fixed on a tie).
  std::to_chars_result end = std::to_chars(text, text + sizeof(text), value);
  return std::string(text, end.ptr);
}

bool parseSyncFloat(const std::string& token, float& value) {
  if (token.empty()) return false;
  if (token.compare(0, 5, "bits:") == 0) {
    if (token.size() != 13) return false;
    uint32_t bits = 0;
    for (size_t i = 5; i < 13; ++i) {
      int d = hexDigit(token[i]);
      if (d < 0) return false;
      bits = bits << 4 | uint32_t(d);
    }
    std::memcpy(&value, &bits, 4);
    return true;
  }
  errno = 0;
  char* end = nullptr;
  float v = strtof(token.c_str(), &end);
  if (end != token.c_str() + token.size()) return false;
  // Underflow to a tiny number is fine; overflow of a finite literal is not.
  if (errno == ERANGE && std::isinf(v)) return false;
  value = v;
  return true;
}

std::string writeSyncText(const std::vector<SyncRecord>& records, const std::string& source) {
  std::string out;
  out += "# Sync data";
  if (!source.empty()) out += " from " + source;
  out +=
      ": " + std::to_string(records.size()) + (records.size() == 1 ? " controller" : " controllers") + ".\n";
  out += "# controller \"NAME\" starts a controller; below it one key per line:\n";
  out += "#   TIME VALUE [INTERPOLATION SHAPE]\n";
  out += "# TIME in seconds. The pair sets the stretch that ends at the key (default linear valval).\n";
  out += "# Interpolations: " + modeList(kInterpolations) + ".\n";
  out += "# Shapes: " + modeList(kShapes) + ".\n";
  for (const SyncRecord& record : records) {
    out += "\ncontroller " + quoteName(record.name) + "\n";
    for (size_t i = 0; i < record.keys.size(); ++i) out += keyLine(record, i);
  }
  return out;
}

bool parseSyncText(const std::string& text, std::vector<SyncRecord>& records, SyncTextError& error,
                   SyncTextNotes& notes) {
  records.clear();
  std::map<std::string, int> firstLines;  // controller name -> line that first named it
  int lineNumber = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;

    std::vector<Token> tokens;
    std::string what;
    if (!splitLine(line, tokens, what)) return fail(error, lineNumber, what);
    if (tokens.empty()) continue;

    if (!tokens[0].quoted && tokens[0].text == "controller") {
      if (tokens.size() != 2 || !tokens[1].quoted)
        return fail(error, lineNumber, "expected: controller \"NAME\"");
      if (tokens[1].text.size() + 1 > qorFramework::kMaxSyncNameLength)
        return fail(error, lineNumber,
                    "the name is " + std::to_string(tokens[1].text.size()) + " bytes long; at most " +
                        std::to_string(qorFramework::kMaxSyncNameLength - 1) + " fit");
      auto earlier = firstLines.find(tokens[1].text);
      if (earlier != firstLines.end())
        notes.push_back({lineNumber, "controller " + quoteName(tokens[1].text) + " is already on line " +
                                         std::to_string(earlier->second) +
                                         "; the demo keeps only the keys of the last one"});
      else
        firstLines[tokens[1].text] = lineNumber;
      records.emplace_back();
      records.back().name = tokens[1].text;
      continue;
    }
    float ignored;
    if (!tokens[0].quoted && !parseSyncFloat(tokens[0].text, ignored) && tokens.size() >= 2 && tokens[1].quoted)
      return fail(error, lineNumber, "unknown word '" + tokens[0].text + "'; expected: controller \"NAME\"");
    if (records.empty()) return fail(error, lineNumber, "a key before the first controller line");
    if (!parseKeyLine(tokens, lineNumber, records.back(), error, notes)) return false;
  }
  return true;
}

// ---- rewriting a text in place ---------------------------------------------------------------

namespace {

// A key line of an old text: its words as read and the line itself (with its break).
struct OldKey {
  ControllerKey key;
  SegmentMode mode;  // of the stretch ending here; {1, 1} when the pair is left out
  bool hasMode;      // the line carries the pair
  std::string text;  // the lines before it (comments) and the line itself
};

struct OldController {
  std::string name;
  std::string before;  // comments and blank lines above the controller line, and that line
  std::vector<OldKey> keys;
  bool used = false;
};

bool sameBits(float a, float b) { return memcmp(&a, &b, sizeof(float)) == 0; }

// Splits an old text into its controllers; false when it does not read.
bool readOldText(const std::string& text, std::vector<OldController>& controllers, std::string& tail) {
  std::vector<SyncRecord> records;
  SyncTextError error;
  SyncTextNotes notes;
  if (!parseSyncText(text, records, error, notes)) return false;
  std::string pending;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, next - start);
    start = next;
    if (line.empty() || line.back() != '\n') line += '\n';  // a last line may be reused mid-text
    std::vector<Token> tokens;
    std::string what;
    splitLine(line.substr(0, line.find('\n')), tokens, what);
    pending += line;
    if (tokens.empty()) continue;
    if (!tokens[0].quoted && tokens[0].text == "controller") {
      controllers.push_back({tokens[1].text, pending, {}, false});
      pending.clear();
      continue;
    }
    OldKey old;
    parseSyncFloat(tokens[0].text, old.key.time);
    parseSyncFloat(tokens[1].text, old.key.value);
    old.hasMode = tokens.size() == 4;
    old.mode = {1, 1};
    if (old.hasMode) {
      parseMode(kInterpolations, tokens[2].text, old.mode.interpolation);
      parseMode(kShapes, tokens[3].text, old.mode.shape);
    }
    old.text = pending;
    pending.clear();
    controllers.back().keys.push_back(old);
  }
  tail = pending;
  return true;
}

// The old line can stand for key i of the record unchanged.
bool oldLineFits(const OldKey& old, const SyncRecord& record, size_t i) {
  if (!sameBits(old.key.time, record.keys[i].time) || !sameBits(old.key.value, record.keys[i].value)) return false;
  if (i == 0) return !old.hasMode;
  SegmentMode mode = i - 1 < record.modes.size() ? record.modes[i - 1] : SegmentMode{1, 1};
  return old.mode.interpolation == mode.interpolation && old.mode.shape == mode.shape;
}

// The record's key lines, reusing the old controller's lines (and the comments above them) for
// keys that did not change, in order.
std::string keyLines(const OldController& old, const SyncRecord& record) {
  std::string out;
  size_t next = 0;  // the first old key not yet passed
  for (size_t i = 0; i < record.keys.size(); ++i) {
    size_t match = next;
    while (match < old.keys.size() && !oldLineFits(old.keys[match], record, i)) ++match;
    if (match < old.keys.size()) {
      out += old.keys[match].text;
      next = match + 1;
    } else {
      out += keyLine(record, i);
    }
  }
  return out;
}

}  // namespace

std::string updateSyncText(const std::string& oldText, const std::vector<SyncRecord>& records,
                           const std::string& source) {
  std::vector<OldController> olds;
  std::string tail;
  if (!readOldText(oldText, olds, tail)) return writeSyncText(records, source);
  std::string out;
  for (const SyncRecord& record : records) {
    OldController* old = nullptr;
    for (OldController& candidate : olds)
      if (!candidate.used && candidate.name == record.name) {
        old = &candidate;
        break;
      }
    if (!old) {
      if (!out.empty() || !olds.empty()) out += "\n";
      out += "controller " + quoteName(record.name) + "\n";
      for (size_t i = 0; i < record.keys.size(); ++i) out += keyLine(record, i);
      continue;
    }
    old->used = true;
    out += old->before + keyLines(*old, record);
  }
  return out + tail;
}

}  // namespace qorFramework
