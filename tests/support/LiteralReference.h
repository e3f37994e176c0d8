// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The store operations written out as plain, literal procedures (double loops, linear
// searches, pass-by-pass swaps). Tests compare the program's fast versions with these on
// random stores; the benchmarks use them to show what the fast versions save.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/ubrk.h>
#include <unicode/ucasemap.h>
#include <unicode/ustring.h>

#include "MBVars/Contacts.h"
#include "MBVars/Defaults.h"
#include "MBVars/ImportMessageLine.h"
#include "MBVars/ImportSource.h"
#include "MBVars/NumberForms.h"
#include "MBVars/People.h"
#include "MBVars/Ordering.h"
#include "MBVars/Store.h"
#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"

namespace Literal {

// Two texts joined into a fixed buffer, as the column keys of the sort join them.
struct Joined {
    char Bytes[64];
    std::size_t Len;
    Joined(std::string_view a, std::string_view b) : Len(a.size() + b.size()) {
        std::memcpy(Bytes, a.data(), a.size());
        std::memcpy(Bytes + a.size(), b.data(), b.size());
    }
    std::string_view view() const { return {Bytes, Len}; }
};

template <class T>
int Compare(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// -1, 0, 1: key of message a against key of message b for grid column c; 0 without a key.
inline int CompareColumn(const XMsgRecType& a, const XMsgRecType& b, int c) {
    switch (c) {
        case 1: return Compare(Joined(a.Time.view(), a.Phone.view()).view(), Joined(b.Time.view(), b.Phone.view()).view());
        case 2: return Compare(Joined(a.Phone.view(), a.Time.view()).view(), Joined(b.Phone.view(), b.Time.view()).view());
        case 3: return Compare(Joined(a.Name.view(), a.Time.view()).view(), Joined(b.Name.view(), b.Time.view()).view());
        case 4: return Compare(a.Flags, b.Flags);
        case 5: return Compare(std::string_view(a.Text), std::string_view(b.Text));
        case 6: return Compare(static_cast<std::int32_t>(a.Text.size()), static_cast<std::int32_t>(b.Text.size()));
        default: return 0;
    }
}

inline void SortMessages(MsgStore& S, DefaultsType& D, int c, int d) {
    for (std::int32_t i = 1; i <= S.MessageCount; ++i)
        for (std::int32_t j = 1; j <= S.MessageCount; ++j)
            if (i != j && S.Messages[i].Phone == S.Messages[j].Phone) {
                S.Messages[j].Name = S.Messages[i].Name;
                S.Messages[j].Color = S.Messages[i].Color;
            }
    D.SortColumn = static_cast<std::uint8_t>(c);
    for (std::int32_t gap = S.MessageCount / 2; gap > 0;) {
        bool swapped = false;
        for (std::int32_t i = 1; i <= S.MessageCount - gap; ++i) {
            const int order = CompareColumn(S.Messages[i], S.Messages[i + gap], c);
            if (d != 0 ? order > 0 : order < 0) {
                SwapMessages(S, i, i + gap);
                swapped = true;
            }
        }
        if (!swapped) gap /= 2;
    }
    CountMessages(S);
    S.Modified = true;
}

inline void BuildContacts(MsgStore& S, int key, bool rebuild) {
    if (rebuild) {
        S.ContactCount = 0;
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
            XMsgRecType& m = S.Messages[n];
            std::string name;
            for (char ch : m.Name.view())
                if (static_cast<unsigned char>(ch) >= 32) name += ch;
            if (name != m.Name.view()) S.Modified = true;  // only a cleaned name is a change
            m.Name = name;
            bool found = false;
            for (std::int32_t c = 1; c <= S.ContactCount && !found; ++c)
                found = S.Contacts[c].Phone == m.Phone;
            if (!found && S.ContactCount < MaxContacts) {
                GrowContacts(S, S.ContactCount + 1);
                ContactRec& c = S.Contacts[++S.ContactCount];
                c.Phone = m.Phone;
                c.Name = m.Name;
                c.Color = m.Color;
            }
        }
    }
    if (key == 1 || key == 2) {
        for (std::int32_t gap = S.ContactCount / 2; gap > 0;) {
            bool swapped = false;
            for (std::int32_t i = 1; i <= S.ContactCount - gap; ++i) {
                const ContactRec& a = S.Contacts[i];
                const ContactRec& b = S.Contacts[i + gap];
                if (key == 1 ? a.Phone > b.Phone : a.Name > b.Name) {
                    S.Contacts[0] = S.Contacts[i];
                    S.Contacts[i] = S.Contacts[i + gap];
                    S.Contacts[i + gap] = S.Contacts[0];
                    swapped = true;
                }
            }
            if (!swapped) gap /= 2;
        }
    }
}

inline std::int32_t PurgeMarked(MsgStore& S) {
    std::int32_t removed = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Flags & MsgDoomed) {
            S.Messages[n].Clear();
            ++removed;
        }
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::int32_t j = 1; j <= S.MessageCount - 1; ++j)
            if (S.Messages[j].Flags == 0 && S.Messages[j + 1].Flags != 0) {
                SwapMessages(S, j, j + 1);
                swapped = true;
            }
    }
    S.MessageCount -= removed;
    BuildView(S, S.ViewMask);
    S.Modified = true;
    return removed;
}

