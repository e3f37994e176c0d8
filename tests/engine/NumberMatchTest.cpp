// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <phonenumbers/phonenumberutil.h>

#include <random>
#include <sstream>

#include "MBVars/Import.h"
#include "MBVars/LoadSequences.h"
#include "Formats/NumberMatch.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"

namespace {

TEST(NumberMatch, OneNumberWrittenAnyWayOthersOnlyAsText) {
    struct Case {
        const char* Home;
        std::vector<std::string> Book;  // values 0, 1, ...
        const char* Phone;
        int Expected;
    };
    const std::vector<std::string> german = {"+49 155 50200", "BANK", "3311", "Lufthansa"};
    const std::vector<Case> cases = {
        {"DE", german, "+4915550200", 0},      {"DE", german, "015550200", 0},
        {"DE", german, "004915550200", 0},     {"DE", german, "+49 (155) 502-00", 0},
        {"DE", german, "0155/502.00", 0},      {"de", german, "015550200", 0},
        {"DE", german, "+4915550201", -1},     {"DE", german, "+4315550200", -1},
        {"AT", german, "015550200", -1},       {"DE", german, "BANK", 1},
        {"DE", german, "Bank", -1},            {"DE", german, "3311", 2},
        {"DE", german, "03311", -1},           {"DE", german, "Lufthansa", 3},
        {"", german, "004915550200", 0},       {"", german, "015550200", -1},
        // 7 digits against 10: only while one card alone has them.
        {"US", {"+1 212 555 0100"}, "555-0100", 0},
        {"US", {"+1 212 555 0100", "+1 310 555 0100"}, "555-0100", -1},
        {"US", {"+1 212 555 0100", "+1 310 555 0100"}, "(310) 555-0100", 1},
        {"US", {"+1 212 555 0100", "+1 212 555 0100"}, "555-0100", -1},
        // A later card of the same number wins, as a later contact does.
        {"DE", {"+49 155 50200", "0155 50200"}, "+4915550200", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Home) + " " + c.Phone);
        NumberMatcher numbers(c.Home);
        for (std::size_t k = 0; k < c.Book.size(); ++k) numbers.Add(c.Book[k], static_cast<std::int32_t>(k));
        EXPECT_EQ(numbers.Find(c.Phone), c.Expected);
    }
    EXPECT_EQ(CallingCodeOf("DE"), 49);
    EXPECT_EQ(CallingCodeOf("XX"), 0);
}

std::string Card(const std::string& name, const std::string& phone) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL;TYPE=CELL:" + phone + "\r\nEND:VCARD\r\n";
}

std::string MessageLine(const std::string& phone, int minute) {
    return "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"2020.01.01 10:" + std::to_string(10 + minute) +
           "\",\"\",\"Hello " + std::to_string(minute) + "\"\r\n";
}

struct Files {
    TempDir Dir;
    std::string Book = PathIn(Dir, "contacts.vcf");
    std::string Messages = PathIn(Dir, "messages.csv");
};

std::vector<std::pair<std::string, std::string>> PhonesAndNames(const MsgStore& S) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) out.emplace_back(S.Messages[n].Phone.str(), S.Messages[n].Name.str());
    std::sort(out.begin(), out.end());
    return out;
}

// Imports the files in the groups given (each group one import with its finish).
MsgStore ImportInGroups(const std::vector<std::vector<std::string>>& groups) {
    MsgStore S;
    DefaultsType D;
    D.HomeCountry = "DE";
    for (const auto& group : groups) {
        for (const std::string& file : group) EXPECT_EQ(ImportCsvFile(S, file), 0) << file;
        FinishImport(S, D, FinishImportOptions{});
    }
    return S;
}

// Three spellings of one number take the card's name, a stranger's none; strangers' cards
// before it change nothing; address book and messages give the same names in any order, in
// one import or in two; the report counts the cards read and those that named messages.
TEST(NumberMatch, AddressBookNamesMessagesInAnyOrder) {
    Files f;
    std::string book;
    for (int i = 0; i < 1500; ++i) book += Card("Stranger " + std::to_string(i), "+49 170 " + std::to_string(5550000 + i));
    book += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No Number\r\nEND:VCARD\r\n";
    book += Card("Anna Berg", "+49 155 50200");
    WriteFileBytes(f.Book, book);
    WriteFileBytes(f.Messages, MessageLine("+4915550200", 1) + MessageLine("015550200", 2) +
                                    MessageLine("004915550200", 3) + MessageLine("+4915550999", 4));

    const MsgStore together = ImportInGroups({{f.Book, f.Messages}});
    const auto names = PhonesAndNames(together);
    const std::vector<std::pair<std::string, std::string>> expected = {{"+4915550200", "Anna Berg"},
                                                                     {"+4915550999", "+4915550999"},
                                                                     {"004915550200", "Anna Berg"},
                                                                     {"015550200", "Anna Berg"}};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(PhonesAndNames(ImportInGroups({{f.Messages, f.Book}})), expected);
    EXPECT_EQ(PhonesAndNames(ImportInGroups({{f.Book}, {f.Messages}})), expected);
    MsgStore later = ImportInGroups({{f.Messages}, {f.Book}});
    EXPECT_EQ(PhonesAndNames(later), expected);
    EXPECT_EQ(TakeAddressBookReport(later.Book), "contacts.vcf: 1502 cards read, 1 contacts named messages\r\n");
    EXPECT_EQ(TakeAddressBookReport(later.Book), "");
}

