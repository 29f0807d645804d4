// The engine's process-wide state: its settings, the listing file and the tables that
// every translation step shares. One instance lives from start-up to exit; nothing in it
// is allocated per sentence.
#pragma once

#include "common/linereader.h"
#include "engine/settings.h"

namespace zembu {

struct engine_state {
  engine_settings settings;
  linewriter listing;  // the listing file, open from start-up while show_listing is on
};

}  // namespace zembu
