// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Formats/CsvExport.h"
#include "Formats/ExportScope.h"
#include "Formats/InternationalNumber.h"
#include "MBVars/ActivityCounts.h"
#include "MBVars/ContactColors.h"
#include "MBVars/Contacts.h"
#include "MBVars/Conversation.h"
#include "MBVars/History.h"
#include "MBVars/ImportFile.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/People.h"
#include "MBVars/Removal.h"
#include "MBVars/Stats.h"
#include "support/LiteralReference.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

namespace {
// libphonenumber's own E.164 of a number written in full.
std::string LibraryE164(const std::string& full) {
    using i18n::phonenumbers::PhoneNumberUtil;
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    i18n::phonenumbers::PhoneNumber number;
    EXPECT_EQ(util.Parse(full, "ZZ", &number), PhoneNumberUtil::NO_PARSING_ERROR) << full;
    std::string e164;
    util.Format(number, PhoneNumberUtil::E164, &e164);
    return e164;
}
}  // namespace

TEST(InternationalForm, EveryFormOfANumberAsLibphonenumberFormatsIt) {
    struct Case {
        const char* Country;
        const char* Written;
        const char* Full;  // the number in full, for libphonenumber; empty: stays as written
    };
    const Case cases[] = {
        // national, international, with 00, with spaces and dashes, in brackets
        {"DE", "015155501234", "+49 151 55501234"},
        {"DE", "0151 55501234", "+49 151 55501234"},
        {"DE", "+49 151 55501234", "+49 151 55501234"},
        {"DE", "0049151-555-01234", "+49 151 55501234"},
        {"DE", "(0151) 5550 1234", "+49 151 55501234"},
        {"de", "030 5550123", "+49 30 5550123"},
        {"US", "(201) 555-0123", "+1 201 555 0123"},
        {"US", "201.555.0123", "+1 201 555 0123"},
        {"US", "+1 201 555 0123", "+1 201 555 0123"},
        {"GB", "07400 555123", "+44 7400 555123"},
        {"GB", "0044 7400 555123", "+44 7400 555123"},
        {"FR", "06 12 55 50 12", "+33 6 12 55 50 12"},
        {"US", "+49 151 55501234", "+49 151 55501234"},  // a foreign number in full, anywhere
        {"ZZ", "+33 6 12 55 50 12", "+33 6 12 55 50 12"},
        // short codes, alphanumeric senders, what is no valid number: as written
        {"DE", "22222", ""},
        {"US", "555", ""},
        {"DE", "DHL", ""},
        {"GB", "Vodafone", ""},
        {"US", "1-800-FLOWERS", ""},
        {"US", "(555) 555-0100", ""},  // no such area
        {"ZZ", "0151 55501234", ""},   // a national number of no known country
        {"DE", "", ""},
        {"DE", "+", ""},
        {"DE", "+49 151 5550123456789012", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InternationalForm(c.Written, c.Country), *c.Full ? LibraryE164(c.Full) : "")
            << c.Country << " " << c.Written;
}

TEST(GroupPeople, MatchesTheLiteralRuleOnRandomForms) {
    // Forms of a few numbers, names shared across numbers now and then, and senders that
    // are no number: the people found through hashing are those of the literal rule.
    const std::vector<std::string> forms[] = {
        {"+4915155501234", "0151 55501234", "0049 151 55501234", "015155501234"},
        {"+49305550123", "030 5550123"},
        {"+12015550123", "001 201 555 0123"},
        {"22222"},
        {"DHL"},
        {"0151 55509999", "+49 151 55509999"},
    };
    const char* names[] = {"", "", "Lena Vogel", "Ben Example", "0151 55501234", "Ann Sample", ""};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        MsgStore S;
        S.Book.HomeCountry = "DE";
        const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
        for (int k = 0; k < 120; ++k) {
            const std::vector<std::string>& number = forms[pick(std::size(forms))];
            AddMessage(S, RandomTime(rng, 500), number[pick(number.size())], "Hi", MsgSms | MsgReceived,
                       names[pick(std::size(names))]);
        }
        const People people = GroupPeople(S);
        ASSERT_EQ(people.PersonOf, Literal::PersonOf(S)) << seed;
        std::set<std::string> stored;
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) stored.insert(S.Messages[n].Phone.str());
        EXPECT_EQ(people.Numbers, static_cast<std::int32_t>(stored.size())) << seed;
        MsgStore literal = S;
        EXPECT_EQ(SpreadPersonNames(S), Literal::SpreadPersonNames(literal)) << seed;
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) ASSERT_EQ(S.Messages[n].Name, literal.Messages[n].Name) << seed;
    }
}