// The contact table holds 1,000 phones; the address book is not bound by it.
TEST(NumberMatch, EveryCardOfALargeAddressBookNames) {
    Files f;
    std::string book, messages;
    for (int i = 0; i < 3000; ++i) {
        book += Card("Person " + std::to_string(i), "+1 555 " + std::to_string(3000000 + i));
        messages += MessageLine("555" + std::to_string(3000000 + i), i % 40);
    }
    WriteFileBytes(f.Book, book);
    WriteFileBytes(f.Messages, messages);
    MsgStore S;
    DefaultsType D;
    D.HomeCountry = "US";
    ASSERT_EQ(ImportCsvFile(S, f.Book), 0);
    ASSERT_EQ(ImportCsvFile(S, f.Messages), 0);
    FinishImport(S, D, FinishImportOptions{});
    ASSERT_EQ(S.MessageCount, 3000);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        EXPECT_EQ(S.Messages[n].Name.str(), "Person " + std::to_string(std::stoi(S.Messages[n].Phone.str().substr(3)) - 3000000));
    EXPECT_EQ(S.Book.Files[0].Named, 3000);
}

// A contacts export's names go by the phone as written first; its numbers match otherwise
// only where no contact's phone is the message's as written.
TEST(NumberMatch, ContactsExportMatchesNumbersWhereTextFindsNone) {
    MsgStore S;
    DefaultsType D;
    D.HomeCountry = "DE";
    for (const char* phone : {"+4915550200", "015550200", "015550300", "+4915550300"})
        AddMessage(S, "2020.01.01 10:00", phone, "Hi");
    const std::vector<std::pair<const char*, const char*>> contacts = {
        {"+4915550200", "Anna"}, {"+4915550300", "Ben"}, {"015550300", "Bea"}};
    GrowContacts(S, static_cast<std::int32_t>(contacts.size()));
    for (const auto& [phone, name] : contacts) {
        S.Contacts[++S.ContactCount].Phone = phone;
        S.Contacts[S.ContactCount].Name = name;
    }
    FinishImport(S, D, FinishImportOptions{});
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"+4915550200", "Anna"}, {"+4915550300", "Ben"}, {"015550200", "Anna"}, {"015550300", "Bea"}};
    EXPECT_EQ(PhonesAndNames(S), expected);
}

}  // namespace

TEST(NumberMatch, CommandLineCountryAndAddressBookReport) {
    Files f;
    WriteFileBytes(f.Book, Card("Anna Berg", "+49 155 50200"));
    WriteFileBytes(f.Messages, MessageLine("015550200", 1));
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({f.Book, f.Messages, "--country", "de"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("\t015550200\tAnna Berg\t"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("contacts.vcf: 1 cards read, 1 contacts named messages\n"), std::string::npos);
    std::ostringstream out2, err2;
    EXPECT_EQ(RunImportCommand({f.Messages, "--country", "XY"}, out2, err2), 2);
    EXPECT_EQ(err2.str(), "kestro-cli: --country needs a two-letter country code such as DE\n");
}

// The literal matching: every number of the book parsed and compared with the phone by
// libphonenumber, the last full match winning, a short match counting when only one card
// has it.
std::int32_t LiteralFind(const std::vector<std::string>& book, const std::string& phone) {
    using i18n::phonenumbers::PhoneNumber;
    using i18n::phonenumbers::PhoneNumberUtil;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    std::int32_t exact = -1, full = -1, shortMatch = -1;
    bool severalShort = false;
    auto parse = [&](std::string text, PhoneNumber& n) {
        std::string digits;
        for (const char c : text)
            if (c >= '0' && c <= '9') digits += c;
        if (digits.size() < 6) return false;
        if (text[0] != '+' && digits.rfind("00", 0) == 0) text = "+" + digits.substr(2);
        if (util.Parse(text, "DE", &n) != PhoneNumberUtil::NO_PARSING_ERROR) return false;
        const auto possible = util.IsPossibleNumberWithReason(n);
        return possible == PhoneNumberUtil::IS_POSSIBLE || possible == PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY;
    };
    PhoneNumber p, q;
    const bool phoneParsed = parse(phone, p);
    for (std::size_t k = 0; k < book.size(); ++k) {
        const auto value = static_cast<std::int32_t>(k);
        if (book[k] == phone) exact = value;
        if (!phoneParsed || !parse(book[k], q)) continue;
        const auto match = util.IsNumberMatch(p, q);
        if (match == PhoneNumberUtil::EXACT_MATCH || match == PhoneNumberUtil::NSN_MATCH) full = value;
        if (match == PhoneNumberUtil::SHORT_NSN_MATCH) {
            severalShort = severalShort || shortMatch >= 0;
            shortMatch = value;
        }
    }
    if (exact >= 0) return exact;
    if (full >= 0) return full;
    return severalShort ? -1 : shortMatch;
}

TEST(NumberMatch, FindsWhatComparingEveryNumberFinds) {
    std::mt19937 rng(7);
    auto number = [&] {
        const std::string local = "155 5" + std::to_string(rng() % 4) + std::to_string(rng() % 3) + "0" + std::to_string(rng() % 2);
        switch (rng() % 5) {
            case 0: return "+49 " + local;
            case 1: return "0" + local;
            case 2: return "0049" + local;
            case 3: return local.substr(4);  // the short end only
            default: return "+43 " + local;
        }
    };
    for (int round = 0; round < 100; ++round) {
        std::vector<std::string> book(1 + rng() % 8);
        for (std::string& b : book) b = number();
        NumberMatcher numbers("DE");
        for (std::size_t k = 0; k < book.size(); ++k) numbers.Add(book[k], static_cast<std::int32_t>(k));
        for (int i = 0; i < 10; ++i) {
            const std::string phone = number();
            EXPECT_EQ(numbers.Find(phone), LiteralFind(book, phone)) << phone;
        }
    }
}
