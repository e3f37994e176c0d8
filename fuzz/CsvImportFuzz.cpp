// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV import, messages and contacts, against a plain model of what it must produce:
// line breaks inside texts joined wherever they stand in the file (block boundaries
// included), the separator voted per 65,536-byte block, every line parsed in order, a
// message added unless the store holds it already or is full. Then: a second import of
// the same file adds no message, and the imported collection survives a data file
// write and read unchanged, the file reading back to the same bytes.
//
// Input: a layout byte, two bytes of distance, then the file. Layout 1 puts the file
// that many bytes short of the first block boundary behind an empty first line and a
// line of spaces ending in a quote (a messages file: two lines, rather than tens of
// thousands of empty ones that would slow every run), layout 2 behind a first line of spaces (a contacts
// header) as long, so that small inputs cross the boundary; any other layout imports the
// bytes as they are. The layout is the byte's value modulo 8: a padded file costs many
// times a small one, and a quarter of the inputs is enough of them.
#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzDataFile.h"
#include "FuzzSupport.h"
#include "Formats/CsvExportImport.h"
#include "MBVars/DataFile.h"
#include "MBVars/Import.h"
#include "MBVars/ImportContactLine.h"
#include "MBVars/ImportMessageLine.h"
#include "MBVars/Store.h"
#include "OFuncs/TextOps.h"

namespace {

constexpr char Quote = '"', CR = '\r', LF = '\n';

std::string FileFromInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    if (size < 3 || (data[0] % 8 != 1 && data[0] % 8 != 2)) return std::string(all);
    const std::size_t distance = (data[1] | (data[2] << 8)) % 4096;
    const std::size_t pad = ImportBufferSize - distance;
    std::string file(pad, ' ');
    if (data[0] % 8 == 1) {
        // Ending in a quote, the line of spaces is taken as it stands rather than copied.
        file.front() = file.back() = LF;
        file[pad - 2] = Quote;
    }
    file.append(all.substr(3));
    return file;
}

// The separator vote over blocks of `block` bytes, each examined by itself.
unsigned char VoteSeparator(const std::string& bytes, std::size_t block) {
    unsigned counts[256] = {};
    unsigned best = 0;
    unsigned char separator = 0;
    for (std::size_t start = 0; start < bytes.size(); start += block) {
        const std::size_t end = std::min(bytes.size(), start + block);
        // Each quote in turn (found by find, which is all the per-byte loop would stop at).
        for (std::size_t i = bytes.find(Quote, start); i != std::string::npos && i + 2 < end;
             i = bytes.find(Quote, i + 1)) {
            const auto mid = static_cast<unsigned char>(bytes[i + 1]);
            if (bytes[i + 2] == Quote && mid != 0 && ++counts[mid] > best) {
                best = counts[mid];
                separator = mid;
            }
        }
    }
    return separator;
}

// Every CR LF that follows anything but a quote becomes two spaces, front to back.
std::string JoinLineBreaks(std::string bytes) {
    for (std::size_t cr = bytes.find(CR, 1); cr != std::string::npos && cr + 1 < bytes.size(); cr = bytes.find(CR, cr + 1))
        if (bytes[cr - 1] != Quote && bytes[cr + 1] == LF) bytes[cr] = bytes[cr + 1] = ' ';
    return bytes;
}

