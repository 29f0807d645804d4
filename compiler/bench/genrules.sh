#!/usr/bin/env bash
# Writes a large synthetic rule source to standard output: a SUBSTITUTION section of
# PAIRS pairs, a LEXICON section of ENTRIES entries (a few abbreviations, every third
# entry with a plural after "*"), and small TERMINATION and SYNTAX sections.
# Usage: genrules.sh [ENTRIES] [PAIRS] > rules.txt
set -euo pipefail
entries=${1:-300000}
pairs=${2:-20}

awk -v entries="$entries" -v pairs="$pairs" 'BEGIN {
  print "; synthetic rule source for timing makezembu"
  print "SUBSTITUTIONS"
  # Pairs that match parts of the generated headwords, so normalisation does real work.
  split("PH F|OU O|QU KW|TH T|CK K|SCH SH|EE I|OO U|AE E|Y I", fix, "|")
  for (i = 1; i <= pairs; i++) {
    if (i <= 10) { split(fix[i], p, " "); print p[1] " -> " p[2] }
    else print "ZQ" i " -> Z" i
  }
  print "-----"
  print "TERMINATIONS"
  print "-ing G PRP------VER"
  print "-ed D PAP------VER"
  print "+s P PLU------NOU"
  print "-----"
  print "LEXICON"
  print "n = NOU---SN"
  print "v = VER---INF"
  print "a = ADJ---ADJ"
  print "pl = NOU---PL"
  split("n v a", cls, " ")
  split("phou que thee kock scho aey oobe rigu mant lith", stem, " ")
  for (i = 0; i < entries; i++) {
    w = stem[i % 10 + 1] sprintf("%x", i)
    if (i % 3 == 0) print w " n Wort" i " *pl Woerter" i " x"
    else print w " " cls[i % 3 + 1] " Ding" i
  }
  print "-----"
  print "SYNTAX"
  print "NN -ING -> VP (001+002, 003)"
  print "ART NN -> NP (001, 002)"
  print "-----"
}'
