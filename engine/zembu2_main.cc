// zembu2: the translation engine. Runs the procedure script over every sentence of a
// token file (shell form), a text file or the keyboard (direct form).
#include <string>
#include <vector>

#include "engine/trans2.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return zembu::run_engine(args);
}
