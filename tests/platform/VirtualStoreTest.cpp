// Tests of which copy of the business application's configuration file is read: the
// per-user copy of UAC's virtualisation, or the file itself.
#include "platform/VirtualStore.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using platform::fileReadByLegacyProgram;
using platform::virtualStoreCopy;

constexpr char kInstalled[] = R"(c:\program files\molvan\quorvel\quorvel.ini)";
constexpr char kLocalAppData[] = R"(C:\Users\Jiří\AppData\Local)";
constexpr char kCopy[] = R"(C:\Users\Jiří\AppData\Local\VirtualStore\program files\molvan\quorvel\quorvel.ini)";

TEST(VirtualStore, CopyIsTheSamePathBelowVirtualStoreWithoutTheDrive)
{
    EXPECT_EQ(virtualStoreCopy(kInstalled, kLocalAppData), kCopy);
    EXPECT_EQ(virtualStoreCopy(kInstalled, std::string(kLocalAppData) + "\\"), kCopy);
    EXPECT_EQ(virtualStoreCopy("D:/Apps/x.ini", "E:\\Local"), "E:\\Local\\VirtualStore\\Apps\\x.ini");
    for (const char* noDrive : {"", "c:", "c:x.ini", R"(\\server\share\x.ini)", "/etc/opt/x.ini", "relative\\x.ini"}) {
        SCOPED_TRACE(noDrive);
        EXPECT_EQ(virtualStoreCopy(noDrive, kLocalAppData), std::nullopt);
    }
}

// The business application, not elevated, reads its per-user copy whenever there is one;
// elevated, it reads the file in Program Files. Windows under Wine is always elevated, so
// the other branch is shown here only.
TEST(VirtualStore, ALegacyProgramReadsThePerUserCopyOnlyWhenNotElevatedAndTheCopyIsThere)
{
    const struct {
        const char* description;
        bool elevated;
        bool installedThere;
        bool copyThere;
        bool localAppDataKnown;
        std::string expected;
    } cases[] = {
        {"not elevated, both files", false, true, true, true, kCopy},
        {"not elevated, only the copy", false, false, true, true, kCopy},
        {"not elevated, only the installed file", false, true, false, true, kInstalled},
        {"not elevated, neither (the default stands in)", false, false, false, true, kInstalled},
        {"not elevated, no local application data", false, true, true, false, kInstalled},
        {"elevated, both files", true, true, true, true, kInstalled},
        {"elevated, only the copy (the default stands in)", true, false, true, true, kInstalled},
        {"elevated, only the installed file", true, true, false, true, kInstalled},
        {"elevated, neither", true, false, false, true, kInstalled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::set<std::string> there;
        if (c.installedThere)
            there.insert(kInstalled);
        if (c.copyThere)
            there.insert(kCopy);
        const auto localAppData = c.localAppDataKnown ? std::optional<std::string>(kLocalAppData) : std::nullopt;
        EXPECT_EQ(fileReadByLegacyProgram(kInstalled, c.elevated, localAppData,
                                          [&](const std::string& path) { return there.contains(path); }),
                  c.expected);
    }
}

}  // namespace
