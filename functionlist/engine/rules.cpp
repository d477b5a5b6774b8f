// The function-list rule table, one rule set per supported language number.
#include "functionlist/engine/rules.h"

namespace pw::functionlist {

namespace {

const SkipPair Hash{"#", ""};
// A C preprocessor line with the lines its trailing backslashes join to it: the body of a
// multi-line macro holds "if (x) {" and "while (0)" that are no functions.
const SkipPair Directive{"#", R"~([^\\]$)~", true};
const SkipPair LineComment{"//", ""};
const SkipPair BlockComment{R"~(/\*)~", R"~(\*/)~"};
const SkipPair DoubleQuote{"\"", "\""};
const SkipPair SingleQuote{"'", "'"};

RuleSet makeSet(int id, bool matchCase, std::vector<SkipPair> skips, std::string nest,
                std::vector<Rule> rules)
{
    RuleSet set;
    set.lexerId = id;
    set.supported = true;
    set.matchCase = matchCase;
    set.skipPairs = std::move(skips);
    set.nestOpeners = std::move(nest);
    set.rules = std::move(rules);
    return set;
}

RuleSet cFamily(int id)
{
    const std::string parameters =
        R"~([ \t]*\([:0-9A-Za-z_\-&<>/\*, \t.\[\]\(\)=]*\)[ \t]*[const]*)~";
    const std::string breakers = R"~([;\"]|\<namespace\>|\<class\>|\<struct\>|\<union\>|\<enum\>)~";
    RuleSet set =
        makeSet(id, true, {Directive, LineComment, BlockComment, DoubleQuote}, R"~(\{)~",
                {// Conversion operators and "operator new" by their whole name ("operator
                 // Matcher<T>"), which the rule after this one would give as "T>". Listed first, so
                 // that this name is the one kept for a function both rules find.
                 {"", R"~(\<operator[ \t]+[0-9A-Za-z_:][0-9A-Za-z_:<>,&\* \t]*)~", parameters,
                  R"~(\{)~", R"~(\})~", breakers},
                 {"", R"~(~*[0-9A-Za-z_]+[ =<>+\-\*/\[\]]*)~", parameters, R"~(\{)~", R"~(\})~",
                  breakers}});
    // "namespace std _GLIBCXX_VISIBILITY(default) {" would make the whole namespace one function,
    // as would a macro call followed by "namespace testing {" (the breakers above).
    set.notAfter = R"~(\<namespace\>)~";
    return set;
}

RuleSet resourceScript()
{
    std::vector<Rule> rules;
    for (const char *kind : {R"~([ \t]+DIALOG)~", R"~([ \t]+VERSIONINFO)~", R"~([ \t]+MENU)~"})
        rules.push_back(
            {R"~(^[ \t/]*)~", R"~([0-9A-Za-z_]+)~", kind, R"~(\<BEGIN\>)~", R"~(\<END\>)~", ""});
    return makeSet(7, true, {LineComment, BlockComment}, R"~(\<BEGIN\>)~", std::move(rules));
}

RuleSet javaFamily(int id)
{
    return makeSet(id, true, {LineComment, BlockComment}, R"~(\{)~",
                   {{R"~(\<)~", R"~(~*[0-9A-Za-z_]+)~", R"~([ \t]*\([0-9A-Za-z_\.<>\[\], \t]*\))~",
                     R"~(\{)~", R"~(\})~", R"~(;|\])~"}});
}

RuleSet assembler()
{
    return makeSet(32, true, {{";", ""}}, "",
                   {{"^", R"~([0-9A-Za-z_]+)~", R"~([ \t]*:)~", "", "", ""}});
}

RuleSet iniFile()
{
    return makeSet(
        13, true, {{R"~(^[ \t]*;)~", ""}}, "",
        {{R"~(^[ \t;]*[\["]+)~", R"~([0-9A-Za-z_.; \(\)-]+)~", R"~([\]"]+[ \t]*$)~", "", "", ""}});
}

RuleSet php()
{
    return makeSet(
        1, true, {Hash, LineComment, BlockComment}, R"~(\{)~",
        {{R"~(function[ \t&]+)~", R"~(["0-9A-Za-z_]+)~",
          R"~([ \t]*\([0-9A-Za-z_\-\*#$&='/",;:<> \t()\.]*\))~", R"~(\{)~", R"~(\})~", ";"}});
}