// Lines end at LF; no CR is part of a line.
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find(LF, start);
        if (end == std::string::npos) end = bytes.size();
        // The bytes between the CRs (found by find, which is all a per-byte loop would stop at).
        const std::string_view raw = std::string_view(bytes).substr(start, end - start);
        std::string line;
        for (std::size_t from = 0;;) {
            const std::size_t cr = std::min(raw.find(CR, from), raw.size());
            line.append(raw.substr(from, cr - from));
            if (cr == raw.size()) break;
            from = cr + 1;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

using HeldKey = std::tuple<std::string, std::string, int, std::string>;
HeldKey KeyOf(const XMsgRecType& m) {
    return {m.Time.str(), m.Phone.str(), m.Flags & (MsgSent | MsgReceived), std::string(TrimTrailingSpaces(m.Text))};
}

struct Expected {
    bool Contacts = false;
    std::vector<XMsgRecType> Messages;
    std::vector<ContactLine> ContactLines;
};

Expected Model(const std::string& file, unsigned char separator, int messagesBefore, int contactsBefore) {
    Expected e;
    const std::vector<std::string> lines = SplitLines(JoinLineBreaks(file));
    e.Contacts = !lines.empty() && (lines[0].find("\"Title\"") != std::string::npos || lines[0].size() > 1000);
    if (e.Contacts) {
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (contactsBefore + static_cast<int>(e.ContactLines.size()) < MaxContacts)
                e.ContactLines.push_back(ParseContactLine(lines[i], separator));
        return e;
    }
    std::set<HeldKey> held;
    XMsgRecType work;
    for (const std::string& line : lines) {
        if (!ParseMessageLine(line, separator, work)) continue;
        if (!held.insert(KeyOf(work)).second) continue;
        if (messagesBefore + static_cast<int>(e.Messages.size()) >= MaxMessages) continue;
        e.Messages.push_back(work);
    }
    return e;
}

bool Matches(const MsgStore& S, const Expected& e) {
    if (e.Contacts) {
        if (S.MessageCount != 0 || S.ContactCount != static_cast<int>(e.ContactLines.size())) return false;
        for (std::size_t i = 0; i < e.ContactLines.size(); ++i) {
            const ContactRec& c = S.Contacts[i + 1];
            if (c.Phone != PhoneText(e.ContactLines[i].Phone) || c.Name != NameText(e.ContactLines[i].Name) ||
                c.Color != 0)
                return false;
        }
        return true;
    }
    if (S.ContactCount != 0 || S.MessageCount != static_cast<int>(e.Messages.size())) return false;
    for (std::size_t i = 0; i < e.Messages.size(); ++i)
        if (!fuzz::SameMessage(S.Messages[i + 1], e.Messages[i])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = FileFromInput(data, size);
    if (IsCsvExportStart(file)) return 0;  // Kestro's own export: the CsvExport target's
    const std::string path = fuzz::ScratchDir::Get().Path("export.csv");
    fuzz::WriteBytes(path, file);

    MsgStore& S = fuzz::KeptStore(0);
    DefaultsType defaults;
    ClearStore(S, defaults);
    FUZZ_CHECK(ImportCsvFile(S, path) == 0);

    // The separator of the per-block vote; a vote that also counted patterns across block
    // boundaries would only differ on files that straddle one, and is accepted too.
    const unsigned char perBlock = VoteSeparator(file, ImportBufferSize);
    const unsigned char whole = file.size() > ImportBufferSize ? VoteSeparator(file, file.size() + 1) : perBlock;
    const bool asModelled = Matches(S, Model(file, perBlock, 0, 0)) ||
                            (whole != perBlock && Matches(S, Model(file, whole, 0, 0)));
    FUZZ_CHECK(asModelled);
    FUZZ_CHECK(S.Messages[0].Flags == 0 && S.Messages[0].Text.empty() && S.Messages[0].Time.empty());
    for (int k = 1; k <= S.MessageCount; ++k) {
        const XMsgRecType& m = S.Messages[k];
        FUZZ_CHECK(m.Text.size() <= MaxTextLength && !m.Text.empty() && m.Text.back() != ' ');
    }

    const std::vector<XMsgRecType> first(S.Messages.begin() + 1, S.Messages.begin() + 1 + S.MessageCount);
    const int contacts = S.ContactCount;
    FUZZ_CHECK(ImportCsvFile(S, path) == 0);
    // Importing the same file again adds no message; a contacts file adds its lines again,
    // as far as the table has room.
    FUZZ_CHECK(S.MessageCount == static_cast<int>(first.size()));
    for (std::size_t i = 0; i < first.size(); ++i) FUZZ_CHECK(fuzz::SameMessage(S.Messages[i + 1], first[i]));
    FUZZ_CHECK(S.ContactCount == std::min(MaxContacts, 2 * contacts));
    for (int c = contacts + 1; c <= S.ContactCount; ++c) {
        FUZZ_CHECK(S.Contacts[c].Phone == S.Contacts[c - contacts].Phone);
        FUZZ_CHECK(S.Contacts[c].Name == S.Contacts[c - contacts].Name);
    }

    fuzz::CheckDataFileRoundTrip(S, fuzz::KeptStore(1), fuzz::ScratchDir::Get().Path("import.kst"),
                                 fuzz::ScratchDir::Get().Path("import-again.kst"));
    return 0;
}