inline std::int32_t DeletePhone(MsgStore& S, std::string_view phone) {
    const PhoneText p(phone);
    const std::int32_t before = S.MessageCount;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Phone == p) S.Messages[n].Flags |= MsgDoomed;
    Literal::PurgeMarked(S);
    return before - S.MessageCount;
}

// Two records of one message, as the rule reads: same phone, same direction, same text but
// for trailing spaces, and the same time: the Time text, or for two messages with the
// phone's own time that time, which the store holds in the Time text too.
inline bool SameMessage(const XMsgRecType& a, const XMsgRecType& b) {
    std::string ta = a.Text, tb = b.Text;
    while (!ta.empty() && ta.back() == ' ') ta.pop_back();
    while (!tb.empty() && tb.back() == ' ') tb.pop_back();
    const bool bothExact = (a.Flags & MsgExactTime) && (b.Flags & MsgExactTime);
    const bool sameTime = bothExact ? a.Time.str() == b.Time.str() : a.Time == b.Time;
    return a.Phone == b.Phone && ta == tb && sameTime &&
           (a.Flags & MsgSent) == (b.Flags & MsgSent) && (a.Flags & MsgReceived) == (b.Flags & MsgReceived);
}

inline std::int32_t RemoveDuplicates(MsgStore& S, bool remove) {
    for (std::int32_t i = 1; i <= S.MessageCount - 1; ++i)
        for (std::int32_t j = i + 1; j <= S.MessageCount; ++j) {
            XMsgRecType& a = S.Messages[i];
            XMsgRecType& b = S.Messages[j];
            if (Literal::SameMessage(a, b)) {
                if (b.Color == 0)
                    b.Flags |= MsgDoomed;
                else
                    a.Flags |= MsgDoomed;
            }
        }
    std::int32_t count = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[n].Flags & MsgDoomed) {
            ++count;
            if (!remove) S.Messages[n].Flags &= static_cast<std::uint16_t>(~MsgDoomed);
        }
    Literal::PurgeMarked(S);
    S.Modified = true;
    return count;
}

