// SPDX-License-Identifier: GPL-3.0-or-later
// The media of a backup's MMS: decoding, the files of the media folder, and the index that
// ties them to their messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Formats/Base64.h"
#include "Formats/MediaFolder.h"
#include "Formats/MediaWriter.h"
#include "Formats/Sha256.h"
#include "Formats/SmsBackupImport.h"
#include "MBVars/DataFile.h"
#include "MBVars/Defaults.h"
#include "MBVars/ImportFile.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/Removal.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Encode(std::string_view bytes) {
    static constexpr char A[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned g = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        for (int k = 18; k >= 0; k -= 6) out += A[(g >> k) & 63];
    }
    if (bytes.size() - i == 1) {
        const unsigned g = static_cast<unsigned char>(bytes[i]) << 16;
        out += A[g >> 18];
        out += A[(g >> 12) & 63];
        out += "==";
    } else if (bytes.size() - i == 2) {
        const unsigned g = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += A[g >> 18];
        out += A[(g >> 12) & 63];
        out += A[(g >> 6) & 63];
        out += '=';
    }
    return out;
}

// The decoding written out a character at a time: the bytes, or nullopt for damaged data.
std::optional<std::string> LiteralDecode(std::string_view text) {
    std::string out;
    unsigned group = 0;
    int count = 0, padding = 0;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            if (count + padding < 2 || count + padding >= 4) return std::nullopt;
            ++padding;
            continue;
        }
        const char* p = std::strchr("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", c);
        if (!p || c == '\0' || padding > 0) return std::nullopt;
        group = group << 6 | static_cast<unsigned>(p - "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
        if (++count == 4) {
            out += static_cast<char>(group >> 16), out += static_cast<char>(group >> 8), out += static_cast<char>(group);
            group = 0, count = 0;
        }
    }
    if (padding > 0 && count + padding != 4) return std::nullopt;
    if (count == 1) return std::nullopt;
    if (count >= 2) {
        group <<= 6 * (4 - count);
        out += static_cast<char>(group >> 16);
        if (count == 3) out += static_cast<char>(group >> 8);
    }
    return out;
}

std::optional<std::string> Decode(std::string_view text, std::mt19937& rng) {
    Base64Decoder d;
    std::string out;
    while (!text.empty()) {  // in pieces of random sizes
        const std::size_t n = std::min<std::size_t>(text.size(), rng() % 40 + 1);
        std::vector<unsigned char> buf(Base64Decoder::DecodedRoom(n));
        out.append(reinterpret_cast<const char*>(buf.data()), d.Decode(text.substr(0, n), buf.data()));
        text.remove_prefix(n);
    }
    unsigned char tail[3];
    out.append(reinterpret_cast<const char*>(tail), d.Finish(tail));
    if (d.Damaged()) return std::nullopt;
    return out;
}

TEST(Base64, DecodesAsTheLiteralDecoderDoesInAnyPieces) {
    std::mt19937 rng(41);
    const std::string noise = "AZaz09+/= \r\n\t=-*&";
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(rng() % 60, '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        std::string text = Encode(bytes);
        // Unpadded, broken by line feeds, or spoilt by a stray byte.
        switch (round % 4) {
            case 1: while (!text.empty() && text.back() == '=') text.pop_back(); break;
            case 2:
                for (std::size_t i = 76; i < text.size(); i += 77) text.insert(i, "\r\n");
                text += "\r\n";  // after the padding too
                break;
            case 3: if (!text.empty()) text[rng() % text.size()] = noise[rng() % noise.size()]; break;
        }
        const std::optional<std::string> expected = LiteralDecode(text);
        EXPECT_EQ(Decode(text, rng), expected) << text;
        if (round % 4 == 0) {
            EXPECT_EQ(expected, bytes);
        }
    }
}

struct Part {
    std::string Type, Data;  // Data as the file has it (base64); empty: no data attribute
    std::string Name = "null";
};