RuleSet javaScript(int id)
{
    const std::string assigned = R"~([ \t]*[=:][ \t]*function[ \t]*\([0-9A-Za-z_$&=', \t]*\))~";
    return makeSet(
        id, true, {Hash, LineComment, BlockComment}, R"~(\{)~",
        {{R"~(function[ \t&]+)~", R"~(["0-9A-Za-z_]+)~",
          R"~([ \t]*\([0-9A-Za-z_$&='",;:<> \t()]*\))~", R"~(\{)~", R"~(\})~", ";"},
         {R"~(^[ \t]*)~", R"~(["0-9A-Za-z_.]+)~", assigned, R"~(\{)~", R"~(\})~", ";"},
         {R"~(^[ \t]*var[ \t]*)~", R"~(["0-9A-Za-z_.]+)~", assigned, R"~(\{)~", R"~(\})~", ";"}});
}

RuleSet set27()
{
    return makeSet(27, true, {Hash, LineComment, BlockComment}, R"~(\{)~",
                   {{R"~(function[ \t&]+)~", R"~(["0-9A-Za-z_]+)~",
                     R"~([ \t]*\([0-9A-Za-z_:, \t]*\))~", R"~(\{)~", R"~(\})~", ";"}});
}

RuleSet lisp()
{
    return makeSet(30, false, {}, "",
                   {{R"~([ \t]*defun[ \t]*)~", R"~([0-9A-Za-z_\-:]+)~", "", "", "", ""}});
}

RuleSet vbScript()
{
    return makeSet(16, false, {{"'", ""}, LineComment}, "",
                   {{R"~(\<function[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]*\(.*\))~", "",
                     R"~(\<end[ \t]+function\>)~", ""},
                    {R"~(\<sub[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]*\(.*\))~", "",
                     R"~(\<end[ \t]+sub\>)~", ""}});
}

RuleSet pascal()
{
    std::vector<Rule> rules;
    for (const char *prefix : {R"~(procedure[ \t]+)~", R"~(function[ \t]+)~",
                               R"~(constructor[ \t]+)~", R"~(destructor[ \t]+)~"})
        rules.push_back({prefix, R"~([0-9A-Za-z_]*\.*[0-9A-Za-z_]+)~", R"~([ \t]*.*;)~",
                         R"~(\<begin\>)~", R"~(\<end\>)~",
                         "function|procedure|destructor|constructor|"});
    return makeSet(11, false, {LineComment, SingleQuote, {"{", "}"}, {R"~(\(\*)~", R"~(\*\))~"}},
                   R"~(\<begin\>)~", std::move(rules));
}

RuleSet python()
{
    return makeSet(
        22, true, {Hash}, "",
        {{R"~(def[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]*\(.*\)[ \t]*:)~", "", "", ""},
         // A return annotation between the parameters and the colon ("-> int", "-> None").
         {R"~(def[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]*\(.*\)[ \t]*->.*:)~", "", "", ""}});
}

RuleSet perl()
{
    // A declaration ("sub name;", perhaps with attributes) ends its line at the semicolon; a
    // prototype's semicolon ("($;$)") does not, and its sub still has a body to come.
    return makeSet(21, true, {Hash}, R"~(\{)~",
                   {{R"~(\<sub[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~(\>)~", R"~(\{)~", R"~(\})~",
                     R"~(;[ \t]*$|;[ \t]*#)~"}});
}

RuleSet objectiveC()
{
    std::vector<Rule> rules;
    for (const char *prefix : {R"~([\+-][ \t]*\([0-9A-Za-z\*& \t]+\)[ \t]*)~", R"~([\+-][ \t]*)~"})
        for (const char *suffix : {R"~([ \t]*:)~", R"~([ \t]*$)~"})
            rules.push_back({prefix, R"~([0-9A-Za-z_]+)~", suffix, R"~(\{)~", R"~(\})~", "#;"});
    return makeSet(5, true, {LineComment, BlockComment}, R"~(\{)~", std::move(rules));
}

RuleSet lua()
{
    return makeSet(
        23, true, {DoubleQuote, SingleQuote, {"--", ""}, {R"~(--\[\[)~", R"~(\]\])~"}},
        R"~(\<do\>|\<if\>|\<function\>)~",
        {{R"~(^[- \t]*function[ \t]+)~", R"~([0-9A-Za-z_:.]+)~",
          R"~([ \t]*\([0-9A-Za-z_,. \t]*\))~", "", R"~(\<end\>)~", ""},
         {R"~(^[- \t]*)~", R"~([0-9A-Za-z_:.]+)~",
          R"~([ \t]*=[ \t]*function[ \t]*\([0-9A-Za-z_, \t]*\))~", "", R"~(\<end\>)~", ""}});
}

