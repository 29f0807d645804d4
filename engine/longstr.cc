#include "engine/longstr.h"

#include <cstdio>
#include <cstdlib>

#include "common/replace.h"

namespace zembu::engine {

void strtomaxi(std::string_view s, maxistring& l) { l.text = cut(s, maxi_capacity); }

size_t llength(const maxistring& l) { return l.text.size(); }

std::string lcopy(const maxistring& l, size_t p, size_t n) {
  if (p == 0) p = 1;
  if (p > l.text.size()) return "";
  size_t room = l.text.size() - p + 1;
  if (n > room) n = room;
  if (n > kShortWidth) n = kShortWidth;
  return l.text.substr(p - 1, n);
}

void lappend(maxistring& l, std::string_view s) { append_cut(l.text, s, maxi_capacity); }

void llappend(maxistring& l, const maxistring& l2) { lappend(l, l2.text); }

void linsert(std::string_view s, maxistring& l, size_t p) {
  const size_t len = l.text.size();
  s = s.substr(0, maxi_capacity - len);
  if (p > len + 1 || p == 0) return;
  if (p == len + 1) {
    lappend(l, s);
    return;
  }
  std::string tail = l.text.substr(p - 1);
  l.text.resize(p - 1);
  lappend(l, s);
  lappend(l, tail);
}

void ldelete(maxistring& l, size_t p, size_t n) {
  cut_to(l.text, maxi_capacity);
  if (l.text.empty()) return;
  if (p > l.text.size()) {
    con_writeline("pos=" + std::to_string(p));
    return;
  }
  if (p == 0) p = 1;
  if (n > maxi_capacity) n = maxi_capacity;
  if (n > l.text.size() - p + 1) n = l.text.size() - p + 1;
  if (n == 0) return;
  l.text.erase(p - 1, n);
}

size_t lpos(std::string_view s, const maxistring& l) {
  if (s.size() > l.text.size()) return 0;
  size_t p = l.text.find(s);
  return p == std::string::npos ? 0 : p + 1;
}

void lconcat(maxistring& r, const maxistring& a, const maxistring& b) {
  std::string joined = a.text;
  append_cut(joined, b.text, maxi_capacity);
  r.text = std::move(joined);
}

bool equal_maxi(const maxistring& a, const maxistring& b) { return a.text == b.text; }

void lreplace(maxistring& l, std::string_view old, std::string_view neu) {
  // Each replacement deletes the found text and inserts the new text in its place, as
  // ldelete and linsert do: at the capacity the inserted text is cut, never the text
  // behind it.
  if (old.empty()) return;
  cut_to(l.text, maxi_capacity);
  const bool one_pass = replaces_itself(old, neu);
  size_t from = 0;
  for (size_t count = 0; count < kMaxReplacements; ++count) {
    size_t p = l.text.find(old, from);
    if (p == std::string::npos) break;
    l.text.erase(p, old.size());
    std::string_view put = neu.substr(0, maxi_capacity - l.text.size());
    l.text.insert(p, put);
    if (one_pass) {
      from = p + put.size();
    } else {
      // The text before p held no occurrence; a new one can only overlap the inserted text.
      from = p + 1 >= old.size() ? p + 1 - old.size() : 0;
    }
  }
}

bool has_slash(std::string_view s) {
  return s.find('/') != std::string_view::npos || s.find('\\') != std::string_view::npos;
}

void lupper(const engine_settings& st, maxistring& l) {
  if (has_slash(l.text)) return;
  std::string up;
  for (unsigned char c : l.text) append_cut(up, upper_char(st, c), maxi_capacity);
  l.text = std::move(up);
}

void lreadln(linereader& f, maxistring& l) {
  l.text.clear();
  for (int c = f.get(); c >= 0 && c != '\n'; c = f.get()) {
    if (c != '\r' && l.text.size() < maxi_capacity) l.text.push_back(static_cast<char>(c));
  }
}

void lwrite(const maxistring& l) { con_write(l.text); }

void lwritefile(linewriter& f, const maxistring& l) { f.writeline(l.text); }

namespace {

bool is_break_char(char c) {
  switch (c) {
    case ' ': case '!': case '"': case '(': case ')':
    case ',': case '.': case ':': case ';': case '?':
      return true;
    default:
      return false;
  }
}

}  // namespace

void lwrapwrite(const maxistring& l) {
  constexpr size_t kWidth = 74;
  std::string_view rest = l.text;
  while (rest.size() > kWidth) {
    size_t p = kWidth;  // a line without a break character is cut hard at 74
    for (size_t q = kWidth; q >= 1; --q) {
      if (is_break_char(rest[q - 1])) {
        p = q;
        break;
      }
    }
    con_writeline(rest.substr(0, p));
    rest.remove_prefix(p);
  }
  con_writeline(rest);
}

std::string upper_char(const engine_settings& st, unsigned char c) {
  if (st.right_to_left) return std::string(1, static_cast<char>(c));
  switch (c) {
    case 128: case 135: return "C'";
    case 129: return "\x9a";
    case 130: case 144: return "E'";
    case 131: case 133: return "A";
    case 132: return "\x8e";
    case 134: return "\x8f";
    case 136: case 137: case 138: return "E";
    case 139: case 140: case 141: return "I";
    case 145: return "\x92";
    case 147: case 254: return "O";
    case 148: return "\x99";
    case 150: case 151: return "U";
    case 152: return "IJ";
    case 160: return "A'";
    case 161: return "I'";
    case 162: return "O'";
    case 163: return "U'";
    case 164: case 165: return "N'";
    case 225: return "SS";
    default:
      if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
      return std::string(1, static_cast<char>(c));
  }
}

std::string upper_str(const engine_settings& st, std::string_view s) {
  if (has_slash(s)) return std::string(s.substr(0, kShortWidth));
  std::string up;
  for (unsigned char c : s) append_cut(up, upper_char(st, c), kShortWidth);
  return up;
}

char lower_char(char c) {
  switch (static_cast<unsigned char>(c)) {
    case 142: return '\x84';
    case 153: return '\x94';
    case 154: return '\x81';
    default:
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
}

std::string lower_str(std::string_view s) {
  std::string low(s.substr(0, kShortWidth));
  if (has_slash(low)) return low;
  for (char& c : low) c = lower_char(c);
  return low;
}

std::string capital_word(const engine_settings& st, std::string_view s) {
  s = s.substr(0, kShortWidth);
  if (has_slash(s) || s.empty()) return std::string(s);
  std::string out = upper_char(st, static_cast<unsigned char>(s[0]));
  for (size_t i = 1; i < s.size(); ++i) {
    switch (s[i - 1]) {
      case '&': case '\'': case '*': case '+': case '-': case '_':
        append_cut(out, upper_char(st, static_cast<unsigned char>(s[i])), kShortWidth);
        break;
      default:
        append_cut(out, std::string(1, lower_char(s[i])), kShortWidth);
    }
  }
  return out;
}

std::string trim_spaces(std::string_view s) {
  size_t end = s.find_last_not_of(' ');
  if (end == std::string_view::npos) return "";
  size_t begin = s.find_first_not_of(' ');
  return std::string(s.substr(begin, end - begin + 1));
}

namespace {
unsigned long lines_written = 0;
FILE* console_out = nullptr;  // null: standard output
FILE* console_in = nullptr;   // null: standard input

FILE* out_stream() { return console_out ? console_out : stdout; }
}  // namespace

void con_write(std::string_view text) {
  if (text.empty()) return;
  std::fwrite(text.data(), 1, text.size(), out_stream());
  for (char c : text) lines_written += c == '\n';
}

void con_writeline(std::string_view text) {
  con_write(text);
  std::fputc('\n', out_stream());
  ++lines_written;
}

unsigned long con_lines() { return lines_written; }

std::string con_readline(size_t width) {
  std::fflush(out_stream());
  FILE* in = console_in ? console_in : stdin;
  std::string line;
  for (int c = std::getc(in); c != EOF && c != '\n'; c = std::getc(in)) {
    if (c != '\r' && line.size() < width) line.push_back(static_cast<char>(c));
  }
  return line;
}

void set_console(FILE* out, FILE* in) {
  console_out = out;
  console_in = in;
}

void trace_stop(const engine_settings& st) {
  if (st.stop_trace) {
    con_readline();
  } else {
    con_writeline();
  }
}

void fatal_error(std::string_view message) {
  con_writeline("Fatal runtime Error");
  con_writeline(message);
  con_write("ENTER");
  con_readline();
  std::fflush(nullptr);
  throw engine_stop{};
}

void file_not_found(const engine_settings& st, std::string_view name) {
  con_writeline(st.definitions_path.str() + std::string(name) + " : File not found.");
  std::fflush(nullptr);
  throw engine_stop{};
}

}  // namespace zembu::engine
