// The function-list rule table: which patterns recognise a function header and its body, per
// language number.
#pragma once

#include <string>
#include <vector>

namespace pw::functionlist {

// Search flags of the editing component, as the rule sets combine them.
constexpr int ScFindWholeWord = 2;
constexpr int ScFindMatchCase = 4;
constexpr int ScFindRegExp = 0x200000;
constexpr int ScFindPosix = 0x400000;
// Regular expression, POSIX parentheses and whole word: the base of every search of a parse.
constexpr int ScFindBase = ScFindRegExp | ScFindPosix | ScFindWholeWord;

// One header form. Patterns use the editing component's regular-expression syntax (with
// "\(" and "\)" for literal parentheses); an empty pattern means "none".
struct Rule
{
    std::string prefix;     // text before the name
    std::string name;       // the name itself
    std::string suffix;     // text after the name
    std::string blockOpen;  // where the body starts
    std::string blockClose; // where the body ends
    std::string breaker;    // alternatives ("|") that mark the header as a declaration only
};

// A region that hides headers: comments and string literals. An empty close pattern means the
// region ends at the end of the line.
struct SkipPair
{
    std::string open;
    std::string close;
    // A header inside such a region is never listed: preprocessor lines hold macros, not the
    // commented-out code that a header in a comment may be.
    bool hidesHeaders = false;
};

struct RuleSet
{
    int lexerId = 0;
    bool supported = false;
    bool matchCase = false;
    std::vector<Rule> rules;
    std::vector<SkipPair> skipPairs;
    std::string nestOpeners;   // alternatives ("|") that pair with a block close
    std::string nestedHeaders; // alternatives ("|") that push the block opening further on
    // Alternatives ("|") that, found on a header's line before it, show it is no function: a
    // macro call between "namespace std" and its brace.
    std::string notAfter;

    // Flags of the header, name and block searches; skip regions always search without case.
    int searchFlags() const { return ScFindBase | (matchCase ? ScFindMatchCase : 0); }
};

// The rule set of a language number; numbers without rules give a set with supported == false
// and no rules.
RuleSet ruleSetFor(int lexerId);

// Language numbers that have rules, ascending.
std::vector<int> supportedLexerIds();

// Splits a pattern of alternatives at each "|" and drops the empty pieces.
std::vector<std::string> splitAlternatives(const std::string &pattern);

} // namespace pw::functionlist
