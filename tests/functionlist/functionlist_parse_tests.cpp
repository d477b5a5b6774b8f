// The function-list parse: each rule set on short sources written for it, the edge cases of
// headers and bodies, the worker's cancellation and supersession, and bounded work.
#include "functionlist/engine/functionlistworker.h"
#include "functionlist/engine/functionparser.h"

#include <QDirIterator>
#include <QFile>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <mutex>
#include <thread>

using namespace pw::functionlist;

namespace {

// (line counted from 1, name) as the list shows them.
using Listing = std::vector<std::pair<int, std::string>>;

Listing listingOf(const ParseResult &result)
{
    Listing out;
    for (const FunctionEntry &e : result.displayed)
        out.emplace_back(e.line + 1, e.name.toStdString());
    return out;
}

std::string show(const Listing &listing)
{
    std::string out;
    for (const auto &[line, name] : listing)
        out += "\n  " + std::to_string(line) + "\t" + name;
    return out.empty() ? "\n  (nothing)" : out;
}

Listing parse(int lexerId, const char *source)
{
    const ParseResult result = parseFunctions(QByteArray(source), lexerId);
    EXPECT_EQ(result.status, ParseStatus::Complete) << result.problem;
    return listingOf(result);
}

// A very long line full of headers whose parameter lists run to its end: with the work bounds
// lifted (unbounded() below), a parse that does not end by itself.
QByteArray endless()
{
    QByteArray line;
    for (int i = 0; i < 125000; ++i)
        line += "f(a)";
    line.append('\n');
    return line;
}

struct Golden
{
    const char *what;
    int lexerId;
    const char *source;
    Listing expected;
};

const Golden goldens[] = {
    {"C: definitions, a three-line parameter list, a prototype, a method, an operator",
     3,
     "#include <stdio.h>\n"
     "/* helper */\n"
     "static int add(int a,\n"
     "               int b,\n"
     "               int c)\n"
     "{\n"
     "    if (a) { return a + b + c; }\n"
     "}\n"
     "int proto(int x);\n"
     "int Widget::size() const\n"
     "{\n"
     "    return m_size;\n"
     "}\n"
     "bool operator==(const A &a, const A &b) { return a.v == b.v; }\n",
     {{3, "add"}, {10, "size"}, {14, "operator=="}}},
    {"Java: constructor and methods; an abstract method is a declaration",
     4,
     "public class Greeter {\n"
     "    public Greeter(String name) {\n"
     "        this.name = name;\n"
     "    }\n"
     "    public static void main(String[] args)\n"
     "    {\n"
     "        System.out.println(greet(\"x\"));\n"
     "    }\n"
     "    abstract int size();\n"
     "    int twice(int x) { return 2 * x; }\n"
     "}\n",
     {{2, "Greeter"}, {5, "main"}, {10, "twice"}}},
    {"C#: the same rules",
     6,
     "class A {\n  void Run(int[] xs, List<int> ys) {\n  }\n}\n",
     {{2, "Run"}}},
    {"resource script: dialogs, menus with nested BEGIN and version blocks",
     7,
     "IDD_ABOUT DIALOGEX 0, 0, 200, 100\n"
     "BEGIN\n"
     "    LTEXT \"x\", -1, 1, 1, 1, 1\n"
     "END\n"
     "IDR_MENU MENU\n"
     "BEGIN\n"
     "    POPUP \"&File\"\n"
     "    BEGIN\n"
     "        MENUITEM \"E&xit\", 100\n"
     "    END\n"
     "END\n"
     "VS_VERSION_INFO VERSIONINFO\n"
     "BEGIN\n"
     "END\n",
     {{1, "IDD_ABOUT"}, {5, "IDR_MENU"}, {12, "VS_VERSION_INFO"}}},
    {"assembler: labels ending with a colon at the line start",
     32,
     "start:\n    mov ax, 1   ; set up: no label\nloop1:  dec cx\n    jnz loop1\n; old: label\n",
     {{1, "start"}, {3, "loop1"}}},
    {"INI: bracketed and quoted sections, even commented ones",
     13,
     "[General]\nkey=value\n; [Commented]\n  [Spaced Section]\n\"quoted\"\n[bad\n",
     {{1, "General"}, {3, "Commented"}, {4, "Spaced Section"}, {5, "quoted"}}},
    {"PHP: functions, by reference, methods; a body-less one is dropped",
     1,
     "<?php\n"
     "function hello($name) {\n"
     "    return \"hi $name\";\n"
     "}\n"
     "function &ref($a = null) {\n"
     "}\n"
     "class A {\n"
     "    public function m($x, $y = 1) { return $x; }\n"
     "}\n"
     "function decl();\n",
     {{2, "hello"}, {5, "ref"}, {8, "m"}}},
    {"JavaScript: declarations, assigned functions, object members, var functions",
     8,
     "function add(a, b) {\n"
     "  return a + b;\n"
     "}\n"
     "var mul = function (a, b) {\n"
     "  return a * b;\n"
     "};\n"
     "obj.handler = function(e) { go(e); };\n"
     "  key: function () {\n"
     "  },\n"
     "function proto();\n",
     {{1, "add"}, {4, "mul"}, {7, "obj.handler"}, {8, "key"}}},
    {"set 19 shares the JavaScript rules", 19, "function f(x) {\n}\n", {{1, "f"}}},
    {"set 27: functions with typed parameters",
     27,
     "function init(a, b) {\n}\nfunction typed(a: number) {\n}\n",
     {{1, "init"}, {3, "typed"}}},
    {"Lisp: defun in any case; the set has no comments to skip",
     30,
     "(defun square (x) (* x x))\n(DEFUN Cube (x)\n  (* x x x))\n; (defun commented ())\n"
     "(defvar *x* 1)\n",
     {{1, "square"}, {2, "Cube"}, {4, "commented"}}},
    {"VBScript: Function and Sub blocks; a commented header without its end is dropped",
     16,
     "Function Add(a, b)\n  Add = a + b\nEnd Function\nSub Greet(name)\n  MsgBox \"hi\"\n"
     "End Sub\n' Function Old()\nSub NoParens\nEnd Sub\n",
     {{1, "Add"}, {4, "Greet"}}},
    {"Pascal: begin/end bodies with nesting; forward declarations are dropped",
     11,
     "program Demo;\n"
     "procedure Forward1; forward;\n"
     "function Square(x: Integer): Integer;\n"
     "begin\n"
     "  Square := x * x;\n"
     "end;\n"
     "procedure TForm1.Button1Click(Sender: TObject);\n"
     "var i: Integer;\n"
     "begin\n"
     "  if i > 0 then\n"
     "  begin\n"
     "    i := 0;\n"
     "  end;\n"
     "end;\n"
     "{ procedure Hidden; begin end; }\n"
     "constructor TThing.Create;\n"
     "BEGIN\n"
     "END;\n"
     "begin\n"
     "end.\n",
     {{3, "Square"}, {7, "TForm1.Button1Click"}, {16, "TThing.Create"}}},
    {"Python: def with parameters over several lines, an annotated async def",
     22,
     "import os\n"
     "\n"
     "def top(a, b):\n"
     "    return a + b\n"
     "\n"
     "class K:\n"
     "    def method(self,\n"
     "               x,\n"
     "               y):\n"
     "        def inner():\n"
     "            pass\n"
     "        return inner\n"
     "\n"
     "    async def co(self) -> None:\n"
     "        pass\n"
     "# def commented(x):\n"
     "def spaced (x) :\n"
     "    pass\n",
     {{3, "top"}, {7, "method"}, {10, "inner"}, {14, "co"}, {16, "commented"}, {17, "spaced"}}},
    {"Python: decorators, async def, return annotations, one over several lines",
     22,
     "from typing import Dict\n"
     "\n"
     "@dataclass(frozen=True)\n"
     "class Point:\n"
     "    x: int\n"
     "\n"
     "    @property\n"
     "    def norm(self) -> float:\n"
     "        return abs(self.x)\n"
     "\n"
     "    @staticmethod\n"
     "    @lru_cache(maxsize=None)\n"
     "    def origin() -> 'Point':\n"
     "        return Point(0)\n"
     "\n"
     "async def fetch(url: str, *, timeout: float = 3.0) -> Dict[str, int]:\n"
     "    return {}\n"
     "\n"
     "async def plain(session):\n"
     "    pass\n"
     "\n"
     "def table(\n"
     "    rows: list,\n"
     "    width: int = 80,\n"
     ") -> None:\n"
     "    pass\n"
     "\n"
     "result = compute(x) -> y  # not a definition\n",
     {{8, "norm"}, {13, "origin"}, {16, "fetch"}, {19, "plain"}, {22, "table"}}},
    {"Perl: subs with attributes, with and without arguments, a signature, a prototype, one in "
     "a comment; anonymous subs and declarations are dropped and take no later body",
     21,
     "package Counter;\n"
     "use strict;\n"
     "sub count :lvalue {\n"
     "    $_[0]{count}\n"
     "}\n"
     "sub handler :ATTR(CODE) :method {\n"
     "    my ($self) = @_;\n"
     "}\n"
     "sub add :prototype($$) ($a, $b) {\n"
     "    return $a + $b;\n"
     "}\n"
     "sub forward :method;\n"
     "sub later;  # defined below\n"
     "sub with_attrs : lvalue { $x }\n"
     "# sub hidden { }\n"
     "my $s = sub { 1 };\n"
     "sub hello {\n"
     "}\n"
     "sub optional($;$)\n"
     "{\n"
     "}\n"
     "1;\n",
     {{3, "count"},
      {6, "handler"},
      {9, "add"},
      {14, "with_attrs"},
      {15, "hidden"},
      {17, "hello"},
      {19, "optional"}}},
    {"Objective-C: methods with and without a return type and arguments",
     5,
     "@implementation Foo\n"
     "- (void)viewDidLoad\n"
     "{\n"
     "    [super viewDidLoad];\n"
     "}\n"
     "+ (instancetype)sharedWith:(int)x {\n"
     "    return nil;\n"
     "}\n"
     "- (int)count;\n"
     "- plain\n"
     "{\n"
     "}\n"
     "@end\n",
     {{2, "viewDidLoad"}, {6, "sharedWith"}, {10, "plain"}}},
    {"Lua: ends of if and do blocks pair with their own openers; a string end is passed over",
     23,
     "local M = {}\n"
     "function M.add(a, b)\n"
     "  if a then\n"
     "    for i = 1, 2 do\n"
     "      print(i)\n"
     "    end\n"
     "  end\n"
     "  return a + b\n"
     "end\n"
     "M.sub = function(a, b)\n"
     "  return a - b\n"
     "end\n"
     "function M:method()\n"
     "  local s = \"end\"\n"
     "end\n",
     {{2, "M.add"}, {10, "M.sub"}, {13, "M:method"}}},
    {"Fortran: programs, subroutines and functions closed by END; two rules, one entry",
     25,
     "      PROGRAM MAIN\n"
     "      CALL SOLVE(1.0, 2.0)\n"
     "      END\n"
     "      SUBROUTINE SOLVE(A, B)\n"
     "      REAL A, B\n"
     "      END\n"
     "C     SUBROUTINE OLD(X)\n"
     "      INTEGER FUNCTION TWICE(N)\n"
     "      TWICE = 2 * N\n"
     "      END\n",
     {{1, "MAIN"}, {4, "SOLVE"}, {8, "TWICE"}}},
    {"NSIS: functions, sections and subsections, named bare or quoted",
     28,
     "; installer\n"
     "Function .onInit\n"
     "  MessageBox MB_OK \"hi\"\n"
     "FunctionEnd\n"
     "Section \"Main Files\" SecMain\n"
     "  SetOutPath $INSTDIR\n"
     "SectionEnd\n"
     "Section \"Docs\"\n"
     "SectionEnd\n"
     "SubSection \"Extras\"\n"
     "SubSectionEnd\n"
     "# Function .commented\n",
     {{2, ".onInit"}, {5, "SecMain"}, {8, "Docs"}, {10, "Extras"}}},
    {"VHDL: entity, function, processes; a function declared in a process is inside it",
     38,
     "entity counter is\n"
     "  port (clk : in bit);\n"
     "end counter;\n"
     "architecture rtl of counter is\n"
     "  function twice(x : integer) return integer is\n"
     "  begin\n"
     "    return 2 * x;\n"
     "  end twice;\n"
     "begin\n"
     "  p1 : process (clk)\n"
     "  begin\n"
     "    if clk = '1' then\n"
     "      q <= d;\n"
     "    end if;\n"
     "  end process;\n"
     "end rtl;\n"
     "  p2 : process (clk)\n"
     "    function inc(v : integer) return integer is\n"
     "    begin\n"
     "      return v + 1;\n"
     "    end inc;\n"
     "  begin\n"
     "    null;\n"
     "  end process;\n",
     {{1, "counter"}, {5, "twice"}, {10, "p1"}, {17, "p2"}}},
    {"SQL: CREATE FUNCTION and PROCEDURE up to GO, PL/SQL functions up to END",
     17,
     "CREATE FUNCTION dbo.Add2(@a int) RETURNS int AS\n"
     "BEGIN\n"
     "  RETURN @a + 2\n"
     "END\n"
     "GO\n"
     "create procedure dbo.Cleanup\n"
     "as\n"
     "  delete from t;\n"
     "go\n"
     "-- create function dbo.Old(@x int) returns int as\n"
     "function calc(x number) return number IS\n"
     "begin\n"
     "  return x;\n"
     "END;\n",
     {{1, "dbo.Add2"}, {6, "dbo.Cleanup"}, {11, "calc"}}},
    {"Visual Basic: Sub and Function up to End Sub and End Function",
     18,
     "Public Sub Main()\n    Call Helper(1)\nEnd Sub\n"
     "Private Function Helper(ByVal x As Integer) As Integer\n    Helper = x\nEnd Function\n"
     "' Sub Old()\n",
     {{1, "Main"}, {4, "Helper"}}},
    {"batch: labels alone on their line",
     12,
     "@echo off\n:start\ncall :sub_1\ngoto :eof\n:sub_1\necho hi\n:: comment label\n"
     "  :indented\n:bad label\n",
     {{2, "start"}, {5, "sub_1"}, {8, "indented"}}},
    {"shell: name() {, function name [()] {, the brace on its own line, dashed names",
     26,
     "#!/usr/bin/env bash\n"
     "set -euo pipefail\n"
     "usage() {\n"
     "    echo \"usage: $0\" >&2\n"
     "}\n"
     "function cleanup() {\n"
     "    rm -f \"$tmp\"\n"
     "}\n"
     "function log_msg\n"
     "{\n"
     "    printf '%s\\n' \"$*\"\n"
     "}\n"
     "git-sync()\n"
     "{\n"
     "    inner() { :; }\n"
     "    git pull --rebase\n"
     "}\n"
     "  indented () {\n"
     "    true\n"
     "  }\n"
     "trap cleanup EXIT\n"
     "arr=()\n"
     "usage\n"
     "function setup {\n"
     "}\n"
     "# function old {\n",
     {{3, "usage"},
      {6, "cleanup"},
      {9, "log_msg"},
      {13, "git-sync"},
      {18, "indented"},
      {24, "setup"}}},
    {"Tcl: procs with bare, braced and defaulted arguments and qualified names, listed whole; "
     "a proc in a namespace body is listed, one in a proc body is not",
     29,
     "namespace eval ::tk {}\n"
     "# ::tk::Priv is set up elsewhere\n"
     "proc ::tk::ButtonEnter w {\n"
     "    variable ::tk::Priv\n"
     "}\n"
     "proc ::tk::dialog::file::Create {dataName type} {\n"
     "    upvar ::tk::dialog::file::$dataName data\n"
     "}\n"
     "proc tk::ScaleActivate {w x y} {\n"
     "    return\n"
     "}\n"
     "proc plain {} {\n"
     "}\n"
     "proc ::tk::Defaults {{w .} {cmd {}}} {\n"
     "    proc ::tk::Nested {} {\n"
     "    }\n"
     "}\n"
     "namespace eval ns {\n"
     "    proc inner args {\n"
     "        return $args\n"
     "    }\n"
     "}\n",
     {{3, "::tk::ButtonEnter"},
      {6, "::tk::dialog::file::Create"},
      {9, "tk::ScaleActivate"},
      {12, "plain"},
      {14, "::tk::Defaults"},
      {19, "inner"}}},
    {"C: the lines a backslash joins to a directive hold no functions, nor does a macro's body",
     2,
     "#define CHECK(x) \\\n"
     "    do { \\\n"
     "        if (!(x)) { \\\n"
     "            abort(); \\\n"
     "        } \\\n"
     "    } while (0)\n"
     "#if defined(A) \\\n"
     "    || defined(B)\n"
     "#define EMPTY(p) {}\n"
     "#endif\n"
     "static int after(int a)\n"
     "{\n"
     "    return a;\n"
     "}\n",
     {{11, "after"}}},
    {"C: a header in a comment needs its body in that comment; commented-out code stays",
     2,
     "/* Copyright (C) 2024 The Authors */\n"
     "/* an empty block: { } */\n"
     "struct s { int a; };\n"
     "// MATCHER(name, text) { return true; }\n"
     "/*\n"
     "int old(int x)\n"
     "{\n"
     "    return x;\n"
     "}\n"
     "*/\n",
     {{4, "MATCHER"}, {6, "old"}}},
    {"C++ headers: a namespace is no function's body, however a macro call stands before it",
     3,
     "// based on the parameter types (as opposed to just\n"
     "// their number).\n"
     "namespace std _GLIBCXX_VISIBILITY(default)\n"
     "{\n"
     "  inline int twice(int x)\n"
     "  { return 2 * x; }\n"
     "}\n"
     "GTEST_DISABLE_MSC_WARNINGS_PUSH_(4251)\n"
     "\n"
     "namespace testing {\n"
     "class Listener {\n"
     " public:\n"
     "  Listener() : ss_(0) {}\n"
     "  int size() const { return n_; }\n"
     "};\n"
     "}\n"
     "struct node *make(int x) {\n"
     "  return 0;\n"
     "}\n"
     "enum color pick(void)\n"
     "{\n"
     "  return RED;\n"
     "}\n",
     {{5, "twice"}, {13, "Listener"}, {14, "size"}, {17, "make"}, {20, "pick"}}},
    {"C++: conversion operators and operator new by their whole name",
     3,
     "class PolymorphicMatcher {\n"
     " public:\n"
     "  operator Matcher<const T&>() const {\n"
     "    return Matcher<const T&>(impl_);\n"
     "  }\n"
     "  operator SwitchInst *() { return &SI; }\n"
     "  void *operator new(size_t S) { return User::operator new(S, 2); }\n"
     "  bool operator==(const A &a) const { return true; }\n"
     "};\n",
     {{3, "operator Matcher<const T&>"},
      {6, "operator SwitchInst *"},
      {7, "operator new"},
      {8, "operator=="}}},
};

} // namespace

