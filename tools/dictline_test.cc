#include "tools/dictline.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

TEST(DictLine, PartsAlternativesMarksLabelsAndComments) {
  dict_line l;
  ASSERT_EQ(parse_dict_line("Karren {m} (kleines Fahrzeug) [agr.] [Süddt.]; Wagen {m} | Karren {pl}; "
                            "Wagen {pl} :: cart [Br.]; wagon (small vehicle) | carts; wagons\r",
                            l),
            line_kind::entry);
  ASSERT_EQ(l.german.size(), 2u);
  ASSERT_EQ(l.english.size(), 2u);
  ASSERT_EQ(l.german[0].size(), 2u);
  const dict_alt& karren = l.german[0][0];
  EXPECT_EQ(karren.text, "Karren");
  EXPECT_EQ(karren.marks, (std::vector<std::string>{"m"}));
  EXPECT_EQ(karren.labels, (std::vector<std::string>{"agr.", "Süddt."}));
  EXPECT_TRUE(karren.commented);
  EXPECT_FALSE(l.german[0][1].commented);
  EXPECT_EQ(l.german[1][1].marks, (std::vector<std::string>{"pl"}));
  EXPECT_EQ(l.english[0][0].text, "cart");
  EXPECT_EQ(l.english[0][0].labels, (std::vector<std::string>{"Br."}));
  EXPECT_EQ(l.english[0][1].text, "wagon");
  EXPECT_TRUE(l.english[0][1].commented);
  EXPECT_EQ(l.english[1][1].text, "wagons");
}

TEST(DictLine, SeparatorsInsideBracketsAndVariantsStayInside) {
  dict_line l;
  ASSERT_EQ(parse_dict_line("mit {prp; +Dat.} | mit dem Bus fahren (a | b; c) :: with <wiv> | to go "
                            "by bus; by coach",
                            l),
            line_kind::entry);
  ASSERT_EQ(l.german.size(), 2u);
  ASSERT_EQ(l.german[0].size(), 1u);
  EXPECT_EQ(l.german[0][0].marks, (std::vector<std::string>{"prp; +Dat."}));
  ASSERT_EQ(l.german[1].size(), 1u);
  EXPECT_EQ(l.german[1][0].text, "mit dem Bus fahren");
  EXPECT_EQ(l.english[0][0].text, "with");
  ASSERT_EQ(l.english[1].size(), 2u);
  EXPECT_EQ(l.english[1][1].text, "by coach");
  // A "<" without its ">" is an ordinary character.
  ASSERT_EQ(parse_dict_line("kleiner als {adj} :: less than <", l), line_kind::entry);
  EXPECT_EQ(l.english[0][0].text, "less than <");
}

TEST(DictLine, LinesThatCannotBeUsedSayWhy) {
  dict_line l;
  EXPECT_EQ(parse_dict_line("", l), line_kind::comment);
  EXPECT_EQ(parse_dict_line("   ", l), line_kind::comment);
  EXPECT_EQ(parse_dict_line("# Version :: devel", l), line_kind::comment);
  EXPECT_EQ(parse_dict_line("K\xe4se {m} :: cheese", l), line_kind::bad_utf8);
  EXPECT_EQ(parse_dict_line("Fenster {n} - window", l), line_kind::no_separator);
  EXPECT_EQ(parse_dict_line("a :: b :: c", l), line_kind::no_separator);
  EXPECT_EQ(parse_dict_line("Tisch {m | Tische {pl} :: table | tables", l), line_kind::unbalanced);
  EXPECT_EQ(parse_dict_line("Tisch {m] :: table", l), line_kind::unbalanced);
  EXPECT_EQ(parse_dict_line("Tisch {m} :: table)", l), line_kind::unbalanced);
  EXPECT_EQ(parse_dict_line("Stuhl {m} | St\xc3\xbchle {pl} :: chair", l), line_kind::misaligned);
  EXPECT_STREQ(line_kind_name(line_kind::misaligned), "sides with different numbers of \" | \" parts");
}

TEST(DictLine, WellFormedUtf8) {
  EXPECT_TRUE(well_formed_utf8("H\xc3\xa4user \xe2\x80\x99 \xf0\x9f\x98\x80"));
  EXPECT_FALSE(well_formed_utf8("\xc3"));              // cut short
  EXPECT_FALSE(well_formed_utf8("\xc0\xaf"));          // overlong
  EXPECT_FALSE(well_formed_utf8("\xe0\x80\xaf"));      // overlong
  EXPECT_FALSE(well_formed_utf8("\xed\xa0\x80"));      // a surrogate
  EXPECT_FALSE(well_formed_utf8("\xf4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(well_formed_utf8("a\x80"));
}

}  // namespace
}  // namespace zembu
