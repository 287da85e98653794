// --tls against a throwaway server that takes encrypted sessions only, with a certificate
// made for the test: verified against the given authority, refused against any other.
#include "tests/cli/CliSupport.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace cli_testing;

constexpr char kServer[] = "127.0.0.8";

// Runs openssl with `arguments` in `dir`; true when it succeeded.
bool openssl(const std::filesystem::path& dir, const std::string& arguments)
{
    const auto child = testing_support::runChild("/bin/sh", {"-c", "cd \"$0\" && openssl " + arguments, dir.string()});
    return child.exitStatus == 0;
}

// A certificate authority, and a server certificate it signed for `kServer`'s address.
bool makeCertificates(const std::filesystem::path& dir)
{
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "server.ext") << "subjectAltName=IP:" << kServer << "\n";
    const std::string subject = std::string("/CN=") + kServer;
    return openssl(dir, "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Test-CA -keyout ca.key -out ca.pem") &&
           openssl(dir, "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Other-CA -keyout other.key "
                        "-out other-ca.pem") &&
           openssl(dir, "req -newkey rsa:2048 -nodes -subj " + subject + " -keyout server.key -out server.csr") &&
           openssl(dir, "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
                        "-extfile server.ext -out server.pem");
}

TEST(CliTls, TheServersCertificateIsVerifiedAndAPlainSessionRefused)
{
    const std::filesystem::path dir = std::filesystem::path(CLI_TEST_DIR) / "tls";
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(makeCertificates(dir / "certificates"));
    const std::filesystem::path certificates = dir / "certificates";
    ExtraServer server(kServer, dir / "server",
                       {"--ssl-ca=" + (certificates / "ca.pem").string(),
                        "--ssl-cert=" + (certificates / "server.pem").string(),
                        "--ssl-key=" + (certificates / "server.key").string(), "--require-secure-transport=ON"});
    ASSERT_TRUE(server.started());
    server.createTenants({"firma_a"});

    const std::string failed = std::string("calendar-import-cli: nepodařilo se připojit k serveru ") + kServer + ": ";
    struct Case {
        const char* description;
        Arguments options;
        int exitStatus;
    };
    const Case cases[] = {
        // The window's plain session, which this server refuses.
        {"no TLS", {}, 1},
        {"a certificate no authority of the system's store signed", {"--tls"}, 1},
        {"another authority", {"--tls-ca", (certificates / "other-ca.pem").string()}, 1},
        {"the authority that signed it", {"--tls", "--tls-ca=" + (certificates / "ca.pem").string()}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        Arguments arguments = {"--host", kServer};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitStatus, c.exitStatus);
        if (c.exitStatus == 1) {
            ASSERT_EQ(result.err.size(), 1u);
            EXPECT_TRUE(result.err[0].starts_with(failed)) << result.err[0];
            EXPECT_EQ(server.calendarRowCount("firma_a"), 0u);
        } else {
            EXPECT_TRUE(contains(result.out, "firma_a: aktualizována"));
            EXPECT_EQ(server.calendarRowCount("firma_a"), 12u);
        }
    }
}

}  // namespace