TEST(FunctionParse, EachRuleSetRecognisesItsLanguage)
{
    for (const Golden &g : goldens) {
        const Listing actual = parse(g.lexerId, g.source);
        EXPECT_EQ(actual, g.expected) << g.what << " (" << g.lexerId << "), got:" << show(actual);
    }
}

// Headers anchored at a line start are searched only on the lines that hold a literal they need
// ("proc", "function", "("): every rule set must find exactly what searches through the whole
// text find, on the sources above, on this machine's files and on lines that hold the literal
// without being headers.
TEST(FunctionParse, LinePrefilterFindsWhatWholeTextSearchesFind)
{
    std::vector<QByteArray> texts;
    for (const Golden &g : goldens)
        texts.emplace_back(g.source);
    texts.emplace_back("# proc a {} {\r\nproc\r  proc b {x} {\r\n}\rfunction\tc() {\n  }\n"
                       "processing() { x; }\n  f ( ) {\n}\nproc");
    const std::pair<const char *, const char *> machine[] = {
        {"/usr/share/tcltk", "*.tcl"}, {"/usr/share", "*.sh"}, {"/usr/include", "*.h"}};
    for (const auto &[root, glob] : machine) {
        QDirIterator it(QString::fromLatin1(root), {QString::fromLatin1(glob)}, QDir::Files,
                        QDirIterator::Subdirectories);
        for (int taken = 0; taken < 3 && it.hasNext();) {
            QFile file(it.next());
            if (file.size() > 2000 && file.size() < 40000 && file.open(QIODevice::ReadOnly)) {
                texts.push_back(file.readAll());
                ++taken;
            }
        }
    }
    ParseOptions whole;
    whole.literalPrefilter = false;
    auto entries = [](const ParseResult &r) {
        std::vector<std::tuple<int, QByteArray, qsizetype, qsizetype, int>> out;
        for (const FunctionEntry &e : r.found)
            out.emplace_back(e.line, e.name, e.headerStart, e.endPosition, e.rule);
        return out;
    };
    for (const int id : supportedLexerIds())
        for (const QByteArray &text : texts) {
            const ParseResult lines = parseFunctions(text, id);
            const ParseResult scan = parseFunctions(text, id, {}, whole);
            ASSERT_EQ(lines.status, scan.status);
            EXPECT_EQ(entries(lines), entries(scan)) << "language " << id << " on\n"
                                                     << text.left(300).toStdString();
        }
    // And it does spare the searching: Tcl's proc rules look at the lines holding "proc" only.
    QByteArray tcl;
    for (int i = 0; i < 200; ++i)
        tcl += "set x [list a b c d e f g h i j k l m n o p q r s t u v w x y z]\n";
    tcl += "proc ::ns::last {a} {\n    return $a\n}\n";
    const ParseResult lines = parseFunctions(tcl, 29), scan = parseFunctions(tcl, 29, {}, whole);
    ASSERT_EQ(listingOf(lines), (Listing{{201, "::ns::last"}}));
    EXPECT_GT(scan.scannedBytes - lines.scannedBytes, 5 * tcl.size())
        << "each of the six proc rules scanned the whole text";
}