TEST(People, FiveFormsOfOneNumberInABackupAreOneContactEverywhere) {
    TempDir dir;
    const char* forms[] = {"+49 151 55501234", "0151 55501234", "0049151 55501234", "015155501234", "+4915155501234"};
    std::string xml = "<smses>";
    for (int k = 0; k < 10; ++k)
        xml += "<sms address=\"" + std::string(forms[k % 5]) + "\" date=\"" + std::to_string(1700000000000LL + k * 86400000LL) +
               "\" type=\"" + (k % 2 ? "1" : "2") + "\" body=\"Text " + std::to_string(k) + "\"/>";
    xml += "<sms address=\"+49 30 5550123\" date=\"1700000000000\" type=\"1\" body=\"Other\"/></smses>";
    const std::string path = dir.Write("backup.xml", xml);
    MsgStore S;
    DefaultsType D;
    D.HomeCountry = "DE";
    S.Book.HomeCountry = "DE";
    ImportFileReport report;
    ASSERT_EQ(ImportFile(S, path, report), 0);
    // The same message again, under a sixth form that a suite's export would give.
    AddMessage(S, S.Messages[1].Time.view(), "0151-555-01234", S.Messages[1].Text, S.Messages[1].Flags & ~MsgExactTime);
    FinishImport(S, D, FinishImportOptions{false, true, ""});
    ASSERT_EQ(S.MessageCount, 11);  // one of the two records of that message went as a duplicate
    const std::string lena = "+4915155501234";
    std::int32_t held = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) held += S.Messages[n].Phone.view() == lena;
    EXPECT_EQ(held, 9);  // every form the backup gave; of the message held twice, the suite's copy stays
    EXPECT_EQ(ConversationOf(S, "0151 55501234").size(), 10u);
    EXPECT_EQ(PeopleCountText(GroupPeople(S)), "2 contacts (3 numbers)");

    // A national form written apart still finds the person, in every command keyed by number.
    AddMessage(S, "2030.01.01 10:00", "0151 55501234", "Later", MsgSms | MsgSent | MsgWordCodes);
    FitNames(S, false);
    EXPECT_EQ(ConversationOf(S, "015155501234").size(), 11u);
    EXPECT_EQ(PickExportRows(S, ExportScope{}, "0151 55501234").size(), 11u);
    std::int32_t counted = 0;
    for (const PeriodCount& row : CountActivity(S, ActivityPeriod::Hour, {ActivityContact::ByPerson, lena}).Rows)
        counted += row.Sent + row.Received;
    EXPECT_EQ(counted, 11);
    const std::vector<std::string> numbers = PersonOfPhone(S, lena).Numbers;
    EXPECT_EQ(numbers.front(), lena);
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), "0151 55501234"), numbers.end());
    EXPECT_EQ(AssignPersonName(S, 1, "Lena"), 11);
    BuildContacts(S, ContactsByPhone, true);
    std::int32_t rowsOfLena = 0;
    for (const ActivityRow& row : ContactActivityRows(S)) rowsOfLena += row.Activity.Slot[ActivityAll].Count == 11;
    EXPECT_EQ(rowsOfLena, 1);
    std::mt19937 rng(7);
    EXPECT_EQ(ColorContactsAutomatically(S, rng), 2);
    DeletePerson(S, 1);
    EXPECT_EQ(S.MessageCount, 1);
}

TEST(RefitNumbers, ANewHomeCountryRewritesTheBackupsNumbersAndNamesThem) {
    MsgStore S;
    S.Book.HomeCountry = "US";
    AddMessage(S, "2024.01.01 10:00", "0151 55501234", "Backup", MsgSms | MsgReceived | MsgExactTime);
    AddMessage(S, "2024.01.01 10:01", "0151 55501234", "Suite", MsgSms | MsgReceived | MsgWordCodes);
    S.Book.Cards.push_back({"Lena Vogel", {"+49 151 55501234"}, 0});
    S.Book.Files.push_back({"lena.vcf", 1, 0, false});
    DefaultsType D;
    D.HomeCountry = "DE";
    const NumbersRefitted r = RefitNumbers(S, D);
    EXPECT_EQ(r.Renumbered, 1);  // the suite's number stays as written
    EXPECT_EQ(r.Renamed, 2);
    EXPECT_EQ(S.Messages[1].Phone, "+4915155501234");
    EXPECT_EQ(S.Messages[2].Phone, "0151 55501234");
    EXPECT_EQ(S.Messages[2].Name, "Lena Vogel");
    D.InternationalNumbers = true;  // "Write numbers in international form"
    EXPECT_EQ(RefitNumbers(S, D).Renumbered, 1);
    EXPECT_EQ(S.Messages[2].Phone, "+4915155501234");
}

TEST(FitNames, TheHistoryNamesAndBlocksANumberInAnyForm) {
    MsgStore S;
    S.Book.HomeCountry = "DE";
    AddMessage(S, "2024.01.01 10:00", "+4915155501234", "a", MsgSms | MsgReceived | MsgExactTime);
    AddMessage(S, "2024.01.01 10:01", "+49305550123", "b", MsgSms | MsgReceived | MsgExactTime);
    AddMessage(S, "2024.01.01 10:02", "22222", "c", MsgSms | MsgReceived);
    // A history written while the numbers were held as the phones wrote them.
    S.HistoryCount = 2;
    S.History[1] = HistoryRec{0, PhoneText("0151 55501234"), NameText("Lena Vogel"), 0x00ABCDEF};
    S.History[2] = HistoryRec{1, PhoneText("030-5550123"), NameText("Office"), 0};
    MsgStore literal = S;
    EXPECT_EQ(FitNames(S, true), 1);
    EXPECT_EQ(Literal::FitNames(literal, true), 1);
    ASSERT_EQ(S.MessageCount, 2);
    EXPECT_EQ(S.Messages[1].Name, "Lena Vogel");
    EXPECT_EQ(S.Messages[1].Color, 0x00ABCDEF);
    EXPECT_EQ(S.Messages[2].Phone, "22222");
    for (std::int32_t n = 1; n <= 2; ++n) EXPECT_EQ(S.Messages[n].Name, literal.Messages[n].Name);
}
