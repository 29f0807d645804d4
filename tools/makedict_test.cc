#include "tools/makedict.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/codepage.h"
#include "compiler/saetze.h"
#include "compiler/tabellen.h"
#include "tools/devpairs.h"

namespace zembu {
namespace {

std::string excerpt() {
  std::ifstream f(std::string(ZEMBU_MAKEDICT_TESTDATA) + "/de-en-excerpt.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

const char kRules[] =
    "SUBSTITUTION\nCOLOUR -> COLOR\n-----\n"
    "LEXICON\nn = SUN---Sns\ndog n @mHund\n-----\n"
    "USER LEXICON\n+ new york\nn New_York\n-----\n";

dict_tables tables_of(const std::string& dictionary, const std::string& rules = kRules,
                      const std::string& overrides = "") {
  std::string problems;
  return build_dict_tables(dictionary, scan_rules(rules), parse_overrides(overrides, problems));
}

// The tables in UTF-8, so the expectations can be written as they read.
std::string dump(const dict_tables& t) {
  std::string out;
  for (char c : dump_tables(t)) append_utf8(out, cp437_char(static_cast<unsigned char>(c)));
  return out;
}

TEST(MakeDict, ExcerptTables) {
  EXPECT_EQ(dump(tables_of(excerpt())),
            // a noun and its plural; a comment and a south German label lose to Wagen
            "BECAUSE because | KOS---Inv weil\n"
            "CART cart | SUNms-Nst @mWagen\n"
            "CARTS carts | SUNmp-Npx @pWagen\n"
            "FRANCE France | NAMns-Nst @nFrankreich\n"
            "GERMANY Germany | NAMns-Nst @nDeutschland\n"
            // a verb's principal parts with its auxiliary sein
            // a base verb ends with its past and participle, for "did" + verb, an -ing
            // form with its past, for "was" + -ing
            "GO go | VERIisVir gehen | VPAIpsVir ging | PPAIpsVir gegangen\n"
            "GOES goes | VERI3sVir geht\n"
            "GOING going | PARIgsVir gehend | VPAIpsVir ging\n"
            "GONE gone | PARIpsVir gegangen\n"
            "HOUSE house | SUNns-Nst @nHaus\n"
            "HOUSES houses | SUNnp-Npn @pHäuser\n"
            "NUMBER number | SUNfs-Nfe @fZahl\n"
            "NUMBERS numbers | SUNfp-Npx @pZahlen\n"
            // öffnen's forms come from the line of aufmachen; öffnen
            "OPEN open | VERTihVrg öffnen | ADJp--Arg offen | VPATphVrg öffnete | PPATphVrg geöffnet\n"
            "OPENED opened | VERTphVrg öffnete | PARTphVrg geöffnet\n"
            "OPENING opening | PARTghVrg öffnend | VPATphVrg öffnete\n"
            "OPENS opens | VERT3hVrg öffnet\n"
            "RED red | ADJp--Arg rot\n"
            "REDDER redder | ADJc--Arg röter\n"
            "REDDEST reddest | ADJs--Asp röteste\n"
            "SOON soon | ADVp--Inv bald\n"
            // a numeral goes before a noun
            "TWO two | NUMc--Inv zwei | SUNfs-Nfe @fZwei\n"
            "TWOS twos | SUNfp-Npx @pZweien\n"
            "UNDID undid | VERTphVrg auf+machte\n"
            "UNDO undo | VERTihVrg auf+machen | VPATphVrg auf+machte | PPATphVrg aufgemacht\n"
            "UNDOES undoes | VERT3hVrg auf+macht\n"
            "UNDOING undoing | PARTghVrg aufmachend | VPATphVrg auf+machte\n"
            "UNDONE undone | PARTphVrg aufgemacht\n"
            "WAGON wagon | SUNms-Nst @mWagen\n"
            "WAGONS wagons | SUNmp-Npx @pWagen\n"
            "WENT went | VERIpsVir ging\n"
            "WITH with | PREd--Inv mit\n"
            // several parts of speech in one entry; Werk [art] loses to Arbeit; the
            // participle does not fit the line
            "WORK work | SUNfs-Nfe @fArbeit | VERIihVrg arbeiten | VPAIphVrg arbeitete\n"
            "WORKED worked | VERIphVrg arbeitete | PARIphVrg gearbeitet\n"
            "WORKING working | PARIghVrg arbeitend | VPAIphVrg arbeitete\n"
            "WORKS works | SUNfp-Npx @pArbeiten | VERI3hVrg arbeitet\n"
            "YES yes | INT---Inv ja\n"
            "+ GAVE_UP gave up | VERTphVir auf+gab\n"
            "+ GIVEN_UP given up | PARTphVir aufgegeben\n"
            "+ GIVES_UP gives up | VERT3hVir auf+gibt\n"
            "+ GIVE_UP give up | VERTihVir auf+geben\n"
            "+ GIVING_UP giving up | PARTghVir aufgebend\n"
            "+ RAILWAY_STATION railway station | SUNms-Nst @mBahnhof\n"
            "+ RAILWAY_STATIONS railway stations | SUNmp-Npn @pBahnhöfe\n"
            // schuften, whose forms no line gives, is a weak verb; a past that is also
            // the participle carries both
            "+ SLAVED_AWAY slaved away | VERIphVrg schuftete | PARIphVrg geschuftet\n"
            "+ SLAVES_AWAY slaves away | VERI3hVrg schuftet\n"
            "+ SLAVE_AWAY slave away | VERIihVrg schuften\n"
            "+ SLAVING_AWAY slaving away | PARIghVrg schuftend\n"
            // the plural of a compound noun from its last part
            "+ TERRACED_HOUSE terraced house | SUNns-Nst @nReihenhaus\n"
            "+ TERRACED_HOUSES terraced houses | SUNnp-Npn @pReihenhäuser\n"
            "+ WORKED_HARD worked hard | VERIphVrg schuftete | PARIphVrg geschuftet\n"
            "+ WORKING_HARD working hard | PARIghVrg schuftend\n"
            "+ WORKS_HARD works hard | VERI3hVrg schuftet\n"
            "+ WORK_HARD work hard | VERIihVrg schuften\n");
}

TEST(MakeDict, SkippedLinesAndWordsAreCountedByReason) {
  const dict_tables t = tables_of(excerpt());
  EXPECT_EQ(t.counts.lines, 32);
  EXPECT_EQ(t.counts.skipped_lines,
            (std::map<std::string, long>{{"no grammar mark (phrases and sentences only)", 1},
                                         {"no single \" :: \" between the sides", 1},
                                         {"not UTF-8", 1},
                                         {"sides with different numbers of \" | \" parts", 1},
                                         {"unbalanced brackets", 1}}));
  EXPECT_EQ(t.counts.dropped,
            (std::map<std::string, long>{{"German words code page 437 cannot hold", 1},
                                         {"past forms of base verbs beyond an entry line's 80 bytes", 1}}));
  EXPECT_EQ(english_forms(t), 54);
  const std::string summary = dict_summary(t);
  EXPECT_NE(summary.find("makedict: 32 lines read\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("makedict: 54 English word forms\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("5 lines skipped"), std::string::npos) << summary;
}

TEST(MakeDict, HandWordsSuffixesAndEmptyInput) {
  const std::string rules =
      "AGGLUTINATION\nING\n-----\nLEXICON\nn = SUN---Sns\nhouse n @nHaus\n-----\n"
      "USER LEXICON\n- railway station\nn @mBahnhof\n-----\n";
  const std::string d = dump(tables_of(excerpt(), rules));
  EXPECT_EQ(d.find("HOUSE house"), std::string::npos);      // the hand entry wins
  EXPECT_NE(d.find("HOUSES houses"), std::string::npos);
  EXPECT_EQ(d.find("GOING"), std::string::npos);            // zembu4 would cut it
  EXPECT_EQ(d.find("+ GIVING_UP"), std::string::npos);
  EXPECT_EQ(d.find("+ RAILWAY_STATION "), std::string::npos);
  EXPECT_NE(d.find("+ RAILWAY_STATIONS"), std::string::npos);
  const dict_tables empty = tables_of("");
  EXPECT_TRUE(empty.entries.empty());
  EXPECT_TRUE(empty.compounds.empty());
  EXPECT_EQ(empty.counts.lines, 0);
}

TEST(MakeDict, OverridesChooseOrderAndDrop) {
  std::string problems;
  const dict_overrides o = parse_overrides(
      "# a comment\n"
      "work order v\n"
      "cart n Karren\n"
      "house drop n\n"
      "close v schließen\n"
      "close v\n"
      "red colour a\n",
      problems);
  EXPECT_EQ(problems, "line 6: close v\nline 7: red colour a\n");
  const dict_tables t =
      tables_of(excerpt(), kRules, "work order v\ncart n Karren\nhouse drop n\nclose v öffnen\nfoo n Bar\n");
  const std::string d = dump(t);
  EXPECT_NE(d.find("WORK work | VERIihVrg arbeiten | SUNfs-Nfe @fArbeit | VPAIphVrg arbeitete\n"),
            std::string::npos)
      << d;
  // "order" is for the word form written: "works" keeps its own order.
  EXPECT_NE(d.find("WORKS works | SUNfp-Npx @pArbeiten | VERI3hVrg arbeitet\n"), std::string::npos) << d;
  EXPECT_NE(d.find("CART cart | SUNms-Nst @mKarren\nCARTS carts | SUNmp-Npx @pKarren\n"), std::string::npos) << d;
  EXPECT_EQ(d.find("HOUSE house"), std::string::npos) << d;
  EXPECT_EQ(d.find("HOUSES houses"), std::string::npos) << d;
  // A German no line pairs with the word, with the forms the dictionary knows for it.
  EXPECT_NE(d.find("CLOSE close | VERTihVrg öffnen | VPATphVrg öffnete | PPATphVrg geöffnet\n"
                   "CLOSED closed | VERTphVrg öffnete | PARTphVrg geöffnet\n"
                   "CLOSES closes | VERT3hVrg öffnet\n"
                   "CLOSING closing | PARTghVrg öffnend | VPATphVrg öffnete\n"),
            std::string::npos)
      << d;
  // A noun the dictionary does not know cannot get a gender.
  EXPECT_EQ(t.counts.overrides_unused, 1);
  EXPECT_EQ(t.counts.unused_overrides, "foo n Bar\n");
}

// An adjective whose German ends in e inflects as a superlative stored with its e does
// (müde: müden, not müdeen); its abbreviation differs from the regular adjective's.
TEST(MakeDict, AdjectivesEndingInEDropTheirEBeforeEndings) {
  const std::string d = dump(tables_of("müde {adj} :: tired\nrot {adj} :: red\n"));
  EXPECT_NE(d.find("TIRED tired | ADJp--Asp müde\n"), std::string::npos) << d;
  EXPECT_NE(d.find("RED red | ADJp--Arg rot\n"), std::string::npos) << d;
  const std::string merged =
      merged_rules(scan_rules(kRules), tables_of("müde {adj} :: tired\nrot {adj} :: red\n"), "x");
  EXPECT_NE(merged.find("\nAps = ADJp--Asp\n"), std::string::npos) << merged;
  EXPECT_NE(merged.find("\nAp = ADJp--Arg\n"), std::string::npos) << merged;
}

// Words that never inflect keep their form before a noun (genug Zeit, not genuge Zeit);
// an ordinary adjective beside them still inflects.
TEST(MakeDict, UndeclinableAdjectivesTakeNoEndings) {
  const std::string d = dump(tables_of(
      "genug {adj} :: enough\nanders {adj} :: different\nvielerlei {adj} :: manifold\n"
      "rot {adj} :: red\n"));
  EXPECT_NE(d.find("ENOUGH enough | ADJp--Aun genug\n"), std::string::npos) << d;
  EXPECT_NE(d.find("DIFFERENT different | ADJp--Aun anders\n"), std::string::npos) << d;
  EXPECT_NE(d.find("MANIFOLD manifold | ADJp--Aun vielerlei\n"), std::string::npos) << d;
  EXPECT_NE(d.find("RED red | ADJp--Arg rot\n"), std::string::npos) << d;
}

// A compound that starts with an auxiliary, a modal or "not" would take those words away
// from the grammar: it is left out, and counted.
TEST(MakeDict, NoCompoundStartsWithAGrammarWord) {
  const dict_tables t = tables_of(
      "es wird geben {v} :: will be\nnicht amüsiert {adj} :: not amused\n"
      "sehr amüsiert {adj} :: very amused\n");
  const std::string d = dump(t);
  EXPECT_NE(d.find("+ VERY_AMUSED very amused"), std::string::npos) << d;
  EXPECT_EQ(d.find("NOT_AMUSED"), std::string::npos) << d;
  EXPECT_EQ(d.find("WILL_BE"), std::string::npos) << d;
  EXPECT_EQ(t.counts.dropped.at("compounds that start with an auxiliary, a modal or \"not\""), 2);
}

TEST(MakeDict, ScanRulesFindsTheSections) {
  const rule_facts f = scan_rules(
      "; LEXICON in a comment\nSUBSTITUTIONS\nCOLOUR -> COLOR\n-----\n"
      "LEXICON\nn = SUN---Sns\ncolour n @fFarbe\n  ----- end\n"
      "USER LEXICON\nnam = NAM---Sns\n+ new york\n-----\nvienna nam Wien\n");
  EXPECT_EQ(f.lexicon_end, 7);
  EXPECT_FALSE(f.lexicon_open);
  // The line after a compound is its translation, even a dash line; the section runs on.
  EXPECT_EQ(f.user_end, 13);
  EXPECT_TRUE(f.user_open);
  EXPECT_EQ(f.headwords, (std::set<std::string>{"COLOR", "VIENNA"}));
  EXPECT_EQ(f.compounds, (std::set<std::string>{"NEW_YORK"}));
  EXPECT_EQ(f.lexicon_abbreviations, (std::set<std::string>{"n"}));
  EXPECT_EQ(f.user_abbreviations, (std::set<std::string>{"nam"}));
  EXPECT_EQ(f.substitutions.dump(), "COLOUR -> COLOR\n");
}

// The generated lines of `merged` between its two markers, for each section.
std::vector<std::string> generated_lines(const std::string& merged) {
  std::vector<std::string> out;
  bool in = false;
  size_t pos = 0;
  while (pos < merged.size()) {
    size_t end = merged.find('\n', pos);
    const std::string line = merged.substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("; ===== generated", 0) == 0) in = true;
    if (line.rfind("; ===== end", 0) == 0) in = false;
    if (in && !line.empty() && line[0] != ';') out.push_back(line);
  }
  return out;
}

TEST(MakeDict, MergedRulesPutTheLinesInPlace) {
  const rule_facts f = scan_rules(kRules);
  const std::string merged = merged_rules(f, tables_of(excerpt()), "excerpt");
  const size_t lex = merged.find("dog n @mHund\n; ===== generated by makedict from excerpt");
  ASSERT_NE(lex, std::string::npos) << merged;
  const size_t lex_end = merged.find("; ===== end of the generated lines =====\n-----\nUSER LEXICON\n");
  ASSERT_NE(lex_end, std::string::npos) << merged;
  EXPECT_NE(merged.find("\nwork SUN *Nfs @fArbeit *VIihr arbeiten *VdIphr arbeitete\n"), std::string::npos);
  EXPECT_NE(merged.find("\nVdIphr = VPAIphVrg\n"), std::string::npos);
  EXPECT_NE(merged.find("\nNfs = SUNfs-Nfe\n"), std::string::npos);
  const size_t user = merged.find("n New_York\n; ===== generated");
  ASSERT_NE(user, std::string::npos);
  EXPECT_GT(user, lex_end);
  EXPECT_NE(merged.find("\n- railway station\nNms @mBahnhof\n"), std::string::npos);
  const std::string last = "\n; ===== end of the generated lines =====\n-----\n";
  EXPECT_EQ(merged.substr(merged.size() - last.size()), last);
  // Missing sections are added, an open one is closed.
  const std::string open = merged_rules(scan_rules("LEXICON\nn = SUN---Sns\n"), tables_of(excerpt()), "x");
  EXPECT_NE(open.find("; ===== end of the generated lines =====\n-----\n\nUSER LEXICON\n"), std::string::npos);
  EXPECT_EQ(open.substr(open.size() - 8), "=\n-----\n");
}

// Every generated lexicon line is one the rule compiler reads as an entry of at most 80
// bytes, every compound one whose engine lines fit in 80 bytes.
TEST(MakeDict, GeneratedLinesFitTheCompilerAndTheEngine) {
  std::string dictionary = excerpt();
  // Long German texts and many readings for one word.
  dictionary += "Verwaltungsangestelltenkrankenversicherungsgesellschaftsvertretungsabteilung {f} :: rep\n";
  dictionary += "langes Wort aus sehr vielen langen Teilen {n} :: long\nlang {adj} :: long\n"
                "lange Zeit aufbewahren {vt} :: to long\nSehnsucht haben {vi} :: to long\n"
                "sehr langer Zeitraum aus Teilen {m} | sehr lange Zeiträume {pl} :: long | longs\n";
  const std::string merged = merged_rules(scan_rules(kRules), tables_of(dictionary), "excerpt");
  abkuerzungstabelle a;
  bool compound_next = false;
  int entries = 0;
  for (const std::string& line : generated_lines(merged)) {
    ASSERT_NE(line.find(' '), std::string::npos) << line;
    if (compound_next) {
      compound_next = false;
      continue;
    }
    std::string name, expansion;
    if (abkuerzung_zeile(line, name, expansion)) {
      a.add(name, expansion);
      continue;
    }
    if (line.rfind("- ", 0) == 0) {
      compound_next = true;
      continue;
    }
    std::string text, error;
    ASSERT_TRUE(eintrag_text(line.substr(line.find(' ') + 1), a, text, error)) << line << error;
    EXPECT_LE(text.size(), 80u) << line;
    EXPECT_EQ(text.find('='), std::string::npos) << line;
    ++entries;
  }
  EXPECT_GT(entries, 30);
  EXPECT_EQ(merged.find("Verwaltungsangestellten"), std::string::npos);
  EXPECT_NE(merged.find("\nlong "), std::string::npos);
  // The example sentences of the excerpt are never vocabulary.
  for (const char* phrase : {"Kino", "cinema", "Ampel", "traffic", "Hause", "rag", "Bus", "nuts"}) {
    EXPECT_EQ(merged.find(phrase), std::string::npos) << phrase;
  }
}

}  // namespace
}  // namespace zembu

namespace zembu {
namespace {

// The dump line of one English word form, or "" when there is none.
std::string entry_line(const std::string& dumped, const std::string& key) {
  const std::string start = key + " ";
  for (size_t at = 0; at < dumped.size();) {
    const size_t end = dumped.find('\n', at);
    if (dumped.compare(at, start.size(), start) == 0) return dumped.substr(at, end - at);
    at = end + 1;
  }
  return "";
}

TEST(MakeDict, TheSenseTheCompoundsUseWins) {
  const std::string head = "Stock {m}; Boden {m} :: floor\n";
  const std::string compounds = "Bodenablauf {m} :: floor drain\nBetonboden {m} :: concrete floor\n";
  EXPECT_EQ(entry_line(dump(tables_of(head)), "FLOOR"), "FLOOR floor | SUNms-Nst @mStock");
  EXPECT_EQ(entry_line(dump(tables_of(head + compounds)), "FLOOR"), "FLOOR floor | SUNms-Nst @mBoden");
}

TEST(MakeDict, OneEnglishWordPrefersOneGermanWord) {
  const std::string d = dump(tables_of("eine Freude machen {v}; erfreuen {vt} :: to please\n"
                                       "E-Post {f}; elektronische Post {f} :: e-mail\n"));
  EXPECT_EQ(entry_line(d, "PLEASE"), "PLEASE please | VERTihVrg erfreuen | VPATphVrg erfreute | PPATphVrg erfreut");
  EXPECT_NE(d.find("+ E_-_MAIL e - mail | SUNfs-Nfe @fE-Post\n"), std::string::npos) << d;
}

// Example sentences tell which words are common, except those held out from the quality
// measurements.
TEST(MakeDict, HeldOutSentencesDoNotCount) {
  std::string held_out, kept;
  for (int k = 0, h = 0, d = 0; h < 8 || d < 8; ++k) {
    const std::string english = "Tea number " + std::to_string(k) + " is hot.";
    const std::string line = "Tee Nummer " + std::to_string(k) + " ist heiß. :: " + english + "\n";
    if (is_held_out(english) && h < 8) {
      held_out += line;
      ++h;
    } else if (!is_held_out(english) && d < 8) {
      kept += line;
      ++d;
    }
  }
  const std::string hot = "scharf {adj}; heiß {adj} :: hot\n";
  EXPECT_EQ(entry_line(dump(tables_of(hot + held_out)), "HOT"), "HOT hot | ADJp--Arg scharf");
  EXPECT_EQ(entry_line(dump(tables_of(hot + kept)), "HOT"), "HOT hot | ADJp--Arg heiß");
}

TEST(MakeDict, MissingVerbFormsFollowTheRules) {
  const std::string d = dump(tables_of(
      // weak verbs: the third person and the past from the participle
      "öffnen {vt} | öffnend | geöffnet :: to open | opening | opened\n"
      "abholen {vt} | abholend | abgeholt :: to collect | collecting | collected\n"
      // a strong verb keeps its stem vowel in the third person; its past is not made up
      "schwimmen {vi} | schwimmend | geschwommen :: to swim {swam; swum} | swimming | swum\n"
      // ... unless the vowel changes (gibt)
      "geben {vt} | gebend | gegeben :: to give | giving | given\n"
      // the forms of denken from a phrase that ends in it
      "logisch denken {vi} | logisch denkend | logisch gedacht | denkt logisch | dachte logisch :: "
      "to reason | reasoning | reasoned | reasons | reasoned\n"
      "denken {vi} :: to think {thought; thought}\n"));
  EXPECT_EQ(entry_line(d, "OPEN"), "OPEN open | VERTihVrg öffnen | VPATphVrg öffnete | PPATphVrg geöffnet");
  EXPECT_EQ(entry_line(d, "OPENS"), "OPENS opens | VERT3hVrg öffnet");
  EXPECT_EQ(entry_line(d, "OPENED"), "OPENED opened | VERTphVrg öffnete | PARTphVrg geöffnet");
  EXPECT_EQ(entry_line(d, "COLLECTS"), "COLLECTS collects | VERT3hVrg ab+holt");
  EXPECT_EQ(entry_line(d, "COLLECTED"), "COLLECTED collected | VERTphVrg ab+holte | PARTphVrg abgeholt");
  EXPECT_EQ(entry_line(d, "SWIMS"), "SWIMS swims | VERI3-Vir schwimmt");
  EXPECT_EQ(entry_line(d, "SWAM"), "");
  EXPECT_EQ(entry_line(d, "GIVES"), "");
  EXPECT_EQ(entry_line(d, "THINKS"), "THINKS thinks | VERI3-Vir denkt");
  EXPECT_EQ(entry_line(d, "THOUGHT"), "THOUGHT thought | VERIp-Vir dachte | PARIp-Vir gedacht");
}

// A verb whose third person shows its prefix apart marks that prefix with "+" in its
// infinitive, third person and past, so every person can split; its participles stay
// whole, and a phrase whose last word is no prefix of the infinitive marks nothing.
TEST(MakeDict, SeparableVerbsMarkTheirPrefix) {
  const std::string d = dump(tables_of(
      "ausdrücken {vt} | ausdrückend | ausgedrückt :: to express | expressing | expressed\n"
      "logisch denken {vi} | logisch denkend | logisch gedacht | denkt logisch | dachte logisch :: "
      "to reason | reasoning | reasoned | reasons | reasoned\n"));
  EXPECT_EQ(entry_line(d, "EXPRESS"),
            "EXPRESS express | VERTihVrg aus+drücken | VPATphVrg aus+drückte | PPATphVrg ausgedrückt");
  EXPECT_EQ(entry_line(d, "EXPRESSES"), "EXPRESSES expresses | VERT3hVrg aus+drückt");
  EXPECT_EQ(entry_line(d, "REASONS"), "REASONS reasons | VERI3-Vir denkt_logisch");
}

// What no line gives: a weak verb's forms, unless the verb ends in one that is not weak
// (davonkommen like kommen); a noun's plural by the rule for its gender and ending.
TEST(MakeDict, FormsNoLineGivesFollowTheRules) {
  const std::string d = dump(tables_of(
      "dienen {vi} :: to serve\n"
      "kommen {vi} | kommend | gekommen | kommt | kam :: to come | coming | come | comes | came\n"
      "davonkommen {vi} :: to escape\n"
      "heimkommen {vi} :: to return\n"
      "Zeitung {f} :: newspaper\n"
      "Lehrerin {f} :: teacher\n"
      "Tag {m} :: day\n"
      "Lehrer {m} :: schoolmaster\n"
      "Polizist {m} :: cop\n"));
  EXPECT_EQ(entry_line(d, "SERVES"), "SERVES serves | VERI3hVrg dient");
  EXPECT_EQ(entry_line(d, "SERVED"), "SERVED served | VERIphVrg diente | PARIphVrg gedient");
  EXPECT_EQ(entry_line(d, "ESCAPED"), "ESCAPED escaped | VERIp-Vir davon+kam | PARIp-Vir davongekommen");
  EXPECT_EQ(entry_line(d, "RETURNED"), "");
  EXPECT_EQ(entry_line(d, "NEWSPAPERS"), "NEWSPAPERS newspapers | SUNfp-Npx @pZeitungen");
  EXPECT_EQ(entry_line(d, "TEACHERS"), "TEACHERS teachers | SUNfp-Npx @pLehrerinnen");
  EXPECT_EQ(entry_line(d, "DAYS"), "DAYS days | SUNmp-Npn @pTage");
  EXPECT_EQ(entry_line(d, "SCHOOLMASTERS"), "SCHOOLMASTERS schoolmasters | SUNmp-Npn @pLehrer");
  EXPECT_EQ(entry_line(d, "COPS"), "COPS cops | SUNmp-Npx @pPolizisten");
}

// English sides the words hide in: an owner in front, an abbreviation note with "; " in
// it, a verb with its preposition ("insist on": the verb, as a last resort); and the forms
// a line gives that cannot be the verb's (aufbauen: erbaut) are left out.
TEST(MakeDict, WordsBehindOwnersNotesAndPrepositions) {
  const std::string d = dump(tables_of(
      "jds. Freundin {f} :: sb.’s girlfriend\n"
      "Jahrhundert {n} /Jh./ :: century /c; cent./\n"
      "auf etw. bestehen {vi} :: to insist on sth.\n"
      "bestehen {vi} | bestehend | bestanden | besteht | bestand :: to pass | passing | passed | passes | passed\n"
      "sprechen {vi} :: to talk\n"
      "ansprechen {vt} | ansprechend | angesprochen :: to address | addressing | addressed\n"
      "mit jdm. reden {vi} :: to talk to sb.\n"
      "aufbauen {vt} | aufbauend | aufgebaut | erbaut | erbaute :: "
      "to construct | constructing | constructed | constructs | constructed\n"));
  EXPECT_EQ(entry_line(d, "GIRLFRIEND"), "GIRLFRIEND girlfriend | SUNfs-Nfe @fFreundin");
  EXPECT_EQ(entry_line(d, "CENTURY"), "CENTURY century | SUNns-Nst @nJahrhundert");
  EXPECT_EQ(entry_line(d, "INSISTED"), "INSISTED insisted | VERIp-Vir bestand | PARIp-Vir bestanden");
  EXPECT_EQ(entry_line(d, "TALK"), "TALK talk | VERIi-Vuk sprechen");
  EXPECT_EQ(entry_line(d, "CONSTRUCTS"), "CONSTRUCTS constructs | VERT3hVrg auf+baut");
}


// The forms most lines give win over a line that puts one in the wrong place; haben's
// participle looks weak, its past is not.
TEST(MakeDict, TheFormsMostLinesGiveWin) {
  const std::string d = dump(tables_of(
      "besitzen {vt} | besitzend | besitzt :: to possess | possessing | possessed\n"
      "etw. besitzen {vt} | besitzend | besessen :: to hold | holding | held\n"
      "besitzen {vt} | besitzend | besessen :: to retain | retaining | retained\n"
      "besitzen {vt} :: to own\n"
      "vorhaben {vt} | vorhabend | vorgehabt :: to intend | intending | intended\n"));
  EXPECT_EQ(entry_line(d, "OWNED"), "OWNED owned | PARTphVir besessen");
  EXPECT_EQ(entry_line(d, "INTENDS"), "INTENDS intends | VERT3hVrg vor+hat");
}

// A verb is reflexive (R) when the German alternative chosen for it holds "sich", whatever
// the mark of its part says, and every form of it is: "sich beeilen" under {v} is,
// "zu jdm. gehen" under the {vr} of its part is not, and of "etw. waschen; sich waschen"
// the first, the chosen one, decides.
TEST(MakeDict, TheChosenSenseDecidesWhetherAVerbIsReflexive) {
  const std::string d = dump(tables_of(
      "sich an jdn./etw. erinnern {vr} | sich erinnernd | sich erinnert | er/sie erinnert sich | "
      "er/sie erinnerte sich :: to remember sb. | remembering | remembered | he/she remembers | "
      "he/she remembered\n"
      "sich beeilen {v} :: to hurry\n"
      "zu jdm. gehen; sich zu jdm. setzen {vr} :: to join sb.\n"
      "etw. waschen {vt}; sich waschen {vr} :: to wash\n"
      "sich treffen {vi} :: to meet\n"));
  EXPECT_EQ(entry_line(d, "REMEMBER"),
            "REMEMBER remember | VERRihVrg erinnern | VPARphVrg erinnerte | PPARphVrg erinnert");
  EXPECT_EQ(entry_line(d, "REMEMBERS"), "REMEMBERS remembers | VERR3hVrg erinnert");
  EXPECT_EQ(entry_line(d, "REMEMBERING"), "REMEMBERING remembering | PARRghVrg erinnernd | VPARphVrg erinnerte");
  EXPECT_EQ(entry_line(d, "HURRY"), "HURRY hurry | VERRihVrg beeilen | VPARphVrg beeilte | PPARphVrg beeilt");
  // The first reading up to its valency, and its German.
  auto first = [&](const std::string& key) {
    const std::string line = entry_line(d, key);
    const size_t bar = line.find(" | ");
    const size_t german = line.find(' ', bar + 3);
    const size_t end = line.find(" | ", german);
    return bar == std::string::npos || german == std::string::npos
               ? line
               : line.substr(bar + 3, 4) + " " + line.substr(german + 1, end - german - 1);
  };
  EXPECT_EQ(first("JOIN"), "VER- gehen");
  EXPECT_EQ(first("WASH"), "VERT waschen");
  EXPECT_EQ(first("MEET"), "VERR treffen");
}

// A label of several words is a note on usage, not a domain: it does not cost the sense
// the domain's penalty ("sich öffnen" of a thing would win over "etw. öffnen").
TEST(MakeDict, UsageNotesAreNoDomains) {
  const std::string d = dump(tables_of(
      "etw. öffnen {vt} :: to open sth.; to open up sth. [usually used in orders]\n"
      "sich öffnen {vr} (Sache) :: to open (of a thing)\n"
      "Tür {f} [constr.] :: door\n"
      "Pforte {f} :: door (in a wall)\n"));
  EXPECT_EQ(entry_line(d, "OPEN").substr(0, 29), "OPEN open | VERTihVrg öffnen");
  EXPECT_EQ(entry_line(d, "DOOR"), "DOOR door | SUNfs-Nfe @fPforte");
}

// A verb given only with objects that take prepositions is the verb alone, behind one
// given alone; an object followed by a particle keeps the verb out.
TEST(MakeDict, VerbsGivenWithTheirObjects) {
  const std::string d = dump(tables_of(
      "jdn. beschwatzen {vt} :: to coax sb. to do sth.\n"
      "jdm. von etw. erzählen {vt} :: to tell sb. of sth.\n"
      "jdn. besuchen {vt} :: to look sb. up\n"
      "jdm. etw. nahelegen {vt} :: to advise sb. to do sth.\n"
      "raten {vi} :: to advise\n"));
  EXPECT_EQ(entry_line(d, "COAX").substr(0, 32), "COAX coax | VERTihVrg beschwatze");
  EXPECT_NE(entry_line(d, "TELL").find("erzählen"), std::string::npos);
  EXPECT_EQ(entry_line(d, "LOOK"), "");
  EXPECT_NE(entry_line(d, "ADVISE").find("raten"), std::string::npos);
  EXPECT_EQ(entry_line(d, "ADVISE").find("nahe"), std::string::npos);
}

// A compound of a verb, "to" and a word whose German of several words holds no form of
// the verb paraphrases another sense of its line ("go to work": Arbeit haben) and is
// left to the grammar; one that keeps the verb (schlafen gehen) or is one word stays.
TEST(MakeDict, VerbToWordCompoundsKeepTheirVerb) {
  const std::string d = dump(tables_of(
      "gehen {vi} | gehend | gegangen | er/sie geht | ich/er/sie ging :: "
      "to go | going | gone | he/she goes | I/he/she went\n"
      "berufstätig sein; Arbeit haben {v} :: to go to work; to have a job\n"
      "schlafen gehen {vi} :: to go to sleep\n"
      "verkommen {vi} :: to go to seed\n"));
  EXPECT_EQ(d.find("GO_TO_WORK"), std::string::npos);
  EXPECT_NE(d.find("+ GO_TO_SLEEP go to sleep | VERI"), std::string::npos);
  EXPECT_NE(d.find("+ GO_TO_SEED go to seed | VERI"), std::string::npos);
}

// A hyphenated word of up to four pieces is one compound, whatever small words it holds,
// and the longest compounds come first; a phrase of blanks keeps to three words.
TEST(MakeDict, HyphenatedWordsOfManyPieces) {
  const dict_tables t = tables_of(
      "Schwiegervater {m} :: father-in-law\n"
      "persönlich {adj} :: one-on-one\n"
      "Tauziehen {n} :: tug-of-war\n"
      "Nachbarschaftsstreit {m} :: dispute-with-the-next-door-people\n"
      "Sauerteigbrot {n} :: sour dough bread\n"
      "Vater {m} :: father\n");
  const std::string d = dump(t);
  EXPECT_NE(d.find("+ FATHER_-_IN_-_LAW father - in - law | SUNms-Nst @mSchwiegervater\n"), std::string::npos) << d;
  EXPECT_NE(d.find("+ ONE_-_ON_-_ONE one - on - one | ADJp--Arg persönlich\n"), std::string::npos) << d;
  EXPECT_EQ(d.find("DISPUTE"), std::string::npos) << d;
  EXPECT_NE(d.find("+ SOUR_DOUGH_BREAD"), std::string::npos) << d;
  ASSERT_GE(t.compounds.size(), 4u);
  const auto words = [](const dict_compound& c) { return std::count(c.english.begin(), c.english.end(), ' '); };
  for (size_t k = 1; k < t.compounds.size(); ++k) {
    EXPECT_GE(words(t.compounds[k - 1]), words(t.compounds[k])) << t.compounds[k].joined;
  }
  EXPECT_EQ(words(t.compounds.back()), 2);
}

// An adjective whose lines list no comparative and superlative gets the regular ones, in
// German from another sense that lists them, from the list of those with an umlaut, or by
// the rules; an English form that is a word of its own, an adjective of more syllables and
// an undeclinable one get none.
TEST(MakeDict, RegularComparativesAndSuperlatives) {
  const std::string d = dump(tables_of(
      "klar {adj} :: clear\n"
      "stark {adj} :: strong\n"
      "glücklich {adj} :: happy\n"
      "dunkel {adj} :: dark\n"
      "rau {adj} :: big\n"
      "nass {adj} | nässer | am nässesten :: wet | wetter | wettest\n"
      "nass {adj} :: moist\n"
      "spannend {adj} :: exciting\n"
      "leicht {adj} :: light\n"
      "Feuerzeug {n} :: lighter\n"
      "lila {adj} :: mauve\n"));
  EXPECT_EQ(entry_line(d, "CLEARER"), "CLEARER clearer | ADJc--Arg klarer");
  EXPECT_EQ(entry_line(d, "CLEAREST"), "CLEAREST clearest | ADJs--Asp klarste");
  EXPECT_EQ(entry_line(d, "STRONGEST"), "STRONGEST strongest | ADJs--Asp stärkste");
  EXPECT_EQ(entry_line(d, "HAPPIER"), "HAPPIER happier | ADJc--Arg glücklicher");
  EXPECT_EQ(entry_line(d, "DARKER"), "DARKER darker | ADJc--Arg dunkler");
  EXPECT_EQ(entry_line(d, "BIGGEST"), "BIGGEST biggest | ADJs--Asp rauste");
  EXPECT_EQ(entry_line(d, "MOISTER"), "MOISTER moister | ADJc--Arg nässer");
  EXPECT_EQ(entry_line(d, "MOISTEST"), "MOISTEST moistest | ADJs--Asp nässeste");
  EXPECT_EQ(entry_line(d, "EXCITINGER"), "");
  EXPECT_EQ(entry_line(d, "LIGHTER").find("ADJ"), std::string::npos);
  EXPECT_NE(entry_line(d, "LIGHTEST"), "");
  EXPECT_EQ(entry_line(d, "MAUVER"), "");
}

// A name the German writes as the English stays as written, whatever its place on the
// line; an adjective given with its gender endings is its form in -e; a predicate "to be
// ..." of an adjective and "sein" gives the adjective when no line gives it alone, and
// that one gets no regular comparative.
TEST(MakeDict, NamesGenderEndingsAndPredicates) {
  const std::string d = dump(tables_of(
      "Rhein {m}; Rhenus {m} [geogr.] :: Rhenus; Rhine\n"
      "Theodor {m}; Ted {m} :: Ted\n"
      "vordere/r/s {adj} :: fore\n"
      "wach sein {v} :: to be awake\n"
      "gesund sein {v} :: to be well\n"
      "gut {adv} :: well\n"
      "Angst haben {v} :: to be scared\n"));
  EXPECT_EQ(entry_line(d, "TED"), "TED Ted | NAMms-Nst @mTed");
  EXPECT_EQ(entry_line(d, "RHINE"), "RHINE Rhine | NAMms-Nst @mRhein");
  EXPECT_EQ(entry_line(d, "FORE"), "FORE fore | ADJp--Asp vordere");
  EXPECT_EQ(entry_line(d, "AWAKE"), "AWAKE awake | ADJp--Arg wach");
  EXPECT_EQ(entry_line(d, "AWAKER"), "");
  EXPECT_EQ(entry_line(d, "WELL"), "WELL well | ADVp--Inv gut | ADJp--Arg gesund");
  EXPECT_EQ(entry_line(d, "SCARED"), "");
}

// Words a German line offers in one place ("A/B") are the first of them, in a phrase and
// alone, before its placeholders and prepositions are taken off; a placeholder pair stays
// one placeholder, and a slash beside other marks still makes the words unusable.
TEST(MakeDict, GermanWordChoicesAreTheFirst) {
  const std::string d = dump(tables_of(
      "etw. von/aus etw. ableiten {vt} :: to deduce\n"
      "Gaul/Klepper {m} :: nag\n"
      "jdn./etw. rühmen {vt} :: to praise\n"
      "Tür/2 {f} :: door\n"));
  EXPECT_EQ(entry_line(d, "DEDUCE"),
            "DEDUCE deduce | VERTihVrg ab+leiten | VPATphVrg ab+leitete | PPATphVrg abgeleitet");
  EXPECT_NE(entry_line(d, "NAG").find("@mGaul"), std::string::npos) << entry_line(d, "NAG");
  EXPECT_EQ(entry_line(d, "NAG").find("Klepper"), std::string::npos) << entry_line(d, "NAG");
  EXPECT_NE(entry_line(d, "PRAISE").find(" rühmen"), std::string::npos) << entry_line(d, "PRAISE");
  EXPECT_EQ(entry_line(d, "DOOR"), "");
}

}  // namespace
}  // namespace zembu

namespace zembu {
namespace {

// A verb compound whose past and past participle read alike ("sat down") carries both,
// the past first, so the grammar can choose the finite verb or the participle; a compound
// whose two forms differ keeps its one reading.
TEST(MakeDict, PhrasalVerbPastKeepsThePastAndTheParticiple) {
  const dict_tables t = tables_of(
      "sich hinsetzen {vr} | sich hinsetzend | sich hingesetzt | er/sie setzt sich hin | "
      "ich/er/sie setzte sich hin :: to sit down | sitting down | sat down | he/she sits down | "
      "I/he/she sat down\n"
      "sitzen {vi} | sitzend | gesessen | er/sie sitzt | ich/er/sie saß :: "
      "to sit | sitting | sat | he/she sits | I/he/she sat\n"
      "aufgeben {vt} | aufgebend | aufgegeben | er/sie gibt auf | ich/er/sie gab auf :: "
      "to give up | giving up | given up | he/she gives up | I/he/she gave up\n");
  const std::string d = dump(t);
  EXPECT_NE(d.find("+ SAT_DOWN sat down | VERRphVrg hin+setzte | PARRphVrg hingesetzt\n"), std::string::npos) << d;
  EXPECT_NE(d.find("+ GAVE_UP gave up | VERTphVir auf+gab\n"), std::string::npos) << d;
  EXPECT_NE(d.find("+ GIVEN_UP given up | PARTphVir aufgegeben\n"), std::string::npos) << d;
  // The merged source writes the two readings with whole codes, as the compiler takes a
  // compound's translation without expanding abbreviations.
  const std::string merged = merged_rules(scan_rules(kRules), t, "x");
  EXPECT_NE(merged.find("\n- sat down\nVER *VERRphVrghin+setzte*PARRphVrghingesetzt\n"), std::string::npos)
      << merged;
}

}  // namespace
}  // namespace zembu

namespace zembu {
namespace {

// A verb line that gives only the participles, or its past in the third person, still
// yields a past: in English the participle's spelling (the rule alone would not double
// the r of "occurred"; its spelling stays as a second form), in German the base verb's
// past behind the prefix when the participles agree (benahm from nahm), else the
// regular one.
TEST(MakeDict, PastFromTheParticipleAndTheBaseVerb) {
  const std::string d = dump(tables_of(
      "nehmen {vt} | nehmend | genommen | er/sie nimmt | ich/er/sie nahm :: "
      "to take | taking | taken | he/she takes | I/he/she took\n"
      "sich benehmen {vr} | sich benehmend | sich benommen :: to behave | behaving | behaved\n"
      "vorfallen {vi} | vorfallend | vorgefallen :: to occur | occurring | occurred\n"
      "fallen {vi} | fallend | gefallen | er/sie fällt | ich/er/sie fiel :: "
      "to fall | falling | fallen | he/she falls | I/he/she fell\n"
      "schrecken {vi} | schreckend | geschrocken | er/sie schrickt | ich/er/sie schrak :: "
      "to startle | startling | startled | he/she startles | I/he/she startled\n"
      "erschrecken {vt} | erschreckend | erschreckt :: to frighten | frightening | frightened\n"
      "widerfahren {vi} | widerfahrend | widerfahren | es widerfährt | es widerfuhr :: "
      "to befall | befalling | befallen | it befalls | it befell\n"));
  EXPECT_EQ(entry_line(d, "BEHAVED"), "BEHAVED behaved | VERRphVir benahm | PARRphVir benommen") << d;
  EXPECT_NE(entry_line(d, "OCCURRED").find("VERIp"), std::string::npos) << d;
  EXPECT_NE(entry_line(d, "OCCURRED").find("fiel"), std::string::npos) << d;
  EXPECT_NE(entry_line(d, "OCCURED").find("fiel"), std::string::npos) << d;
  // erschrecken's own participle is weak: no past of schrecken.
  EXPECT_EQ(entry_line(d, "FRIGHTENED").find("schrak"), std::string::npos) << d;
  EXPECT_NE(entry_line(d, "FRIGHTENED").find("erschreckte"), std::string::npos) << d;
  // The second part in the third person is the past.
  EXPECT_NE(entry_line(d, "BEFELL").find("widerfuhr"), std::string::npos) << d;
  EXPECT_NE(entry_line(d, "BEFALLS").find("widerfährt"), std::string::npos) << d;
}

}  // namespace
}  // namespace zembu

namespace zembu {
namespace {

// A first name that is also a common word is the name first, as written, its other
// readings behind; a name line needs a gender m or f.
TEST(MakeDict, OverrideNamesComeFirst) {
  std::string problems;
  const dict_overrides o = parse_overrides("Tom name m\nAnn name x\nSue name\n", problems);
  EXPECT_EQ(problems, "line 2: Ann name x\nline 3: Sue name\n");
  EXPECT_EQ(o.names, (std::map<std::string, char>{{"Tom", 'm'}}));
  const std::string d = dump(tables_of("Kater {m} :: tom\nRose {f} :: rose\n", kRules,
                                       "Tom name m\nRose name f\nNobody name m\n"));
  EXPECT_EQ(entry_line(d, "TOM"), "TOM tom | NAMms-Nst @mTom | SUNms-Nst @mKater") << d;
  EXPECT_EQ(entry_line(d, "ROSE"), "ROSE rose | NAMfs-Nfe @fRose | SUNfs-Nfe @fRose") << d;
  // A name the dictionary has no word for needs no entry: the engine keeps it as written.
  EXPECT_EQ(entry_line(d, "NOBODY"), "") << d;
}

}  // namespace
}  // namespace zembu
