// Reading one line of a German-English dictionary of the form "German :: English": the
// aligned parts (" | "), the alternatives of each part ("; ") and, for each alternative,
// its words apart from its grammar marks {..}, labels [..], comments (..) and variants <..>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zembu {

// One alternative of a part: "Haus {n} [arch.] (Gebäude)" gives the text "Haus", the
// mark "n", the label "arch." and a comment.
struct dict_alt {
  std::string text;                 // the words, blanks collapsed (UTF-8)
  std::vector<std::string> marks;   // contents of {..}: "m", "vt", "prp; +Dat."
  std::vector<std::string> labels;  // contents of [..]: "coll.", "med.", "Br."
  bool commented = false;           // it carried a (..) comment
};

// The alternatives of one part, in the order written.
using dict_part = std::vector<dict_alt>;

// A usable line: the German and the English side, each a list of parts; both sides hold
// the same number of parts (the n-th German part translates the n-th English part).
struct dict_line {
  std::vector<dict_part> german;
  std::vector<dict_part> english;
};

// What a line turned out to be.
enum class line_kind {
  entry,         // a usable line
  comment,       // empty, or a "#" comment
  bad_utf8,      // bytes that are not UTF-8
  no_separator,  // no " :: " between the sides, or more than one
  unbalanced,    // a bracket that is not closed, or closed by the wrong kind
  misaligned,    // the sides have different numbers of " | " parts
};

// A short English description of a line kind, for the summary.
const char* line_kind_name(line_kind k);

// Splits `raw` (one line without its line end) into `out`; `out` is filled only for
// line_kind::entry.
line_kind parse_dict_line(std::string_view raw, dict_line& out);

// True when `s` is well-formed UTF-8.
bool well_formed_utf8(std::string_view s);

}  // namespace zembu