std::string MmsBackup(const std::vector<std::pair<std::string, std::vector<Part>>>& messages) {
    std::string xml = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"1\">\n";
    long long ms = 1700000000000;
    for (const auto& [text, parts] : messages) {
        ms += 60000;
        xml += "<mms date=\"" + std::to_string(ms) + "\" msg_box=\"1\" address=\"5550100\" contact_name=\"Ann Example\">\n<parts>\n";
        for (const Part& p : parts) {
            xml += "<part seq=\"0\" ct=\"" + p.Type + "\" name=\"" + p.Name + "\" text=\"null\"";
            if (!p.Data.empty()) xml += " data=\"" + p.Data + "\"";
            xml += " />\n";
        }
        xml += "<part seq=\"0\" ct=\"text/plain\" text=\"" + text + "\" />\n</parts>\n</mms>\n";
    }
    return xml + "</smses>\n";
}

std::string FileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> Files(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
    return names;
}

const std::string Jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "a picture of a cat" + std::string("\xFF\xD9", 2);
const std::string Heic = std::string("\0\0\0\x18" "ftypheic", 12) + "a picture of a dog";

TEST(MediaImport, RepeatedDamagedAndHeicPicturesKeepTheirMessages) {
    TempDir dir;
    const std::string cut = Jpeg.substr(0, 9);  // a truncated JPEG: its bytes are kept as they are
    const std::string backup = dir.Write("b.xml", MmsBackup({
        {"first", {{"application/smil", Encode("<smil/>")}, {"image/jpeg", Encode(Jpeg), "IMG_0001.jpg"}}},
        {"again", {{"image/jpeg", Encode(Jpeg)}, {"image/heic", Encode(Heic)}}},
        {"broken", {{"image/png", "iVBO!!!not base64"}, {"image/jpeg", Encode(cut)}, {"image/gif", "\n \n"}}},
        {"card", {{"text/x-vcard; charset=utf-8", Encode("BEGIN:VCARD\r\nEND:VCARD\r\n")}}},
    }));
    const std::string folder = (dir.Path() / "c.media").string();
    MsgStore S;
    MediaIndex index(folder);
    MediaWriter writer(folder);
    ImportFileReport report;
    ASSERT_EQ(ImportFile(S, backup, report, {}, &writer, &index), 0);
    ASSERT_EQ(S.MessageCount, 4);
    EXPECT_EQ(S.Messages[3].Text, "[image]\r\n[image]\r\n[image]\r\nbroken");

    const std::string jpeg = HexOf(Sha256Of(Jpeg)) + ".jpg";
    const std::string heic = HexOf(Sha256Of(Heic)) + ".heic";
    const std::string cutName = HexOf(Sha256Of(cut)) + ".jpg";
    const std::string card = HexOf(Sha256Of("BEGIN:VCARD\r\nEND:VCARD\r\n")) + ".vcf";
    EXPECT_EQ(Files(folder), (std::set<std::string>{jpeg, heic, cutName, card}));  // the repeat is stored once
    EXPECT_EQ(FileBytes(fs::path(folder) / heic), Heic);

    const auto* first = index.Find(S.Messages[1]);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (std::vector<MediaItem>{{jpeg, "image/jpeg", "IMG_0001.jpg", Jpeg.size(), false}}));
    ASSERT_TRUE(index.Find(S.Messages[2]));
    EXPECT_EQ(index.Find(S.Messages[2])->size(), 2u);
    const auto* broken = index.Find(S.Messages[3]);
    ASSERT_TRUE(broken);
    EXPECT_EQ(*broken, (std::vector<MediaItem>{{"", "image/png", "", 0, true},
                                                {cutName, "image/jpeg", "", cut.size(), false},
                                                {"", "image/gif", "", 0, true}}));
    EXPECT_EQ(index.Find(S.Messages[4])->front().ContentType, "text/x-vcard");

    // Without media, no folder is made.
    const std::string plain = dir.Write("p.xml", MmsBackup({{"words only", {}}}));
    const std::string none = (dir.Path() / "none.media").string();
    MediaIndex noMedia(none);
    MediaWriter noWriter(none);
    MsgStore T;
    ASSERT_EQ(ImportFile(T, plain, report, {}, &noWriter, &noMedia), 0);
    EXPECT_EQ(T.MessageCount, 1);
    EXPECT_FALSE(fs::exists(none));
    noMedia.Save(T);
    EXPECT_FALSE(fs::exists(none));
}

