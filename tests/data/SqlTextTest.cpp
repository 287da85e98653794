// Cutting statement texts at the semicolons that end statements, and only those.
#include "data/SqlText.h"

#include <gtest/gtest.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(SplitStatements, CutsOnlyWhereAStatementEnds)
{
    const struct {
        const char* description;
        std::string text;
        Pieces expected;
    } cases[] = {
        {"no semicolon", "SHOW DATABASES", {"SHOW DATABASES"}},
        {"final semicolon dropped", "INSERT INTO t VALUES (1);", {"INSERT INTO t VALUES (1)"}},
        {"two statements", "SELECT 1; SELECT 2", {"SELECT 1", "SELECT 2"}},
        {"blanks and line breaks trimmed", " \r\n\tSELECT 1 \n;\r\n SELECT 2\t", {"SELECT 1", "SELECT 2"}},
        {"empty pieces dropped", ";;SELECT 1;; ;\n;", {"SELECT 1"}},
        {"only blanks", " \n ", {}},
        {"empty", "", {}},
        {"single-quoted", "SELECT 'a;b'; SELECT 2", {"SELECT 'a;b'", "SELECT 2"}},
        {"double-quoted", "SELECT \"a;b\";", {"SELECT \"a;b\""}},
        {"doubled quote inside", "SELECT 'it''s;'; X", {"SELECT 'it''s;'", "X"}},
        {"backslash escape inside", "SELECT 'it\\'s;'; X", {"SELECT 'it\\'s;'", "X"}},
        {"escaped backslash ends string", "SELECT '\\\\'; X", {"SELECT '\\\\'", "X"}},
        {"backquoted", "INSERT INTO `a;b`.`t` VALUES (1);", {"INSERT INTO `a;b`.`t` VALUES (1)"}},
        {"doubled backquote", "SELECT `a``;b`; X", {"SELECT `a``;b`", "X"}},
        {"quote inside backquotes", "SELECT `a'b`; X", {"SELECT `a'b`", "X"}},
        {"backslash inside backquotes is plain", "SELECT `a\\`; X", {"SELECT `a\\`", "X"}},
        {"dash comment", "SELECT 1 -- a;b\n; X", {"SELECT 1 -- a;b", "X"}},
        {"double dash without blank is no comment", "SELECT 1--1; X", {"SELECT 1--1", "X"}},
        {"dash comment at the end", "SELECT 1 --", {"SELECT 1 --"}},
        {"hash comment", "SELECT 1 # a;b\r; X", {"SELECT 1 # a;b", "X"}},
        {"block comment", "SELECT /* a;b */ 1; X", {"SELECT /* a;b */ 1", "X"}},
        {"unclosed block comment", "SELECT /* a;b", {"SELECT /* a;b"}},
        {"unclosed quote keeps the rest", "SELECT 'a;b", {"SELECT 'a;b"}},
        {"Windows-1250 bytes pass through", "SELECT '\xE8\x9A;'; X", {"SELECT '\xE8\x9A;'", "X"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(data::splitStatements(c.text), c.expected);
        EXPECT_EQ(data::firstStatement(c.text), c.expected.empty() ? "" : c.expected.front());
    }
}

}  // namespace