RuleSet fortran()
{
    std::vector<Rule> rules;
    const std::pair<const char *, const char *> kinds[] = {
        {R"~([ \t]*subroutine[ \t]*)~", R"~(^[ \t]*end)~"},
        {R"~([ \t]*subroutine[ \t]*)~", R"~(^[ \t]*end[ \t]*subroutine)~"},
        {R"~([ \t]*function[ \t]*)~", R"~(^[ \t]*end)~"},
        {R"~([ \t]*function[ \t]*)~", R"~(^[ \t]*end[ \t]*function)~"},
        {R"~([ \t]*program[ \t]*)~", R"~(^[ \t]*end)~"},
        {R"~([ \t]*program[ \t]*)~", R"~(^[ \t]*end[ \t]*program)~"},
    };
    for (const char *suffix : {R"~([ \t]*\(.*\))~", ""})
        for (const auto &[prefix, close] : kinds)
            rules.push_back({prefix, R"~([0-9A-Za-z_]+)~", suffix, "", close, ""});
    return makeSet(25, false, {{"^C", ""}}, "", std::move(rules));
}

RuleSet nsis()
{
    std::vector<Rule> rules;
    const std::pair<const char *, const char *> plain[] = {
        {R"~(^Function\>.*[ \t]+)~", R"~(\<FunctionEnd\>)~"},
        {R"~(^Section\>.*[ \t]+)~", R"~(\<SectionEnd\>)~"},
        {R"~(^SubSection\>.*[ \t]+)~", R"~(\<SubSectionEnd\>)~"},
    };
    const std::pair<const char *, const char *> quoted[] = {
        {R"~(^Function\>[ \t]*\")~", R"~(\<FunctionEnd\>)~"},
        {R"~(^Section\>[ \t]*\")~", R"~(\<SectionEnd\>)~"},
        {R"~(^SubSection\>[ \t]*\")~", R"~(\<SubSectionEnd\>)~"},
    };
    for (const auto &[prefix, close] : plain)
        rules.push_back({prefix, R"~([-.0-9A-Za-z_]+$)~", "", "", close, ""});
    for (const auto &[prefix, close] : quoted)
        rules.push_back({prefix, R"~([-.0-9A-Za-z_ ]+)~", R"~(\"$)~", "", close, ""});
    return makeSet(28, true, {Hash, {";", ""}, DoubleQuote}, "", std::move(rules));
}

RuleSet vhdl()
{
    const std::string header = R"~([ \t]*[:\(]+[.,0-9A-Za-z_ \t()]+$)~";
    const std::string routineParameters = R"~([ \t]*\([0-9A-Za-z_,;: \t()]*\))~";
    const std::string routineName = R"~([a-zA-Z0-9_"\+-\*/]+)~";
    RuleSet set = makeSet(
        38, false, {{"--", ""}}, R"~(\<IF\>|\<COMPONENT\>|\<LOOP\>|\<CASE\>|\<BEGIN\>)~",
        {{R"~(^[ \t]*)~", R"~([0-9A-Za-z_]+)~", header, R"~(\<port[ \t]+map\>)~", R"~(\)[ \t]*;)~",
          R"~(\<END\>.*;)~"},
         {R"~(^[ \t]*)~", R"~([0-9A-Za-z_]+)~", header, R"~(\<BEGIN\>)~", R"~(\<END\>.*;)~",
          R"~(^[ \t]*\)[ \t]*;)~"},
         {R"~(ENTITY[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]+IS)~", "", R"~(\<END\>.*;)~", ""},
         {R"~(function[ \t]+)~", routineName, routineParameters, R"~(\<BEGIN\>)~",
          R"~(\<END\>.*;)~", ""},
         {R"~(procedure[ \t]+)~", routineName, routineParameters, R"~(\<BEGIN\>)~",
          R"~(\<END\>.*;)~", ""}});
    set.nestedHeaders = R"~(\<FUNCTION\>|\<PROCEDURE\>)~";
    return set;
}

RuleSet sql()
{
    const std::string name = R"~([0-9A-Za-z_]+[\.[0-9A-Za-z_]*)~";
    return makeSet(
        17, false, {{"--", ""}, BlockComment}, "",
        {{R"~(^[ \t]*create[ \t]+function[ \t]+)~", name, R"~([ \t]*\(.*\))~", R"~(\<AS\>)~",
          R"~(\<GO\>)~", ";"},
         {R"~(^[ \t]*create[ \t]+procedure[ \t]+)~", name, "", R"~(\<AS\>)~", R"~(\<GO\>)~", ";"},
         {R"~(^[ \t]*function[ \t]+)~", name, R"~([ \t]*\(.*\))~", R"~(\<IS\>)~", R"~(\<END\>)~",
          ";"},
         {R"~(^[ \t]*proc[edur]*[ \t]+)~", name, R"~([ \t]*\(.*\))~", R"~(\<IS\>)~", R"~(\<END\>)~",
          ";"}});
}