// The person of every message (entry 0: -1), numbered by first message: a person grows
// from its first message by scanning every message for one that shares an international
// form (else the phone's text) or a person name with a message of it.
inline std::vector<std::int32_t> PersonOf(const MsgStore& S) {
    const NumberForms forms(S.Book.HomeCountry);
    const auto at = [](std::int32_t n) { return static_cast<std::size_t>(n); };
    std::vector<std::string> key(at(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) key[at(n)] = forms.KeyOf(S.Messages[at(n)].Phone.view());
    std::vector<std::int32_t> person(at(S.MessageCount) + 1, -1);
    std::int32_t count = 0;
    for (std::int32_t i = 1; i <= S.MessageCount; ++i) {
        if (person[at(i)] >= 0) continue;
        person[at(i)] = count;
        std::vector<std::int32_t> open{i};
        while (!open.empty()) {
            const std::int32_t j = open.back();
            open.pop_back();
            const NameText& name = S.Messages[at(j)].Name;
            for (std::int32_t k = 1; k <= S.MessageCount; ++k)
                if (person[at(k)] < 0 &&
                    (key[at(k)] == key[at(j)] || (IsPersonName(name.view()) && S.Messages[at(k)].Name == name))) {
                    person[at(k)] = count;
                    open.push_back(k);
                }
        }
        ++count;
    }
    return person;
}

// One name for every person whose messages carry different names or numbers: the person name most
// of them carry (of equal counts the one met first), else the first message's number in
// international form. Counted by a double loop.
inline std::int32_t SpreadPersonNames(MsgStore& S) {
    const std::vector<std::int32_t> person = PersonOf(S);
    const auto at = [](std::int32_t n) { return static_cast<std::size_t>(n); };
    std::vector<NameText> chosen(at(S.MessageCount) + 1);
    for (std::int32_t i = 1; i <= S.MessageCount; ++i) {
        bool firstOfPerson = true;  // each person's name is chosen at its first message
        for (std::int32_t j = 1; j < i; ++j) firstOfPerson = firstOfPerson && person[at(j)] != person[at(i)];
        if (!firstOfPerson) continue;
        std::int32_t bestCount = 0, best = 0;
        bool mixed = false;
        for (std::int32_t j = i; j <= S.MessageCount; ++j) {
            if (person[at(j)] != person[at(i)]) continue;
            mixed = mixed || S.Messages[at(j)].Name != S.Messages[at(i)].Name || S.Messages[at(j)].Phone != S.Messages[at(i)].Phone;
            if (!IsPersonName(S.Messages[at(j)].Name.view())) continue;
            std::int32_t count = 0;
            for (std::int32_t k = i; k <= S.MessageCount; ++k)
                count += person[at(k)] == person[at(i)] && S.Messages[at(k)].Name == S.Messages[at(j)].Name;
            if (count > bestCount) {
                bestCount = count;
                best = j;
            }
        }
        const NameText name = !mixed ? S.Messages[at(i)].Name
                              : best ? S.Messages[at(best)].Name
                                     : NameText(NumberForms(S.Book.HomeCountry).KeyOf(S.Messages[at(i)].Phone.view()));
        for (std::int32_t j = i; j <= S.MessageCount; ++j)
            if (person[at(j)] == person[at(i)]) chosen[at(j)] = name;
    }
    std::int32_t changed = 0;
    for (std::int32_t i = 1; i <= S.MessageCount; ++i) {
        changed += S.Messages[at(i)].Name != chosen[at(i)];
        S.Messages[at(i)].Name = chosen[at(i)];
    }
    if (changed > 0) S.Modified = true;
    return changed;
}

inline std::int32_t FitNamesByPhone(MsgStore& S, bool useHistory) {
    const NameText oneSpace(" ");
    for (std::int32_t c = 1; c <= S.ContactCount; ++c)
        if (S.Contacts[c].Name > oneSpace)
            // AssignName is itself the literal one-pass procedure.
            ::AssignName(S, S.Contacts[c].Phone.view(), S.Contacts[c].Name.view());
    if (!useHistory || S.HistoryCount == 0) return 0;
    // Numbers compared in international form (each formed once here, for speed alone).
    const NumberForms forms(S.Book.HomeCountry);
    std::vector<std::string> entryKey(static_cast<std::size_t>(S.HistoryCount) + 1), messageKey(static_cast<std::size_t>(S.MessageCount) + 1);
    for (std::int32_t h = 1; h <= S.HistoryCount; ++h) entryKey[static_cast<std::size_t>(h)] = forms.KeyOf(S.History[h].Phone.view());
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) messageKey[static_cast<std::size_t>(n)] = forms.KeyOf(S.Messages[n].Phone.view());
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        for (std::int32_t h = 1; h <= S.HistoryCount; ++h) {
            const HistoryRec& e = S.History[h];
            XMsgRecType& m = S.Messages[n];
            if (e.Name > oneSpace && messageKey[static_cast<std::size_t>(n)] == entryKey[static_cast<std::size_t>(h)] &&
                e.Phone.view() != e.Name.view()) {
                m.Name = e.Name;
                if (e.Color != 0) m.Color = e.Color;
            }
        }
    std::int32_t removed = 0;
    for (std::int32_t h = 1; h <= S.HistoryCount; ++h)
        if (S.History[h].Blocked != 0) {
            // Every form of the blocked number goes.
            const NumberForms forms(S.Book.HomeCountry);
            const std::string blocked = forms.KeyOf(S.History[h].Phone.view());
            const std::int32_t before = S.MessageCount;
            for (std::int32_t n = 1; n <= S.MessageCount; ++n)
                if (forms.KeyOf(S.Messages[n].Phone.view()) == blocked) S.Messages[n].Flags |= MsgDoomed;
            Literal::PurgeMarked(S);
            removed += before - S.MessageCount;
        }
    return removed;
}

