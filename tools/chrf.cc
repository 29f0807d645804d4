#include "tools/chrf.h"

#include <algorithm>
#include <map>

namespace zembu {

namespace {

bool is_space(char32_t c) {
  return (c >= 9 && c <= 13) || (c >= 28 && c <= 32) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// The code point that starts at s[i] and its length in bytes; an invalid sequence is the
// single byte.
char32_t decode_at(std::string_view s, size_t i, size_t& len) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  len = 1;
  size_t more = 0;
  char32_t cp = c;
  if (c >= 0xC2 && c <= 0xDF) {
    more = 1;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    more = 2;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    more = 3;
    cp = c & 0x07;
  }
  if (more == 0 || i + more >= s.size()) return c;  // ASCII, a stray byte, or cut short
  for (size_t k = 1; k <= more; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return c;
    cp = (cp << 6) | (d & 0x3F);
  }
  if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
      (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
    return c;
  len = more + 1;
  return cp;
}

using ngram_map = std::map<std::u32string_view, long long>;

ngram_map ngrams(const std::u32string& chars, size_t n) {
  ngram_map m;
  const std::u32string_view v(chars);
  for (size_t i = 0; i + n <= v.size(); ++i) ++m[v.substr(i, n)];
  return m;
}

}  // namespace

std::u32string chrf_characters(std::string_view utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t len = 1;
    const char32_t c = decode_at(utf8, i, len);
    if (!is_space(c)) out += c;
    i += len;
  }
  return out;
}

void add_sentence(chrf_stats& stats, std::string_view hypothesis, std::string_view reference) {
  const std::u32string hyp = chrf_characters(hypothesis);
  const std::u32string ref = chrf_characters(reference);
  for (size_t n = 1; n <= static_cast<size_t>(kChrfOrder); ++n) {
    const ngram_map h = ngrams(hyp, n);
    const ngram_map r = ngrams(ref, n);
    ngram_counts& counts = stats.order[n - 1];
    long long hyp_count = 0;
    for (const auto& [gram, count] : h) {
      hyp_count += count;
      auto found = r.find(gram);
      if (found != r.end()) counts.match += std::min(count, found->second);
    }
    if (!r.empty()) counts.hyp += hyp_count;  // no reference n-gram: the order does not count
    if (ref.size() >= n) counts.ref += static_cast<long long>(ref.size() - n + 1);
  }
}

double chrf_score(const chrf_stats& stats) {
  const double factor = kChrfBeta * kChrfBeta;
  double precision = 0, recall = 0;
  int effective = 0;
  for (const ngram_counts& c : stats.order) {
    if (c.hyp <= 0 || c.ref <= 0) continue;
    precision += static_cast<double>(c.match) / static_cast<double>(c.hyp);
    recall += static_cast<double>(c.match) / static_cast<double>(c.ref);
    ++effective;
  }
  if (effective == 0) return 0;
  precision /= effective;
  recall /= effective;
  if (precision + recall <= 0) return 0;
  return 100 * (1 + factor) * precision * recall / (factor * precision + recall);
}

std::u32string exact_match_form(std::string_view utf8) {
  std::u32string form = chrf_characters(utf8);
  for (char32_t& c : form) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c += 0x20;
  }
  while (!form.empty() &&
         std::u32string_view(U".!?,;:").find(form.back()) != std::u32string_view::npos)
    form.pop_back();
  return form;
}

corpus_scores score_corpus(const std::vector<std::string>& references,
                           const std::vector<std::string>& hypotheses) {
  corpus_scores s;
  chrf_stats stats;
  s.sentences = std::min(references.size(), hypotheses.size());
  for (size_t i = 0; i < s.sentences; ++i) {
    add_sentence(stats, hypotheses[i], references[i]);
    if (exact_match_form(hypotheses[i]) == exact_match_form(references[i])) ++s.exact;
  }
  s.chrf = chrf_score(stats);
  if (s.sentences > 0)
    s.exact_rate = 100.0 * static_cast<double>(s.exact) / static_cast<double>(s.sentences);
  return s;
}

}  // namespace zembu
