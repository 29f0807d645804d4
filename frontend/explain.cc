#include "frontend/explain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/codepage.h"
#include "common/tokenline.h"
#include "frontend/worklock.h"

namespace zembu::frontend {

namespace {

constexpr const char* kTraceFile = "zembu.exp";  // the engine's explain trace
constexpr const char* kMapPath = "definitions/rules.map";
constexpr size_t kMostSubstitutions = 200;        // pairs zembu1 reads
constexpr size_t kMostFinalSubstitutions = 1000;  // pairs zembu3 reads
constexpr size_t kTokenWidth = 255;               // of zembu1's keys
constexpr size_t kResultWidth = 65536;            // of zembu3's lines, far past any

std::vector<std::string> split(std::string_view text, char at) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p <= text.size()) {
    size_t end = text.find(at, p);
    if (end == std::string_view::npos) end = text.size();
    out.emplace_back(text.substr(p, end - p));
    p = end + 1;
  }
  return out;
}

// The lines of a text; a final line feed ends the last line, a carriage return before a
// line feed is dropped.
std::vector<std::string> text_lines(std::string_view text) {
  std::vector<std::string> out = split(text, '\n');
  if (!out.empty() && out.back().empty()) out.pop_back();
  for (std::string& l : out) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
  }
  return out;
}