// Names fitted by phone, then one name per person.
inline std::int32_t FitNames(MsgStore& S, bool useHistory) {
    const std::int32_t blocked = FitNamesByPhone(S, useHistory);
    Literal::SpreadPersonNames(S);
    return blocked;
}

// The listing line of kestro-cli built field by field and escaped byte by byte.
inline std::string ListingLine(const XMsgRecType& m) {
    const auto escaped = [](std::string_view field) {
        std::string out;
        for (const char c : field) {
            if (c == '\\') out += "\\\\";
            else if (c == '\t') out += "\\t";
            else if (c == '\r') out += "\\r";
            else if (c == '\n') out += "\\n";
            else out.push_back(c);
        }
        return out;
    };
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%04X", static_cast<unsigned>(m.Flags));
    std::string line = std::to_string(m.Serial);
    for (const std::string& field : {std::string(flags), std::to_string(m.Color), m.Time.str(), m.Phone.str(),
                                    m.Name.str(), m.Text})
        line += "\t" + escaped(field);
    return line;
}

// --- The import's byte work, position by position -----------------------------------

// One block examined by itself, position by position: a CR LF after anything but a quote
// becomes two spaces; a quote, byte, quote pattern votes for its middle byte.
inline void ExamineBlock(unsigned char* block, std::size_t n, SeparatorVote& vote) {
    for (std::size_t i = 0; i + 2 < n; ++i) {
        if (block[i] != '"' && block[i + 1] == '\r' && block[i + 2] == '\n') block[i + 1] = block[i + 2] = ' ';
        if (block[i] == '"' && block[i + 2] == '"' && block[i + 1] != 0) vote.Add(block[i + 1]);
    }
}

// The file's bytes as the import prepares them: blocks of `block` bytes examined one by
// one, line breaks straddling two blocks joined too.
inline PreparedCsv PrepareBytes(std::string_view file, std::size_t block) {
    PreparedCsv out;
    SeparatorVote vote;
    for (std::size_t start = 0; start < file.size(); start += block) {
        std::string part(file.substr(start, block));
        Literal::ExamineBlock(reinterpret_cast<unsigned char*>(part.data()), part.size(), vote);
        out.Bytes += part;
        JoinLineBreaksAcrossBlocks(out.Bytes, start);
    }
    out.Separator = vote.Separator();
    return out;
}

// The text lines of the bytes: split at each LF, every CR of a line dropped; nothing after
// a final LF.
inline std::vector<std::string> TextLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string line;
        for (const char c : bytes.substr(0, end))
            if (c != '\r') line.push_back(c);
        lines.push_back(line);
        bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 1);
    }
    return lines;
}

// The message lines of prepared bytes added one after another: each acceptable line that
// no stored message is the same message as (found by a scan of the whole store) is appended while there is room. Returns how many new lines
// found the store full.
inline std::int32_t ImportMessageLines(MsgStore& S, std::string_view bytes, unsigned char separator) {
    std::int32_t dropped = 0;
    for (const std::string& line : Literal::TextLines(bytes)) {
        XMsgRecType m;
        if (!ParseMessageLine(line, separator, m)) continue;
        bool held = false;
        for (std::int32_t n = 1; n <= S.MessageCount && !held; ++n) held = Literal::SameMessage(S.Messages[n], m);
        if (held) continue;
        if (S.MessageCount >= MaxMessages) {
            ++dropped;
            continue;
        }
        GrowMessages(S, S.MessageCount + 1);
        S.Messages[++S.MessageCount] = m;
    }
    return dropped;
}

// A message line made ready for its fields: a copy, a closing quote added when missing,
// then the two replacements of the whole line, each until none is left.
inline std::string PrepareMessageLine(std::string_view raw) {
    std::string line(raw);
    if (line.empty() || line.back() != '"') line.push_back('"');
    line = ReplaceAll(",\"\"\"", ",\"", std::move(line));
    return ReplaceAll("\"\" ", " ", std::move(line));
}

