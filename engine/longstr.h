// Long strings: the engine's `maxistring` of up to 2000 characters with its operations
// (1-based positions, every overflow cut silently), the code-page-437 case conversions,
// and the two exits that stop the engine.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/linereader.h"
#include "engine/settings.h"

namespace zembu::engine {

constexpr size_t maxi_capacity = 2000;

// A long string; position p (1-based) of the text is text[p - 1]. Never longer than
// maxi_capacity when built with the operations below.
struct maxistring {
  std::string text;
};

// L := s.
void strtomaxi(std::string_view s, maxistring& l);
// The number of characters in use.
size_t llength(const maxistring& l);
// Characters p .. p+n-1 as a short string (p = 0 counts as 1; at most 255 characters).
std::string lcopy(const maxistring& l, size_t p, size_t n);
// Appends s, cut so that L stays within 2000 characters.
void lappend(maxistring& l, std::string_view s);
// Appends L2, cut the same way.
void llappend(maxistring& l, const maxistring& l2);
// Inserts s before position p; p = 0 or p > length + 1 changes nothing.
void linsert(std::string_view s, maxistring& l, size_t p);
// Deletes n characters from position p; a position beyond the end writes "pos=" + p.
void ldelete(maxistring& l, size_t p, size_t n);
// The first position of s in L, 0 if none; the empty s is found at 1.
size_t lpos(std::string_view s, const maxistring& l);
// R := A followed by B, the surplus at the end of B dropped.
void lconcat(maxistring& r, const maxistring& a, const maxistring& b);
// True when A and B hold the same characters.
bool equal_maxi(const maxistring& a, const maxistring& b);
// Replaces every occurrence of old by new, each search starting again at position 1.
// A replacement that contains old is applied in one pass so that the call ends.
void lreplace(maxistring& l, std::string_view old, std::string_view neu);
// Upper-cases L with upper_char unless it holds a slash or backslash.
void lupper(const engine_settings& st, maxistring& l);
// Reads one line of the file into L (carriage returns dropped, cut at 2000).
void lreadln(linereader& f, maxistring& l);
// Writes L to standard output without a line end.
void lwrite(const maxistring& l);
// Writes L and a line end to the file.
void lwritefile(linewriter& f, const maxistring& l);
// Writes L to standard output as lines of at most 74 characters.
void lwrapwrite(const maxistring& l);

// One character in upper case with transliteration of accented letters (one or two
// characters); unchanged when right_to_left is on.
std::string upper_char(const engine_settings& st, unsigned char c);
// s in upper case (upper_char of every character), unless it holds "/" or "\".
std::string upper_str(const engine_settings& st, std::string_view s);
// A-Z and the three umlaut capitals in lower case; every other character unchanged.
char lower_char(char c);
// s in lower case, unless it holds "/" or "\".
std::string lower_str(std::string_view s);
// s as a name: first letter and letters after & ' * + - _ upper, the rest lower.
std::string capital_word(const engine_settings& st, std::string_view s);
// s without trailing and leading blanks.
std::string trim_spaces(std::string_view s);
// True when s holds a slash or a backslash (such text is never case-converted).
bool has_slash(std::string_view s);

// Writes text (no line end) and a whole line to the engine's console output (standard
// output unless set_console says otherwise).
void con_write(std::string_view text);
void con_writeline(std::string_view text = {});
// The number of lines con_write and con_writeline have written so far.
unsigned long con_lines();
// Reads one line from the console input (cut at `width`); empty at the end of the input.
std::string con_readline(size_t width = 255);
// Points the engine's console at other streams; null keeps standard output or input. A
// program that runs the engine in-process uses it; the engine program never does.
void set_console(FILE* out, FILE* in);

// A trace stop: waits for the Enter key when stop_trace is on, else writes an empty line.
void trace_stop(const engine_settings& st);
// What fatal_error and file_not_found throw once their messages are written and flushed:
// the engine run ends there. zembu2 ends with status 0; a program that runs the engine
// in-process goes on with its next piece of work.
struct engine_stop {};
// Writes "Fatal runtime Error" and the message, waits for Enter and stops the engine.
[[noreturn]] void fatal_error(std::string_view message);
// Writes the definitions path, the name and " : File not found." and stops the engine.
[[noreturn]] void file_not_found(const engine_settings& st, std::string_view name);

}  // namespace zembu::engine
