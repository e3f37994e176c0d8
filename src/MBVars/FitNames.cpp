// Fitting names, colours and blocked marks of the contact table and the history to a
// freshly loaded collection.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "MBVars/History.h"
#include "MBVars/Removal.h"

namespace {

// A name is usable when it sorts above the one-space text: a single space, an empty name
// or one starting below the space never reaches the messages.
bool UsableName(const NameText& name) { return name > NameText(" "); }

// Calling AssignName(phone, name) for every contact with a usable name, in table order:
// from the first call on, nameless messages carry their own phone as name, and each
// message of a listed phone ends with the name of the last such contact.
void ApplyContactNames(MsgStore& S) {
    std::unordered_map<std::string_view, const NameText*> nameOf;
    for (std::int32_t c = 1; c <= std::min(S.ContactCount, MaxContacts); ++c) {
        const ContactRec& contact = S.Contacts[c];
        // An empty phone makes AssignName do nothing at all.
        if (UsableName(contact.Name) && !contact.Phone.empty())
            nameOf.insert_or_assign(contact.Phone.view(), &contact.Name);
    }
    if (nameOf.empty()) return;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        if (m.Name.empty()) m.Name = m.Phone.view();
        if (const auto it = nameOf.find(m.Phone.view()); it != nameOf.end()) m.Name = *it->second;
    }
    S.Modified = true;
}

// Every history entry with a usable name other than its own number, applied to every
// message of its phone in table order: the last such entry gives the name, the last one
// with a colour gives the colour.
void ApplyHistoryNames(MsgStore& S, std::int32_t entries) {
    struct Fit {
        const NameText* Name = nullptr;
        std::int32_t Color = 0;
    };
    std::unordered_map<std::string_view, Fit> fitOf;
    for (std::int32_t h = 1; h <= entries; ++h) {
        const HistoryRec& e = S.History[h];
        if (!UsableName(e.Name) || e.Phone.view() == e.Name.view()) continue;
        Fit& fit = fitOf[e.Phone.view()];
        fit.Name = &e.Name;
        if (e.Color != 0) fit.Color = e.Color;
    }
    if (fitOf.empty()) return;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        const auto it = fitOf.find(m.Phone.view());
        if (it == fitOf.end()) continue;
        m.Name = *it->second.Name;
        if (it->second.Color != 0) m.Color = it->second.Color;
    }
}

}  // namespace

// One purge for every blocked entry: a purge per entry gives the same collection (each
// rebuilds the view and sets Modified), and a phone listed twice loses its messages once.
std::int32_t DeleteBlocked(MsgStore& S) {
    const std::int32_t entries = std::clamp(S.HistoryCount, 0, MaxHistory);
    std::unordered_set<std::string_view> blocked;
    for (std::int32_t h = 1; h <= entries; ++h)
        if (S.History[h].Blocked != 0) blocked.insert(S.History[h].Phone.view());
    if (blocked.empty()) return 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (blocked.contains(S.Messages[n].Phone.view())) S.Messages[n].Flags |= MsgDoomed;
    return PurgeMarked(S);
}

std::int32_t FitNames(MsgStore& S, bool useHistory) {
    ApplyContactNames(S);
    if (!useHistory || S.HistoryCount <= 0) return 0;
    const std::int32_t entries = std::min(S.HistoryCount, MaxHistory);
    ApplyHistoryNames(S, entries);
    return DeleteBlocked(S);
}