// The loading sequence of Open after the data file was read into a cleared store.
inline void OpenSequence(MsgStore& S, DefaultsType& D) {
    Literal::FitNames(S, true);
    Literal::SortMessages(S, D, 1, 1);
    Literal::BuildContacts(S, 1, true);
    BuildView(S, ViewEverything);
    Renumber(S);
    Literal::SortMessages(S, D, 1, 0);
    S.Modified = false;
}

// The end of an import after the last file was read (the history is not written).
inline std::int32_t FinishImportSequence(MsgStore& S, DefaultsType& D, bool useHistory, bool removeDups) {
    const std::int32_t blocked = Literal::FitNames(S, useHistory);
    Literal::SortMessages(S, D, 1, 0);
    Literal::BuildContacts(S, 1, true);
    BuildView(S, ViewEverything);
    Literal::BuildContacts(S, 1, true);
    Renumber(S);
    if (removeDups) Literal::RemoveDuplicates(S, true);
    Literal::SortMessages(S, D, 1, 0);
    return blocked;
}

// --- Texts as shown, through ICU's own whole-text routines ---------------------------

// Well-formed UTF-8 as ICU's converter judges it.
inline bool IsUtf8(std::string_view s) {
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, s.data(), static_cast<int32_t>(s.size()), &error);
    return error != U_INVALID_CHAR_FOUND && error != U_ILLEGAL_CHAR_FOUND;
}

inline std::u16string Utf16(std::string_view s) {
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, s.data(), static_cast<int32_t>(s.size()), &error);
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    error = U_ZERO_ERROR;
    u_strFromUTF8(out.data(), length, nullptr, s.data(), static_cast<int32_t>(s.size()), &error);
    return out;
}

// A message text as shown: the stored bytes when they are UTF-8, else the display form
// read as Windows-1252.
inline std::string ShownMessage(std::string_view stored) {
    return IsUtf8(stored) ? std::string(stored) : Cp1252ToUtf8(NormaliseText(stored));
}
inline std::string Shown(std::string_view stored) {
    return IsUtf8(stored) ? std::string(stored) : Cp1252ToUtf8(stored);
}

// ICU's full default case folding of the whole text in one call.
inline std::string Fold(std::string_view utf8) {
    UErrorCode error = U_ZERO_ERROR;
    UCaseMap* map = ucasemap_open("", U_FOLD_CASE_DEFAULT, &error);
    std::string out(utf8.size() * 3 + 8, '\0');
    error = U_ZERO_ERROR;
    const int32_t length = ucasemap_utf8FoldCase(map, out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                                                 static_cast<int32_t>(utf8.size()), &error);
    ucasemap_close(map);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// The text search: each message's shown text, folded, holds the folded needle as shown.
inline std::vector<bool> FoundByText(const MsgStore& S, std::string_view needle) {
    std::vector<bool> found(static_cast<std::size_t>(S.MessageCount) + 1, false);
    const std::string folded = Fold(Shown(needle));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        found[static_cast<std::size_t>(n)] =
            needle.empty() || Fold(ShownMessage(S.Messages[n].Text)).find(folded) != std::string::npos;
    return found;
}

// Characters as shown: every grapheme cluster of a UTF-8 text through a fresh break
// iterator over its UTF-16 form, CR LF as two; any other text its display form's bytes.
inline std::int32_t CharCount(std::string_view stored) {
    if (!IsUtf8(stored)) return static_cast<std::int32_t>(NormaliseText(stored).size());
    const std::u16string text = Utf16(stored);
    UErrorCode error = U_ZERO_ERROR;
    UBreakIterator* it = ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(text.data()),
                                   static_cast<int32_t>(text.size()), &error);
    std::int32_t clusters = 0;
    ubrk_first(it);
    while (ubrk_next(it) != UBRK_DONE) ++clusters;
    ubrk_close(it);
    for (std::size_t i = 0; i + 1 < stored.size(); ++i)
        if (stored[i] == '\r' && stored[i + 1] == '\n') ++clusters;
    return clusters;
}

}  // namespace Literal
