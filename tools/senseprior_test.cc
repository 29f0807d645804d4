#include "tools/senseprior.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

compound_evidence evidence_of(const std::vector<std::string>& lines) {
  compound_evidence ev;
  long number = 0;
  for (const std::string& raw : lines) {
    dict_line line;
    ++number;
    if (parse_dict_line(raw, line) == line_kind::entry) note_compound_evidence(line, number, ev);
  }
  count_compound_agreement(ev);
  return ev;
}

TEST(SensePrior, CompoundsAgreeWithTheGermanTheyBeginOrEndWith) {
  const compound_evidence ev = evidence_of({
      "Boden {m}; Fußboden {m} :: floor; ground",
      "Stock {m}; Etage {f} :: floor; storey",
      "Bodenablauf {m} | Bodenabläufe {pl} :: floor drain | floor drains",
      "Betonboden {m} [constr.] :: concrete floor",
      "Bodenblech {n} /BB/ :: floor panel /FP/",
      "Etagenbett {n} :: bunk bed",
      // an example sentence is no vocabulary
      "Der Boden ist nass. :: The floor is wet.",
      // the English word is not in the compound
      "Bodenwelle {f} :: bump",
      // the German word itself, not a compound of it
      "Boden {m} (in Zusammensetzungen) :: floor (in compounds)",
  });
  // One line counts once although its plural part agrees again; abbreviations are no
  // words.
  EXPECT_EQ(compound_agreement(ev, "floor", "Boden"), 3);
  // "Fußboden" is neither the beginning nor the end of Bodenablauf or Betonboden.
  EXPECT_EQ(compound_agreement(ev, "floor", "Fußboden"), 0);
  EXPECT_EQ(compound_agreement(ev, "floor", "Stock"), 0);
  EXPECT_EQ(compound_agreement(ev, "floor", "Etage"), 0);
  EXPECT_EQ(compound_agreement(ev, "ground", "Boden"), 0);
  EXPECT_EQ(compound_agreement(ev, "drain", "Boden"), 0);
}

TEST(SensePrior, VerbsHyphensUmlautsAndShortWords) {
  const compound_evidence ev = evidence_of({
      "geben {vt} :: to give",
      "aufgeben {vt} :: to give up",
      "Öl {n} :: oil",
      "Ärger {m} :: trouble",
      "Beziehungsärger {m} :: relationship trouble",
      "Ärgernis {n} :: trouble-maker",
      "Rohöl {n} :: crude oil",
  });
  EXPECT_EQ(compound_agreement(ev, "give", "geben"), 1);
  // A capital after the first letter: the umlaut is made small at the end of a compound,
  // and a hyphen separates English words.
  EXPECT_EQ(compound_agreement(ev, "trouble", "Ärger"), 2);
  // Two letters are part of too many words to tell anything.
  EXPECT_EQ(compound_agreement(ev, "oil", "Öl"), 0);
  EXPECT_EQ(compound_agreement(ev, "up", "geben"), 0);
}

TEST(SensePrior, PhrasesPairAWordWithTheGermanItsPhrasesUse) {
  const compound_evidence ev = evidence_of({
      "etw. halten {vt} :: to keep sth.",
      "bleiben {vi} :: to keep",
      "etw. geheim halten | etw. sauber halten :: to keep sth. secret | to keep sth. clean",
      "Schritt halten :: to keep pace",
      "in Bewegung bleiben :: to keep moving",
      // an example sentence is no phrase
      "Bleib ruhig! :: Keep calm!",
      "Chef {m} :: boss",
      "gehorchen {vi} :: to obey",
      "den Chefs gehorchen :: to obey the bosses; to obey the boss",
      "der Chefin gehorchen :: to obey the female boss",
  });
  // Placeholders (sth., etw.) are no words, so "etw. halten" translates keep alone; one
  // line counts once although two of its parts agree.
  EXPECT_EQ(phrase_agreement(ev, "keep", "halten"), 2);
  EXPECT_EQ(phrase_agreement(ev, "keep", "bleiben"), 1);
  // An ending of one or two letters is allowed (Chefs, Chefin).
  EXPECT_EQ(phrase_agreement(ev, "boss", "Chef"), 2);
  EXPECT_EQ(phrase_agreement(ev, "obey", "gehorchen"), 2);
  // Only the German words that translate the English word alone count.
  EXPECT_EQ(phrase_agreement(ev, "obey", "Chef"), 0);
  EXPECT_EQ(phrase_agreement(ev, "secret", "halten"), 0);
}

}  // namespace
}  // namespace zembu
