// makezembu: compiles rules.txt in the working directory into the definition files and
// the procedure script under definitions/. It takes no arguments and always exits with
// status 0; a malformed line is reported on standard output.
#include <cstdio>
#include <string>

#include "compiler/makezembu.h"

int main() {
  const std::string meldung = zembu::makezembu("rules.txt", "definitions/");
  std::fwrite(meldung.data(), 1, meldung.size(), stdout);
  return 0;
}
