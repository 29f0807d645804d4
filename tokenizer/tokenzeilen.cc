#include "tokenizer/tokenzeilen.h"

#include <algorithm>

#include "common/tokenline.h"
#include "tokenizer/zeichen.h"

namespace zembu::tokenizer {

namespace {

// A token holding "/" or "\\" is a path, kept as written.
bool is_path(std::string_view token) {
  return token.find_first_of("/\\") != std::string_view::npos;
}

// Walks a sentence buffer and collects its token lines. The class code of a token line
// (ZZZ or SEN, and whether a "YYY *" line for a capitalised word goes before it) is
// decided by the emission before it and held until the token line is written.
class zerleger {
 public:
  zerleger(std::string_view text, const std::vector<replace_pair>& tabelle)
      : text_(text), tabelle_(tabelle) {}

  std::string run() {
    out_ = std::string(kSentenceStartLine) + "\n";
    praefix(0);
    unsigned char sep = ' ';  // last separator
    const size_t n = text_.size();
    for (size_t d = 0; d < n; ++d) {
      const unsigned char c = at(d);
      if (ist_leerraum(c) && !ist_leerraum(sep)) {
        emit(d);
        sep = ' ';
      } else if (ist_satzende(c)) {
        if (d + 1 == n || ist_folgezeichen(at(d + 1))) emit(d);
        add(c);
        sep = c;
      } else if (ist_trennzeichen(c)) {
        if (!ist_leerraum(sep)) emit(d);
        add(c);
        sep = ' ';
        if (ist_leerraum(at(d + 1))) ++d;
        emit(d);
      } else {
        if (c != kKapitalmarke) add(c);
        sep = c;
      }
    }
    emit(n, /*final=*/true);
    if (n == 0 || !ist_satzende(at(n - 1))) out_ += "PUN _NOSEN_\nSEN -------\n";
    return out_;
  }

 private:
  // The buffer reads as blanks beyond the sentence.
  unsigned char at(size_t i) const {
    return i < text_.size() ? static_cast<unsigned char>(text_[i]) : ' ';
  }

  void add(unsigned char c) { token_.push_back(static_cast<char>(c)); }

  // The class code for the token line after position p.
  void praefix(size_t p) {
    if (ist_satzende(at(p))) {
      code_ = "SEN";
      capital_ = false;
      return;
    }
    capital_ = (at(p) == kKapitalmarke && !ist_gross(at(p + 2))) ||
               (at(p + 1) == kKapitalmarke && !ist_gross(at(p + 3)));
    code_ = "ZZZ";
  }

  // One token line of a new word, behind the "YYY *" line when one is still due.
  void line(std::string_view code, std::string_view key, std::string_view display) {
    if (capital_) {
      out_ += kCapitalLine;
      out_ += '\n';
      capital_ = false;
    }
    out_ += format_token_line(
        {std::string(code), std::string(key), attribute_field(kNewWordAttributes, display), true});
    out_ += '\n';
  }

  // Writes the token collected so far as a token line and starts a new one.
  void emit(size_t p, bool final = false) {
    if (!token_.empty() && token_[0] == '\'') {
      quote_ = true;
      token_.erase(0, 1);
      line(code_, "QUOTE_1", "'");
      code_ = "ZZZ";
    }
    bool schliesst = false;
    if (quote_ && !token_.empty() && token_.back() == '\'') {
      quote_ = false;
      token_.pop_back();
      schliesst = true;
    }
    // A position with no token (as after a closing bracket before the full stop) writes
    // no line of its own; its prefix gives way to the next one.
    if (!token_.empty()) write_pieces();
    if (schliesst) {
      capital_ = false;
      line("ZZZ", "QUOTE_2", "'");
    }
    token_.clear();
    code_.clear();
    capital_ = false;
    if (!final) praefix(p);
  }

  // The token line, or the lines of a long token's pieces: the class code (and the
  // "YYY *" line) goes to the first piece, except that a sentence end stays with the last.
  void write_pieces() {
    const std::vector<std::string_view> pieces = token_pieces(token_, tabelle_);
    const bool sentence_end = code_ == "SEN";
    const bool path = is_path(token_);
    for (size_t i = 0; i < pieces.size(); ++i) {
      std::string_view code = i == 0 ? std::string_view(code_) : "ZZZ";
      if (sentence_end) code = i + 1 == pieces.size() ? "SEN" : "ZZZ";
      line(code, path ? std::string(pieces[i]) : normalisiere(pieces[i], tabelle_), pieces[i]);
    }
  }

  std::string_view text_;
  const std::vector<replace_pair>& tabelle_;
  std::string out_;
  std::string code_;       // class code of the next token line
  bool capital_ = false;   // a "YYY *" line goes before the next token line
  std::string token_;
  bool quote_ = false;
};

}  // namespace

std::string normalisiere(std::string_view token, const std::vector<replace_pair>& tabelle) {
  std::string s(token.substr(0, kTokenbreite));
  if (is_path(s)) return s;
  std::string k;
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || c == kFieldMarker) continue;
    k.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : ch);
  }
  replace_pairs(k, tabelle, kTokenbreite);
  k.erase(std::remove(k.begin(), k.end(), static_cast<char>(kFieldMarker)), k.end());
  return k;
}

std::vector<std::string_view> token_pieces(std::string_view token,
                                           const std::vector<replace_pair>& tabelle) {
  std::vector<std::string_view> pieces;
  const bool path = is_path(token);
  size_t from = 0;
  while (from < token.size()) {
    size_t n = std::min(kPieceWidth, token.size() - from);
    // A path is its own key; otherwise the piece shrinks until its key fits, first in
    // proportion to the key's excess, then byte by byte.
    if (!path) {
      for (size_t key = normalisiere(token.substr(from, n), tabelle).size();
           key > kKeyWidth && n > 1; key = normalisiere(token.substr(from, n), tabelle).size()) {
        const size_t guess = n * kKeyWidth / key;
        n = guess < n ? std::max<size_t>(guess, 1) : n - 1;
      }
    }
    pieces.push_back(token.substr(from, n));
    from += n;
  }
  return pieces;
}

std::string tokenzeilen(std::string_view text, const std::vector<replace_pair>& tabelle) {
  return zerleger(text, tabelle).run();
}

}  // namespace zembu::tokenizer