// Headers, prototypes, comments and strings on short texts, for the C rules unless named.
TEST(FunctionParse, HeaderEdgeCases)
{
    const struct
    {
        const char *what;
        int lexerId;
        const char *source;
        Listing expected;
    } rows[] = {
        {"a string in the parameters", 2, "int f(\"x\") {\n}\n", {}},
        {"a middle line that is no parameter", 2, "int f(int a,\n  a + b,\n  int c) {\n}\n", {}},
        {"the line break right after the parenthesis", 2, "int f(\n  int a) {\n}\n", {{1, "f"}}},
        {"a blank line among the parameters", 2, "int f(int a,\n\n  int b) {\n}\n", {{1, "f"}}},
        {"an unclosed parenthesis", 2, "int f(int a {\n}\n", {}},
        {"a prototype before the next body",
         2,
         "int proto(int x);\nint real(void)\n{\n  return 0;\n}\n",
         {{2, "real"}}},
        {"a prototype with a commented semicolon", 2, "int proto(int x); /* ; */\n", {}},
        // A function whose header and braces all lie in a comment is listed; a commented-out
        // header in front of a real body is not.
        {"a whole function in a comment",
         2,
         "/* int old(void) { return 1; } */\nint x;\n",
         {{1, "old"}}},
        {"a line-commented header", 2, "// int old(void)\n{\n  return 1;\n}\n", {}},
        {"a block-commented header", 2, "/* int old(void) */\n{\n  return 1;\n}\n", {}},
        {"a comment opener in a string",
         2,
         "char *s = \"/* not a comment\";\nint f(void) { return 0; }\n",
         {{2, "f"}}},
        {"a quote in a comment", 2, "/* \"quote */ int g(void) { return 0; }\n", {{1, "g"}}},
        {"a nested function of the same rule",
         8,
         "function outer() {\n  function inner() {\n  }\n}\nfunction next() {\n}\n",
         {{1, "outer"}, {5, "next"}}},
        {"empty text", 2, "", {}},
        {"a lone keyword", 22, "def", {}},
        {"ends without beginnings", 23, "end end end", {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(parse(row.lexerId, row.source), row.expected) << row.what;
}

TEST(FunctionParse, BraceMatchingCountsBracesInStringsToo)
{
    // Without a lexer every brace counts, so a brace in a string ends the body early.
    const ParseResult r = parseFunctions("int f(void)\n{\n  puts(\"}\");\n  return 0;\n}\n"
                                         "int g(void) { return 0; }\n",
                                         2);
    ASSERT_EQ(listingOf(r), (Listing{{1, "f"}, {6, "g"}}));
    EXPECT_EQ(r.displayed[0].endLine, 2);
}

TEST(FunctionParse, LuaEndsPairWithIfAndDo)
{
    const ParseResult r = parseFunctions("function f(x)\n"
                                         "  if x then\n"
                                         "    while x do x = x - 1 end\n"
                                         "  end\n"
                                         "  do local y = 1 end\n"
                                         "end\n"
                                         "function g()\n"
                                         "end\n",
                                         23);
    ASSERT_EQ(listingOf(r), (Listing{{1, "f"}, {7, "g"}}));
    EXPECT_EQ(r.displayed[0].endLine, 5) << "f ends at its own end, not at an inner one";
    EXPECT_EQ(r.displayed[0].endPosition, 85);
}

TEST(FunctionParse, AFunctionFoundByTwoRulesAppearsOnce)
{
    // Both Tcl proc forms match "proc greet {name} {"; Fortran's END and END SUBROUTINE forms
    // both match a subroutine closed by END.
    const ParseResult tcl = parseFunctions("proc greet {name} {\n  puts $name\n}\n", 29);
    EXPECT_GE(tcl.found.size(), 2u);
    EXPECT_EQ(listingOf(tcl), (Listing{{1, "greet"}}));
    const ParseResult fortran = parseFunctions("      SUBROUTINE S(A)\n      END\n", 25);
    EXPECT_GE(fortran.found.size(), 2u);
    EXPECT_EQ(listingOf(fortran), (Listing{{1, "S"}}));
}

TEST(FunctionParse, UnsupportedNumbersParseNothing)
{
    for (int id : {0, 9, 24, 37, 39, -5}) {
        const ParseResult r = parseFunctions("int f(void) { return 0; }\n", id);
        EXPECT_EQ(r.status, ParseStatus::NotSupported) << id;
        EXPECT_TRUE(r.displayed.empty()) << id;
    }
}

TEST(FunctionParse, LineEndStylesGiveTheSameLines)
{
    const char *unix = "int a(void)\n{\n}\n\nint b(void)\n{\n}\n";
    for (const char *ending : {"\r\n", "\r"}) {
        QByteArray text(unix);
        text.replace("\n", ending);
        EXPECT_EQ(listingOf(parseFunctions(text, 2)), (Listing{{1, "a"}, {5, "b"}})) << ending;
    }
}

TEST(FunctionParse, AStoppedParseIsCancelled)
{
    std::stop_source stop;
    stop.request_stop();
    const ParseResult r = parseFunctions("int f(void) { return 0; }\n", 2, stop.get_token());
    EXPECT_EQ(r.status, ParseStatus::Cancelled);
    EXPECT_TRUE(r.displayed.empty());
}

TEST(FunctionParse, PathologicalInputsEndIncomplete)
{
    const ParseResult longLine = parseFunctions(endless(), 2);
    EXPECT_EQ(longLine.status, ParseStatus::Incomplete);
    EXPECT_FALSE(longLine.problem.empty());
    EXPECT_TRUE(longLine.displayed.empty());

    // A pattern that backtracks without end on a long line.
    RuleSet runaway = ruleSetFor(22);
    runaway.rules = {{"", "a*a*a*a*a*a*", "[0-9]", "", "", ""}};
    ParseOptions options;
    options.search.matchLimit = 1'000'000;
    const ParseResult backtracking = parseFunctions(QByteArray(100000, 'a'), runaway, {}, options);
    EXPECT_EQ(backtracking.status, ParseStatus::Incomplete);
}

TEST(FunctionParse, PatternsThatMatchNoTextStillMoveOn)
{
    // An opening or a close that matches nothing, at a line start where a nest pattern matches,
    // once sent the body search round the same place until the deadline ended the parse.
    struct Row
    {
        const char *what;
        Rule rule;
        std::string nestOpeners, nestedHeaders;
    };
    const Row rows[] = {
        {"empty close, nest opener at a line start", {"", "^y*", "", "", "x*", ""}, "^", ""},
        {"empty opening, nested header at a line start", {"", "^y*", "", "x*", "", ""}, "", "^"},
    };
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "f {\n  g\n}\n";
    ParseOptions options;
    options.deadlineMs = 5000;
    for (const Row &row : rows) {
        RuleSet set;
        set.lexerId = 1000;
        set.supported = true;
        set.rules = {row.rule};
        set.nestOpeners = row.nestOpeners;
        set.nestedHeaders = row.nestedHeaders;
        const ParseResult r = parseFunctions(text, set, {}, options);
        EXPECT_EQ(r.status, ParseStatus::Complete) << row.what << ": " << r.problem;
    }
}

TEST(FunctionParse, UnbalancedInputsStillParse)
{
    QByteArray text("int g(void) {\n");
    text += QByteArray(100000, '{');
    text += "\n";
    for (int i = 0; i < 1000; ++i)
        text += "int h(int a) { return a; }\n";
    const ParseResult r = parseFunctions(text, 2);
    ASSERT_EQ(r.status, ParseStatus::Complete);
    EXPECT_EQ(r.displayed.size(), 1000u) << "the unclosed g is dropped, every h is kept";

    QByteArray lua;
    for (int i = 0; i < 20000; ++i)
        lua += "function f()\n";
    const ParseResult noEnds = parseFunctions(lua, 23);
    EXPECT_EQ(noEnds.status, ParseStatus::Complete);
    EXPECT_TRUE(noEnds.displayed.empty());
}

namespace {

// Collects what a worker delivers.
struct Deliveries
{
    std::mutex mutex;
    std::vector<std::pair<quint64, ParseResult>> results;
    FunctionListWorker::ResultHandler handler()
    {
        return [this](const ParseRequest &request, ParseResult result) {
            std::lock_guard lock(mutex);
            results.emplace_back(request.serial, std::move(result));
        };
    }
};

ParseOptions unbounded()
{
    ParseOptions options;
    options.workBase = std::numeric_limits<qint64>::max() / 2;
    options.workPerByte = 0;
    options.deadlineMs = 0;
    return options;
}

} // namespace

TEST(FunctionListWorker, ALaterRequestSupersedesARunningOne)
{
    Deliveries got;
    FunctionListWorker worker(got.handler(), unbounded());
    worker.post(endless(), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const quint64 last = worker.post("def g():\n  pass\n", 22);
    ASSERT_TRUE(worker.waitForIdle(60000));
    ASSERT_EQ(got.results.size(), 1u) << "the superseded parse delivers nothing";
    EXPECT_EQ(got.results[0].first, last);
    EXPECT_EQ(listingOf(got.results[0].second), (Listing{{1, "g"}}));
    EXPECT_FALSE(worker.isBusy());
}

TEST(FunctionListWorker, CancelDropsTheRunningParse)
{
    Deliveries got;
    FunctionListWorker worker(got.handler(), unbounded());
    worker.post(endless(), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(worker.isBusy());
    worker.cancel();
    ASSERT_TRUE(worker.waitForIdle(60000));
    EXPECT_TRUE(got.results.empty());
}

TEST(FunctionListWorker, DestroyingItDuringAParseStopsCleanly)
{
    auto got = std::make_shared<Deliveries>();
    std::atomic<bool> destroyed{false};
    std::atomic<bool> calledAfter{false};
    {
        FunctionListWorker worker(
            [got, &destroyed, &calledAfter](const ParseRequest &r, ParseResult result) {
                if (destroyed)
                    calledAfter = true;
                got->handler()(r, std::move(result));
            },
            unbounded());
        worker.post(endless(), 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(worker.isBusy());
    }
    destroyed = true;
    EXPECT_FALSE(calledAfter);
    EXPECT_TRUE(got->results.empty()) << "the stopped parse delivers nothing";
}
