// Text form of the sync file: printing records and reading them back, line by line.
#include "sync_text.h"

#include <strings.h>

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace synctool {

using qorFramework::ControllerKey;
using qorFramework::SegmentMode;
using qorFramework::SyncRecord;

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

bool fail(TextError& error, int line, const std::string& what) {
  error.line = line;
  error.what = what;
  return false;
}

// One key line (tokens already split) added to `record`.
bool parseKeyLine(const std::vector<Token>& tokens, int line, SyncRecord& record, TextError& error,
                  TextNotes& notes) {
  for (const Token& t : tokens)
    if (t.quoted) return fail(error, line, "unexpected name; a controller starts with: controller \"NAME\"");
  if (tokens.size() != 2 && tokens.size() != 4)
    return fail(error, line,
                "a key is TIME VALUE, optionally followed by INTERPOLATION SHAPE; found " +
                    std::to_string(tokens.size()) + " items");
  ControllerKey key;
  if (!parseFloat(tokens[0].text, key.time))
    return fail(error, line, "time '" + tokens[0].text + "' is not a number");
  if (!parseFloat(tokens[1].text, key.value))
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
      notes.push_back("line " + std::to_string(line) + ": time " + tokens[0].text +
                      " is not after the previous key's; the demo drops or reorders this key");
    record.modes.push_back(mode);
  }
  record.keys.push_back(key);
  return true;
}

}  // namespace

std::string formatFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  char text[32];
  if (std::isnan(value)) {
    if (bits == 0x7fc00000u) return "nan";
    if (bits == 0xffc00000u) return "-nan";
    snprintf(text, sizeof(text), "bits:%08" PRIx32, bits);
    return text;
  }
  for (int precision = 1; precision <= 9; ++precision) {
    snprintf(text, sizeof(text), "%.*g", precision, double(value));
    float back = strtof(text, nullptr);
    if (std::memcmp(&back, &value, 4) == 0) break;
  }
  return text;  // "%.9g" always reads back exactly
}

bool parseFloat(const std::string& token, float& value) {
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
    for (size_t i = 0; i < record.keys.size(); ++i) {
      char line[160];
      std::string time = formatFloat(record.keys[i].time), value = formatFloat(record.keys[i].value);
      if (i == 0) {
        snprintf(line, sizeof(line), "  %-10s %s\n", time.c_str(), value.c_str());
      } else {
        const SegmentMode& mode = record.modes[i - 1];
        snprintf(line, sizeof(line), "  %-10s %-12s %-14s %s\n", time.c_str(), value.c_str(),
                 modeText(kInterpolations, mode.interpolation).c_str(),
                 modeText(kShapes, mode.shape).c_str());
      }
      out += line;
    }
  }
  return out;
}

bool parseSyncText(const std::string& text, std::vector<SyncRecord>& records, TextError& error,
                   TextNotes& notes) {
  records.clear();
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
      records.emplace_back();
      records.back().name = tokens[1].text;
      continue;
    }
    float ignored;
    if (!tokens[0].quoted && !parseFloat(tokens[0].text, ignored) && tokens.size() >= 2 && tokens[1].quoted)
      return fail(error, lineNumber, "unknown word '" + tokens[0].text + "'; expected: controller \"NAME\"");
    if (records.empty()) return fail(error, lineNumber, "a key before the first controller line");
    if (!parseKeyLine(tokens, lineNumber, records.back(), error, notes)) return false;
  }
  return true;
}

}  // namespace synctool
