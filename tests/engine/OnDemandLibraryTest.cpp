// SPDX-License-Identifier: GPL-3.0-or-later
// The number library (kestro-numbers.so) and the PDF painting (kestro-pdf.so) are loaded only
// by the commands that use them, give what libphonenumber gives, and a library that cannot
// be loaded is named with the loader's reason.
#include <gtest/gtest.h>

#include <phonenumbers/phonenumberutil.h>

#include <cstdlib>
#include <set>
#include <string>

#include "Formats/NumberLibrary.h"
#include "Formats/NumberMatch.h"
#include "support/FileTestHelpers.h"

namespace {

// The libraries the dynamic loader opened for one run of kestro-cli, as LD_DEBUG lists them.
std::string FilesLoaded(const std::string& arguments) {
    TempDir dir;
    const std::string log = PathIn(dir, "log");
    const std::string command = "LD_DEBUG=files '" + std::string(KESTRO_CLI) + "' " + arguments + " >/dev/null 2>'" + log + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << arguments;
    std::string files;
    const std::string all = TempDir::Read(log);
    for (std::size_t at = all.find("file="); at != std::string::npos; at = all.find("file=", at + 1))
        files += all.substr(at, all.find(' ', at) - at) + "\n";
    return files;
}

TEST(OnDemandLibrary, ACommandLoadsOnlyTheLibrariesItUses) {
    TempDir dir;
    const std::string messages = PathIn(dir, "messages.csv"), book = PathIn(dir, "book.vcf"), kst = PathIn(dir, "m.kst");
    WriteFileBytes(messages, "\"sms\",\"deliver\",\"+15555550100\",\"\",\"\",\"2020.01.01 10:00\",\"\",\"Hello\"\r\n");
    WriteFileBytes(book, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Example\r\nTEL:(555) 555-0100\r\nEND:VCARD\r\n");
    const struct {
        std::string Arguments;
        bool Numbers;
    } cases[] = {
        {"--version", false},
        // Reading messages groups their numbers into people, by their international forms.
        {"import '" + messages + "' -o '" + kst + "'", true},
        {"export '" + kst + "' --format csv", true},
        {"import '" + book + "' '" + messages + "'", true},
    };
    for (const auto& c : cases) {
        const std::string files = FilesLoaded(c.Arguments);
        EXPECT_EQ(files.find(NumberLibraryFileName) != std::string::npos, c.Numbers) << c.Arguments << "\n" << files;
        EXPECT_EQ(files.find("libphonenumber") != std::string::npos, c.Numbers) << c.Arguments;
        EXPECT_EQ(files.find("libQt6Gui"), std::string::npos) << c.Arguments;
    }
}

TEST(OnDemandLibrary, ALibraryThatCannotBeLoadedIsNamedWithTheReason) {
    TempDir dir;
    const std::string text = PathIn(dir, "kestro-numbers.so");
    WriteFileBytes(text, "not a shared object");
    const std::string missing = PathIn(dir, "missing.so");
    for (const std::string& path : {missing, text}) {
        std::string problem;
        EXPECT_EQ(LoadNumberLibrary(path, problem), nullptr);
        EXPECT_EQ(problem.rfind("cannot load \"" + path + "\": ", 0), 0u) << problem;
        EXPECT_GT(problem.size(), path.size() + 16) << "no reason given: " << problem;
    }
    EXPECT_NE(NumberLibrary(), nullptr) << NumberLibraryProblem();  // the one beside the tests loads
}

// The international forms through the library are InternationalForm's table of forms per country.
TEST(OnDemandLibrary, TheCountriesAndCallingCodesAreLibphonenumbersOwn) {
    using i18n::phonenumbers::PhoneNumberUtil;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    std::set<std::string> regions;
    util.GetSupportedRegions(&regions);
    EXPECT_EQ(KnownCountries(), std::vector<std::string>(regions.begin(), regions.end()));
    for (const char* country : {"DE", "US", "GB", "XX", ""}) EXPECT_EQ(CallingCodeOf(country), util.GetCountryCodeForRegion(country));
}

}  // namespace
