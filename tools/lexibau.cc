#include "tools/lexibau.h"

#include <algorithm>
#include <cstdio>

namespace zembu::engine {

namespace {

// The search key of a record: the first two characters of its headword.
std::string record_key(const std::string& word_line) {
  return word_line.substr(0, std::min(word_line.find('>'), size_t{2}));
}

engine_settings crypt_settings() {
  engine_settings st;
  st.plain_definitions = false;
  return st;
}

}  // namespace

std::vector<lexi_pair> read_text_lexicon(linereader& file) {
  std::vector<lexi_pair> pairs;
  lexi_pair p;
  while (file.readline(p.word, 80)) {
    if (!file.readline(p.entry, 80)) p.entry.clear();
    pairs.push_back(p);
  }
  return pairs;
}

indexed_lexicon build_indexed_lexicon(const std::vector<lexi_pair>& pairs) {
  indexed_lexicon lex;
  std::vector<size_t> order(pairs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return record_key(pairs[a].word) > record_key(pairs[b].word);
  });
  // Block starts: every new key, except keys holding a blank, which an index line cannot
  // carry; such records stay in the block before them, where the search looks for them.
  std::vector<std::pair<std::string, long>> starts;
  std::string previous;
  for (size_t i = 0; i < order.size(); ++i) {
    const lexi_pair& p = pairs[order[i]];
    lex.records.push_back({p.word, p.entry});
    std::string key = record_key(p.word);
    if ((i == 0 || key != previous) && !key.empty() && key.find(' ') == std::string::npos) {
      starts.push_back({key, static_cast<long>(i)});
    }
    previous = key;
  }
  // More blocks than index lines: several keys share a block, which starts at its
  // largest key. One line is kept for the closing line below.
  const size_t lines = max_index_lines - 1;
  size_t step = (starts.size() + lines - 1) / lines;
  if (step == 0) step = 1;
  for (size_t i = 0; i < starts.size(); i += step) lex.index.push_back({starts[i].first, starts[i].second});
  // A closing line with the empty key, which is smaller than every search key, behind the
  // last record: a word whose key sorts below every block key (a full stop, a digit)
  // then searches the last block instead of the whole file.
  lex.index.push_back({"", static_cast<long>(lex.records.size())});
  return lex;
}

bool write_indexed_lexicon(const indexed_lexicon& lex, const std::string& index_name,
                           const std::string& data_name, bool crypt) {
  const engine_settings st = crypt ? crypt_settings() : engine_settings{};
  linewriter index;
  if (!index.create(index_name)) return false;
  for (const index_type& line : lex.index) {
    std::string text = line.key + " " + std::to_string(line.position);
    scramble_line(st, text);
    index.writeline(text);
  }
  if (!index.close()) return false;
  linewriter data;
  if (!data.create(data_name)) return false;
  for (lexi_type rec : lex.records) {
    scramble_record(st, rec);
    data.write(encode_record(rec));
  }
  return data.close();
}

bool scramble_text_file(const std::string& in, const std::string& out) {
  const engine_settings st = crypt_settings();
  linereader reader;
  linewriter writer;
  if (!reader.open(in) || !writer.create(out)) return false;
  std::string line;
  while (reader.readline(line)) {
    scramble_line(st, line);
    writer.writeline(line);
  }
  return writer.close();
}

bool scramble_record_file(const std::string& in, const std::string& out) {
  const engine_settings st = crypt_settings();
  recordfile reader;
  if (!reader.open(in)) return false;
  linewriter writer;
  if (!writer.create(out)) return false;
  lexi_type rec;
  for (long n = 0; n < reader.count() && reader.read(n, rec); ++n) {
    scramble_record(st, rec);
    writer.write(encode_record(rec));
  }
  return writer.close();
}

}  // namespace zembu::engine