RuleSet visualBasic()
{
    return makeSet(18, false, {{"'", ""}}, "",
                   {{R"~(sub[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]*\(.*\))~", "",
                     R"~(\<end[ \t]+sub\>)~", ""},
                    {R"~(function[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]*\(.*\))~", "",
                     R"~(\<end[ \t]+function\>)~", ""}});
}

RuleSet batch()
{
    return makeSet(12, true, {{"::", ""}}, "",
                   {{R"~(^[ \t]*:)~", R"~([0-9A-Za-z_]+)~", "$", "", "", ""}});
}

// Function names as bash takes them: "my-func", "ns::go", "a.b" as well as plain words.
const char *const ShellName = R"~([0-9A-Za-z_][0-9A-Za-z_\-.:]*)~";

RuleSet shell()
{
    return makeSet(
        26, true, {Hash}, R"~(\{)~",
        {{R"~(^[ \t]*function[ \t]+)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]+[() \t]*)~", R"~(\{)~",
          R"~(\})~", ""},
         {R"~(^[ \t]*)~", R"~([0-9A-Za-z_]+)~", R"~([ \t]+\([ \t]*\))~", R"~(\{)~", R"~(\})~", ""},
         // "function name() {", and the brace on the next line.
         {R"~(^[ \t]*function[ \t]+)~", ShellName, R"~([() \t]*)~", R"~(\{)~", R"~(\})~", ""},
         // The usual form, "name() {", which bash, dash and POSIX sh all take.
         {R"~(^[ \t]*)~", ShellName, R"~(\([ \t]*\))~", R"~(\{)~", R"~(\})~", ""}});
}

RuleSet tcl()
{
    const std::string name = R"~([0-9A-Za-z_\-+&|]+)~";
    const std::string braced = R"~([ \t]+\{[0-9A-Za-z_\-$&='/" \t\{\}]+\})~";
    const std::string bare = R"~([ \t]+[0-9A-Za-z_\-+$&='/" \t]*)~";
    const std::string proc = R"~(^[ \t]*proc[ \t]+)~";
    const std::string method = R"~(^[ \t]*proc[ \t]+[0-9A-Za-z_\-+&|]+[ \t]*::[ \t]*)~";
    // Qualified names ("::tk::Priv", "ns::helper"), listed whole. These rules come first so that
    // the full name is the one kept where the method rules find the same proc by its last part.
    // Their braced arguments may hold default values of any kind ("{{w .} {cmd {}}}"): up to the
    // line's last closing brace.
    const std::string qualified = R"~([0-9A-Za-z_\-+&|:]*::[0-9A-Za-z_\-+&|]+)~";
    const std::string anyBraced = R"~([ \t]+\{.*\})~";
    std::vector<Rule> rules;
    for (const std::string &suffix : {anyBraced, bare})
        rules.push_back({proc, qualified, suffix, R"~(\{)~", R"~(\})~", ""});
    for (const std::string &prefix : {proc, method})
        for (const std::string &suffix : {braced, bare})
            rules.push_back({prefix, name, suffix, R"~(\{)~", R"~(\})~", ":"});
    return makeSet(29, true, {Hash, DoubleQuote}, R"~(\{>)~", std::move(rules));
}

} // namespace

RuleSet ruleSetFor(int lexerId)
{
    switch (lexerId) {
    case 1:
        return php();
    case 2:
    case 3:
        return cFamily(lexerId);
    case 4:
    case 6:
        return javaFamily(lexerId);
    case 5:
        return objectiveC();
    case 7:
        return resourceScript();
    case 8:
    case 19:
        return javaScript(lexerId);
    case 11:
        return pascal();
    case 12:
        return batch();
    case 13:
        return iniFile();
    case 16:
        return vbScript();
    case 17:
        return sql();
    case 18:
        return visualBasic();
    case 21:
        return perl();
    case 22:
        return python();
    case 23:
        return lua();
    case 25:
        return fortran();
    case 26:
        return shell();
    case 27:
        return set27();
    case 28:
        return nsis();
    case 29:
        return tcl();
    case 30:
        return lisp();
    case 32:
        return assembler();
    case 38:
        return vhdl();
    default: {
        RuleSet unsupported;
        unsupported.lexerId = lexerId;
        return unsupported;
    }
    }
}

std::vector<int> supportedLexerIds()
{
    std::vector<int> ids;
    for (int id = 1; id <= 38; ++id)
        if (ruleSetFor(id).supported)
            ids.push_back(id);
    return ids;
}

std::vector<std::string> splitAlternatives(const std::string &pattern)
{
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    while (start <= pattern.size()) {
        const auto bar = pattern.find('|', start);
        const auto end = bar == std::string::npos ? pattern.size() : bar;
        if (end > start)
            pieces.push_back(pattern.substr(start, end - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return pieces;
}

} // namespace pw::functionlist
