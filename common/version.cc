#include "common/version.h"

#include <cstdio>
#include <cstring>

namespace zembu {

std::string build_date() {
  // __DATE__ reads "Mmm dd yyyy".
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const char* d = __DATE__;
  const char* found = std::strstr(kMonths, std::string(d, 3).c_str());
  const int month = found ? static_cast<int>((found - kMonths) / 3) + 1 : 0;
  const int day = (d[4] == ' ' ? 0 : d[4] - '0') * 10 + (d[5] - '0');
  char buf[8];
  std::snprintf(buf, sizeof buf, "-%02d-%02d", month % 100, day % 100);
  return std::string(d + 7, 4) + buf;
}

std::string version_banner(const std::string& program) {
  return program + " version " + kVersion + " (" + build_date() + ")";
}

bool answer_standard_option(const std::vector<std::string>& args, const std::string& program,
                            const std::string& usage, FILE* out) {
  if (args.empty()) return false;
  std::string text;
  if (args[0] == "--help") {
    text = usage;
  } else if (args[0] == "--version") {
    text = version_banner(program);
  } else {
    return false;
  }
  if (text.empty() || text.back() != '\n') text += '\n';
  std::fwrite(text.data(), 1, text.size(), out);
  std::fflush(out);
  return true;
}

}  // namespace zembu
