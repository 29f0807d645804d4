#include "frontend/textinput.h"

namespace zembu::frontend {

bool text_input::next(std::string& line) {
  for (;;) {
    const bool continuation = continued_;
    continued_ = false;
    line = std::move(carry_);
    carry_.clear();
    bool got = !line.empty();
    int c = 0;
    while ((c = std::getc(file_)) != EOF) {
      got = true;
      if (c == '\n') break;
      if (c == '\r') {
        const int after = std::getc(file_);
        if (after != '\n' && after != EOF) std::ungetc(after, file_);
        break;
      }
      line.push_back(static_cast<char>(c));
      if (line.size() >= kLongestLine) {
        // Hand the piece on, but keep a UTF-8 character whole: its start byte and the
        // continuation bytes read so far go into the next piece.
        size_t keep = 0;
        while (keep < 3 && keep < line.size() &&
               (static_cast<unsigned char>(line[line.size() - 1 - keep]) & 0xC0) == 0x80) {
          ++keep;
        }
        const bool starts_char =
            keep < line.size() && static_cast<unsigned char>(line[line.size() - 1 - keep]) >= 0xC0;
        keep = starts_char ? keep + 1 : 0;
        carry_ = line.substr(line.size() - keep);
        line.resize(line.size() - keep);
        continued_ = true;
        if (!continuation) ++line_number_;
        return true;
      }
    }
    if (continuation && line.empty()) {
      // The long line ended right behind its last piece: no line of its own.
      if (c == EOF) return false;
      continue;
    }
    if (!got) return false;
    if (!continuation) ++line_number_;
    return true;
  }
}

void split_sentence(std::string& line, std::string& rest) {
  rest.clear();
  if (line.size() < 2) return;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const char c = line[i];
    if (c == '!' || c == '.' || c == ':' || c == '?') {
      rest = line.substr(i + 1);
      line.resize(i + 1);
      return;
    }
  }
}

std::vector<std::string> cut_sentence(const std::string& sentence, size_t limit) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (sentence.size() - start > limit) {
    size_t end = sentence.rfind(' ', start + limit - 1);
    end = (end == std::string::npos || end <= start) ? start + limit : end + 1;
    pieces.push_back(sentence.substr(start, end - start));
    start = end;
  }
  pieces.push_back(sentence.substr(start));
  return pieces;
}

bool is_blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

}  // namespace zembu::frontend
