#include "common/tokenline.h"

#include "common/bstring.h"

namespace zembu {

token_line parse_token_line(std::string_view line) {
  token_line t;
  if (line.empty()) return t;
  t.code = cut(line, 3);
  // The fourth byte only separates the code from the payload; its value does not matter.
  const std::string_view payload = line.size() > 4 ? line.substr(4) : std::string_view();
  const size_t blank = payload.find(' ');
  if (blank == std::string_view::npos) {
    t.word = cut(payload, kShortWidth);
  } else {
    t.word = cut(payload.substr(0, blank), kShortWidth);
    t.rest = cut(payload.substr(blank + 1), kShortWidth);
    t.has_rest = true;
  }
  return t;
}

std::string token_payload(const token_line& t) {
  if (!t.has_rest) return t.word;
  std::string payload;
  payload.reserve(t.word.size() + 1 + t.rest.size());
  payload += t.word;
  payload += ' ';
  payload += t.rest;
  return payload;
}

std::string format_token_line(const token_line& t) {
  std::string line;
  line.reserve(t.code.size() + t.word.size() + t.rest.size() + 2);
  line += t.code;
  line += ' ';
  line += t.word;
  line += ' ';
  line += t.rest;
  return line;
}

std::string format_token_line(std::string_view code, std::string_view payload) {
  std::string line;
  line.reserve(code.size() + 1 + payload.size());
  line += code;
  line += ' ';
  line += payload;
  return line;
}

std::string attribute_field(std::string_view attributes, std::string_view text) {
  std::string field;
  field.reserve(1 + attributes.size() + text.size());
  field += kTokenFieldMarker;
  field += attributes;
  field += text;
  return field;
}

bool split_at_field_marker(std::string_view payload, std::string& key, std::string& field) {
  const size_t p = payload.find(kTokenFieldMarker);
  if (p == std::string_view::npos) return false;
  field = std::string(payload.substr(p + 1));
  std::string_view k = payload.substr(0, p);
  const size_t last = k.find_last_not_of(' ');
  key = std::string(last == std::string_view::npos ? std::string_view() : k.substr(0, last + 1));
  return true;
}

std::string dump_token_line(const token_line& t) {
  std::string out = t.code + "|" + t.word;
  if (t.has_rest) out += "|" + t.rest;
  for (char& c : out) {
    if (c == kTokenFieldMarker) c = '^';
  }
  return out;
}

}  // namespace zembu