TEST(MediaIndex, SurvivesSortDeleteSaveAndReopenAndFollowsTheFiles) {
    TempDir dir;
    std::vector<std::pair<std::string, std::vector<Part>>> messages;
    for (int i = 0; i < 12; ++i)
        messages.push_back({"message " + std::to_string(i), {{"image/jpeg", Encode(Jpeg + std::to_string(i % 6))}}});
    const std::string backup = dir.Write("b.xml", MmsBackup(messages));
    const std::string kst = (dir.Path() / "c.kst").string();
    const std::string folder = MediaFolderOf(kst);
    EXPECT_EQ(folder, (dir.Path() / "c.media").string());
    MsgStore S;
    MediaIndex index(folder);
    MediaWriter writer(folder);
    ImportFileReport report;
    ASSERT_EQ(ImportFile(S, backup, report, {}, &writer, &index), 0);
    DefaultsType D;
    FinishImport(S, D, FinishImportOptions{false, false, {}, nullptr});  // sorted newest first
    // Each message's picture, by its text.
    const auto pictureOf = [](const MediaIndex& idx, const XMsgRecType& m) {
        const auto* items = idx.Find(m);
        return items ? items->front().File : std::string();
    };
    std::map<std::string, std::string> before;
    for (int n = 1; n <= S.MessageCount; ++n) before[S.Messages[n].Text] = pictureOf(index, S.Messages[n]);
    EXPECT_EQ(Files(folder).size(), 6u);

    // Messages 0 and 6 share their picture: deleting one keeps it, deleting both lets it go.
    const auto deleteText = [&](const std::string& text) {
        for (int n = 1; n <= S.MessageCount; ++n)
            if (S.Messages[n].Text.ends_with("\n" + text)) {
                S.Messages[n].Flags |= MsgDoomed;
            }
        PurgeMarked(S);
    };
    deleteText("message 0");
    ASSERT_EQ(WriteDataFile(S, kst), 0);
    index.Save(S);
    EXPECT_EQ(Files(folder).size(), 7u);  // six pictures and the index
    deleteText("message 6");
    index.Save(S);
    EXPECT_EQ(Files(folder).size(), 6u);
    ASSERT_EQ(WriteDataFile(S, kst), 0);

    MsgStore R;
    ASSERT_EQ(ReadDataFile(R, kst), 0);
    MediaIndex reopened(folder);
    ASSERT_EQ(reopened.Load(), 0);
    EXPECT_EQ(reopened.Messages(), 10u);
    for (int n = 1; n <= R.MessageCount; ++n) EXPECT_EQ(pictureOf(reopened, R.Messages[n]), before[R.Messages[n].Text]);
    EXPECT_EQ(reopened.Text(), index.Text());

    // Scrambled on screen, a message still finds its media.
    XMsgRecType scrambled = R.Messages[1];
    for (char& c : scrambled.Text) c = static_cast<char>(c ^ TextMask);
    EXPECT_EQ(reopened.Find(scrambled, TextMask), reopened.Find(R.Messages[1]));

    // Save As copies the files the index names; the next save there lets go of unused ones.
    const std::string other = (dir.Path() / "d.media").string();
    reopened.CopyTo(other);
    reopened.Save(R);
    EXPECT_EQ(Files(other), Files(folder));
    deleteText("message 1");
    deleteText("message 7");  // the other with the same picture
    reopened.Save(S);
    EXPECT_EQ(Files(other).size(), Files(folder).size() - 1);
    EXPECT_EQ(reopened.Folder(), other);

    // A renumbering carries the entries to the new numbers.
    reopened.Renumber([](std::string_view phone) { return phone == "5550100" ? std::string("+15555550100") : std::string(); });
    XMsgRecType moved = S.Messages[1];
    EXPECT_FALSE(reopened.Find(moved));
    moved.Phone = std::string_view("+15555550100");
    EXPECT_EQ(pictureOf(reopened, moved), before[moved.Text]);
}

}  // namespace