long number(const std::string& s) {
  long n = 0;
  for (char c : s) {
    if (c < '0' || c > '9' || n > 100000000) return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string lines_text(long first, long last) {
  return first == last ? "line " + std::to_string(first)
                       : "lines " + std::to_string(first) + "-" + std::to_string(last);
}

std::string padded(std::string s, size_t width) {
  if (s.size() < width) s.resize(width, ' ');
  return s;
}

// The word table as report lines: position, source form and entry.
void add_words(std::vector<std::string>& out, const std::string& indent,
               const std::vector<std::pair<std::string, std::string>>& words) {
  for (size_t i = 0; i < words.size(); ++i) {
    std::string pos = std::to_string(i + 1);
    out.push_back(indent + std::string(pos.size() < 3 ? 3 - pos.size() : 0, ' ') + pos + "  " +
                  padded(words[i].first, 20) + " " + words[i].second);
  }
}

// A token line with its field marker (byte 255) shown as a bar.
std::string token_shown(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (c == '\xff') {
      out += " | ";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The bytes of a file of the working directory when it is a regular file; the open
// follows no link and does not wait on a pipe. Empty when there is none.
std::string read_work_file(const frontend_env& env, const char* name) {
  std::string out;
  int fd = open((env.dir + name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return out;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) out.append(buf, static_cast<size_t>(n));
    }
  }
  close(fd);
  return out;
}

void remove_work_file(const frontend_env& env, const char* name) {
  unlink((env.dir + name).c_str());
}

// The engine's argument string with the word EXPLAIN as its fifth argument.
std::string with_explain(const std::string& arguments) {
  std::vector<std::string> words = split_arguments(arguments);
  if (words.size() < 4) return arguments;
  words.insert(words.begin() + 4, "EXPLAIN");
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

void print_line(const frontend_env& env, const std::string& line) {
  const std::string text = env.raw ? mask_controls(line) : encode_for_user(line);
  std::fwrite(text.data(), 1, text.size(), env.screen);
  std::fputc('\n', env.screen);
}

void message(const frontend_env& env, const std::string& text) {
  std::fprintf(env.messages, "%s\n", text.c_str());
  std::fflush(env.messages);
}

// Explains one sentence (code page 437) and prints the report. False when a pass failed.
bool explain_sentence(const frontend_env& env, const rule_source& src,
                      const std::string& sentence, bool& stop) {
  std::vector<explained_piece> pieces;
  frontend_env traced = env;
  traced.translate = nullptr;  // the report reads the pass files
  traced.run = [&env, &pieces](const std::string& program, const std::string& arguments) {
    const bool engine = program == "./zembu2";
    if (engine) remove_work_file(env, kTraceFile);
    const program_outcome o = env.run(program, engine ? with_explain(arguments) : arguments);
    if (program == "./zembu1") {
      if (succeeded(o)) {
        pieces.emplace_back();
        pieces.back().tokens = text_lines(read_work_file(env, "pass1"));
      }
    } else if (program == "./zembu4" && !pieces.empty()) {
      pieces.back().split_tokens = text_lines(read_work_file(env, "pass3"));
    } else if (engine && !pieces.empty()) {
      pieces.back().result = text_lines(read_work_file(env, "pass2"));
      pieces.back().trace = read_work_file(env, kTraceFile);
      remove_work_file(env, kTraceFile);
    }
    return o;
  };
  const sentence_result r = translate_sentence(traced, sentence);
  remove_work_file(env, kTraceFile);
  stop = r.stop;
  if (stop) return true;
  for (const std::string& line : explain_report(src, sentence, pieces, r.lines)) {
    print_line(env, line);
  }
  print_line(env, "");
  std::fflush(env.screen);
  if (r.failure.empty()) return true;
  message(env, "zembu: " + r.failure + "; no translation for \"" +
                   (env.raw ? mask_controls(sentence) : encode_for_user(sentence)) + "\"");
  return false;
}

bool work_file_present(const frontend_env& env, const char* name) {
  struct stat st;
  return lstat((env.dir + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The fired rules as report lines: where each is, then its rules.txt lines.
void add_fired(std::vector<std::string>& out, const rule_source& src,
               const std::vector<trace_rule>& fired, const std::string& indent) {
  for (const trace_rule& r : fired) {
    const std::vector<map_record> records = records_for_lines(src.map, r.file, r.first, r.last);
    std::string where = r.file + " " + lines_text(r.first, r.last);
    if (!records.empty()) {
      const long a = records.front().record, b = records.back().record;
      where = r.file + (a == b ? " record " + std::to_string(a)
                               : " records " + std::to_string(a) + "-" + std::to_string(b));
    }
    out.push_back(indent + "Fired " + where + ":");
    for (const std::string& c : cite_rule(src, r)) out.push_back(indent + "  " + c);
  }
}

rule_source load_rule_source(const frontend_env& env) {
  rule_source src;
  src.lines = text_lines(read_work_file(env, "rules.txt"));
  // Without their files the passes take built-in tables, which no rule wrote.
  if (work_file_present(env, "definitions/ascii.zmb")) {
    src.substitutions =
        read_pairs(read_work_file(env, "definitions/ascii.zmb"), false, kMostSubstitutions);
  }
  src.final_substitutions = read_pairs(read_work_file(env, "definitions/asci2.zmb"), true,
                                       kMostFinalSubstitutions);
  const std::string map = read_work_file(env, kMapPath);
  if (map.empty()) {
    message(env, std::string("zembu: ") + kMapPath +
                     " is missing or empty; fired rules are shown by definition file and line "
                     "only.");
  }
  src.map = parse_rules_map(map);
  return src;
}

}  // namespace

std::vector<trace_sentence> parse_explain_trace(std::string_view text) {
  std::vector<trace_sentence> out;
  trace_sentence* s = nullptr;
  trace_procedure* p = nullptr;
  for (const std::string& line : text_lines(text)) {
    const std::vector<std::string> f = split(line, '\t');
    const std::string& kind = f[0];
    if (kind == "sentence") {
      out.emplace_back();
      s = &out.back();
      p = nullptr;
      if (f.size() > 1) s->label = f[1];
      continue;
    }
    if (s == nullptr) continue;
    if (kind == "procedure" && f.size() >= 5) {
      s->procedures.emplace_back();
      p = &s->procedures.back();
      p->index = static_cast<int>(number(f[1]));
      p->code = f[2];
      p->name = f[3];
      p->argument = f[4];
    } else if (kind == "fired" && f.size() >= 4 && p != nullptr) {
      p->fired.push_back({f[1], number(f[2]), number(f[3])});
    } else if (kind == "words") {
      if (p != nullptr) {
        p->words_changed = true;
        p->words.clear();
      } else {
        s->words.clear();
      }
    } else if (kind == "word" && f.size() >= 4) {
      (p != nullptr ? p->words : s->words).emplace_back(f[2], f[3]);
    } else if (kind == "class" && f.size() >= 2) {
      if (p != nullptr) {
        p->class_changed = true;
        p->class_line = f[1];
      } else {
        s->class_line = f[1];
      }
    } else if (kind == "result" && f.size() >= 2) {
      s->result = f[1];
    } else if (kind == "end") {
      s->complete = true;
      s = nullptr;
      p = nullptr;
    }
  }
  return out;
}

std::vector<replace_pair> read_pairs(std::string_view text, bool odd_last, size_t max) {
  std::vector<replace_pair> pairs;
  std::vector<std::string> lines = split(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (std::string& l : lines) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
  }
  for (size_t i = 0; i < lines.size() && pairs.size() < max; i += 2) {
    if (i + 1 >= lines.size() && !odd_last) break;
    pairs.push_back({lines[i], i + 1 < lines.size() ? lines[i + 1] : std::string()});
  }
  return pairs;
}

std::vector<trace_rule> pairs_fired(const std::vector<replace_pair>& pairs,
                                    const std::string& file,
                                    const std::vector<std::string>& texts, size_t width) {
  std::vector<trace_rule> fired;
  for (std::string text : texts) {
    for (size_t i = 0; i < pairs.size(); ++i) {
      if (replace_repeated(text, pairs[i].search, pairs[i].replacement, width) > 0) {
        fired.push_back({file, static_cast<long>(2 * i + 1), static_cast<long>(2 * i + 2)});
      }
    }
  }
  return fired;
}

std::vector<std::string> token_keys(const std::vector<std::string>& token_lines) {
  std::vector<std::string> keys;
  for (const std::string& line : token_lines) {
    std::string before, field;
    if (!split_at_field_marker(token_payload(parse_token_line(line)), before, field)) continue;
    if (field.size() < kNewWordAttributes.size()) continue;
    const std::string token = field.substr(kNewWordAttributes.size());
    if (token.find_first_of("/\\") != std::string::npos) continue;
    std::string key;
    for (char ch : token) {
      const unsigned char c = static_cast<unsigned char>(ch);
      if (c < 32 || c == 255) continue;
      key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : ch);
    }
    keys.push_back(key);
  }
  return keys;
}

std::vector<std::string> cite_rule(const rule_source& src, const trace_rule& rule) {
  std::vector<std::string> out;
  for (const map_record& r : records_for_lines(src.map, rule.file, rule.first, rule.last)) {
    for (long n = r.source; n < r.source + r.source_lines; ++n) {
      const std::string text =
          n >= 1 && static_cast<size_t>(n) <= src.lines.size() ? src.lines[n - 1] : "";
      out.push_back("rules.txt:" + std::to_string(n) + ": " + text);
    }
  }
  if (out.empty()) out.push_back("(not compiled from rules.txt)");
  return out;
}

std::vector<std::string> explain_report(const rule_source& src, const std::string& sentence,
                                        const std::vector<explained_piece>& pieces,
                                        const std::vector<std::string>& german) {
  std::vector<std::string> out;
  out.push_back("Sentence: " + sentence);
  for (size_t k = 0; k < pieces.size(); ++k) {
    const explained_piece& piece = pieces[k];
    if (pieces.size() > 1) out.push_back("Piece " + std::to_string(k + 1) + ":");
    out.push_back("Tokens after zembu1:");
    for (const std::string& t : piece.tokens) out.push_back("  " + token_shown(t));
    const std::vector<trace_rule> substituted =
        pairs_fired(src.substitutions, "ascii.zmb", token_keys(piece.tokens), kTokenWidth);
    if (!substituted.empty()) {
      out.push_back("  Substitutions that changed the tokens' keys:");
      add_fired(out, src, substituted, "    ");
    }
    if (piece.split_tokens == piece.tokens) {
      out.push_back("Tokens after zembu4: the same");
    } else {
      out.push_back("Tokens after zembu4:");
      for (const std::string& t : piece.split_tokens) out.push_back("  " + token_shown(t));
    }
    for (const trace_sentence& s : parse_explain_trace(piece.trace)) {
      out.push_back("Engine zembu2, sentence " + s.label + ":");
      out.push_back("  Words at the start:");
      add_words(out, "    ", s.words);
      out.push_back("  Class line: " + s.class_line);
      for (const trace_procedure& p : s.procedures) {
        out.push_back("  Procedure " + std::to_string(p.index) + ": " + p.code + " " + p.name +
                      (p.argument.empty() ? "" : "  " + p.argument));
        add_fired(out, src, p.fired, "    ");
        if (p.words_changed) {
          out.push_back("    Words:");
          add_words(out, "      ", p.words);
        }
        if (p.class_changed) out.push_back("    Class line: " + p.class_line);
      }
      if (!s.complete) out.push_back("  (the engine's trace ends here)");
    }
    for (const std::string& r : piece.result) out.push_back("Result line: " + r);
    const std::vector<trace_rule> final_fired =
        pairs_fired(src.final_substitutions, "asci2.zmb", piece.result, kResultWidth);
    if (!final_fired.empty()) {
      out.push_back("Final substitutions in zembu3:");
      add_fired(out, src, final_fired, "  ");
    }
  }
  for (const std::string& g : german) out.push_back("German: " + g);
  return out;
}

int run_explain(const frontend_args& args) {
  const frontend_env env = real_env(true, args.raw, args.processes);
  work_lock lock;
  long holder = 0;
  if (!take_work_lock(env.dir, lock, holder)) {
    message(env, holder < 0 ? std::string("zembu: cannot lock this directory (") + kLockFile +
                                  "): " + std::strerror(errno)
                            : std::string("zembu: another zembu is working in this directory; "
                                          "wait for it to end."));
    return kStatusStopped;
  }
  int status = kStatusStopped;
  if (definitions_present(env) && compile_rules(env)) {
    status = kStatusOk;
    const rule_source src = load_rule_source(env);
    text_input in(stdin);
    std::string line, rest;
    bool more = true;
    for (bool first = true; more && !interrupted; first = false) {
      if (args.explain_text == "-") {
        more = in.next(line);
        if (!more) break;
      } else {
        if (!first) break;
        line = args.explain_text;
      }
      std::string text = args.raw ? line : decode_user_line(line).text;
      while (!text.empty() && !interrupted) {
        split_sentence(text, rest);
        for (const std::string& piece : cut_sentence(text, kLongestSentence)) {
          if (is_blank(piece)) continue;
          bool stop = false;
          if (!explain_sentence(env, src, piece, stop)) status = kStatusPassFailed;
          if (stop) {
            more = false;
            break;
          }
        }
        if (!more) break;
        text = std::move(rest);
      }
    }
  }
  std::fflush(stdout);
  release_work_lock(lock);
  return interrupted ? kStatusInterrupted : status;
}

}  // namespace zembu::frontend
