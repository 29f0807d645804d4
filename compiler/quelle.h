// The reader of the rule source: every line of rules.txt passes through here. It keeps the
// line last read for the error report, trims blanks, empties ";" comments and runs the
// loop that every section body shares (empty lines skipped, a dash line ends the body).
#pragma once

#include <string>
#include <string_view>

#include "common/linereader.h"

namespace zembu {

// s without its leading and trailing blanks (byte 32 only; a tab is an ordinary byte).
std::string_view trim(std::string_view s);

// s trimmed; a text that then begins with ";" is a comment and becomes empty.
std::string_view trim_comment(std::string_view s);

// True when `line` begins with the five dashes of an end-of-section line.
bool is_section_end(std::string_view line);

class quelle {
 public:
  // A source that is not open: it is at its end at once.
  quelle() = default;
  // A source over the bytes of `text`, for tests.
  explicit quelle(std::string text);

  // Opens the rule source `path`; false when it does not open.
  bool open(const std::string& path);
  void close();

  // The common reader: reads the next line (cut at 255 bytes), keeps it unchanged as the
  // current source line and gives it back trimmed, a comment made empty. False at the end
  // of the source (line is then empty and the current source line stays as it was).
  bool lies(std::string& line);

  // Reads the next line raw (cut at 255 bytes): nothing is trimmed and the current source
  // line is not touched. False at the end of the source.
  bool lies_roh(std::string& line);

  // The section body loop: the next non-empty line through lies(). False at the end-of-
  // section line (which is consumed) or at the end of the source.
  bool naechste(std::string& line);

  // The line last read through lies(), unchanged.
  const std::string& aktuelle_zeile() const { return zeile_; }
  // The number of the line last read, raw or not, counted from 1 (0 before the first).
  long line_number() const { return line_number_; }

 private:
  linereader in_;
  std::string roh_;    // buffer of the line being read
  std::string zeile_;  // current source line
  long line_number_ = 0;
};

}  // namespace zembu
