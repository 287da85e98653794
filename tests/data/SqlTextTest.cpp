// The first statement of a text: cut at the semicolon that ends a statement, and only there.
#include "data/SqlText.h"

#include <gtest/gtest.h>

namespace {

TEST(FirstStatement, EndsOnlyWhereAStatementEnds)
{
    const struct {
        const char* description;
        std::string text;
        std::string first;
    } cases[] = {
        {"no semicolon", "SHOW DATABASES", "SHOW DATABASES"},
        {"final semicolon dropped", "INSERT INTO t VALUES (1);", "INSERT INTO t VALUES (1)"},
        {"two statements", "SELECT 1; SELECT 2", "SELECT 1"},
        {"blanks and line breaks trimmed", " \r\n\tSELECT 1 \n;\r\n SELECT 2\t", "SELECT 1"},
        {"empty pieces dropped", ";;SELECT 1;; ;\n;", "SELECT 1"},
        {"only blanks", " \n ", ""},
        {"empty", "", ""},
        {"single-quoted", "SELECT 'a;b'; SELECT 2", "SELECT 'a;b'"},
        {"double-quoted", "SELECT \"a;b\";", "SELECT \"a;b\""},
        {"doubled quote inside", "SELECT 'it''s;'; X", "SELECT 'it''s;'"},
        {"backslash escape inside", "SELECT 'it\\'s;'; X", "SELECT 'it\\'s;'"},
        {"escaped backslash ends string", "SELECT '\\\\'; X", "SELECT '\\\\'"},
        {"backquoted", "INSERT INTO `a;b`.`t` VALUES (1);", "INSERT INTO `a;b`.`t` VALUES (1)"},
        {"doubled backquote", "SELECT `a``;b`; X", "SELECT `a``;b`"},
        {"quote inside backquotes", "SELECT `a'b`; X", "SELECT `a'b`"},
        {"backslash inside backquotes is plain", "SELECT `a\\`; X", "SELECT `a\\`"},
        {"dash comment", "SELECT 1 -- a;b\n; X", "SELECT 1 -- a;b"},
        {"double dash without blank is no comment", "SELECT 1--1; X", "SELECT 1--1"},
        {"dash comment at the end", "SELECT 1 --", "SELECT 1 --"},
        {"hash comment", "SELECT 1 # a;b\r; X", "SELECT 1 # a;b"},
        {"block comment", "SELECT /* a;b */ 1; X", "SELECT /* a;b */ 1"},
        {"unclosed block comment", "SELECT /* a;b", "SELECT /* a;b"},
        {"unclosed quote keeps the rest", "SELECT 'a;b", "SELECT 'a;b"},
        {"Windows-1250 bytes pass through", "SELECT '\xE8\x9A;'; X", "SELECT '\xE8\x9A;'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(data::firstStatement(c.text), c.first);
    }
}

}  // namespace
