// SPDX-License-Identifier: GPL-3.0-or-later
// Fitting names, colours and blocked marks of the contact table and the history to a
// freshly loaded collection.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "MBVars/History.h"
#include "Formats/NumberMatch.h"
#include "MBVars/NumberForms.h"
#include "MBVars/People.h"
#include "MBVars/PhoneIndex.h"
#include "MBVars/Removal.h"
#include "OFuncs/WholeCharacters.h"

namespace {

// A name is usable when it sorts above the one-space text: a single space, an empty name
// or one starting below the space never reaches the messages.
bool UsableName(const NameText& name) { return name > NameText(" "); }

// Calling AssignName(phone, name) for every contact with a usable name, in table order:
// from the first call on, nameless messages carry their own phone as name, and each
// message of a listed phone ends with the name of the last such contact. A message that
// no contact's phone names as it is written takes the name of the address-book card, or
// else of the contact, whose number is its phone written otherwise.
void ApplyContactNames(MsgStore& S) {
    const std::int32_t contacts = std::min(S.ContactCount, MaxContacts);
    const std::vector<AddressCard>& cards = S.Book.Cards;
    PhoneIndex nameOf(static_cast<std::size_t>(std::max(contacts, 0)));
    NumberMatcher numbers(S.Book.HomeCountry);
    const auto firstContact = static_cast<std::int32_t>(cards.size());  // matcher values: cards, then contacts
    for (std::int32_t c = 1; c <= contacts; ++c) {
        const ContactRec& contact = S.Contacts[c];
        // An empty phone makes AssignName do nothing at all.
        if (!UsableName(contact.Name) || contact.Phone.empty()) continue;
        nameOf.Assign(contact.Phone, c);
        numbers.Add(contact.Phone.view(), firstContact + c);
    }
    for (std::size_t k = 0; k < cards.size(); ++k)
        for (const std::string& phone : cards[k].Phones) numbers.Add(phone, static_cast<std::int32_t>(k));
    for (AddressBookFile& f : S.Book.Files) f.Named = 0;
    if (nameOf.Empty() && cards.empty()) return;

    std::vector<bool> cardNamed(cards.size());
    PhoneIndex matchOf(1024);  // per distinct phone: an index into `matches`
    std::vector<std::int32_t> matches;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        if (m.Name.empty()) m.Name = m.Phone.view();
        if (const std::int32_t c = nameOf.Find(m.Phone); c > 0) {
            m.Name = S.Contacts[c].Name;
            continue;
        }
        const auto [at, isNew] = matchOf.TryEmplace(m.Phone, static_cast<std::int32_t>(matches.size()));
        if (isNew) matches.push_back(numbers.Find(m.Phone.view()));
        const std::int32_t match = matches[static_cast<std::size_t>(at)];
        if (match < 0) continue;
        if (match >= firstContact) {
            m.Name = S.Contacts[match - firstContact].Name;
        } else {
            m.Name = CutToWholeCharacters(cards[static_cast<std::size_t>(match)].Name, NameText::Capacity);
            cardNamed[static_cast<std::size_t>(match)] = true;
        }
    }
    for (std::size_t k = 0; k < cards.size(); ++k)
        if (cardNamed[k]) ++S.Book.Files[static_cast<std::size_t>(cards[k].File)].Named;
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
    // An entry names its number in every form: a history written before the numbers were
    // held in international form still names them. Compared by international form.
    const NumberForms forms(S.Book.HomeCountry);
    std::unordered_map<std::string, std::int32_t> fitOf;
    std::vector<Fit> fits;
    for (std::int32_t h = 1; h <= entries; ++h) {
        const HistoryRec& e = S.History[h];
        if (!UsableName(e.Name) || e.Phone.view() == e.Name.view()) continue;
        const auto [it, isNew] = fitOf.try_emplace(forms.KeyOf(e.Phone.view()), static_cast<std::int32_t>(fits.size()));
        if (isNew) fits.emplace_back();
        Fit& fit = fits[static_cast<std::size_t>(it->second)];
        fit.Name = &e.Name;
        if (e.Color != 0) fit.Color = e.Color;
    }
    if (fits.empty()) return;
    constexpr std::int32_t NotLookedUp = -1, NoFit = -2;  // NotLookedUp is what Find gives for a new phone
    PhoneIndex fitOfPhone(256);  // per distinct phone of the messages: its fit, or NoFit
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        std::int32_t at = fitOfPhone.Find(m.Phone);
        if (at == NotLookedUp) {
            const auto it = fitOf.find(forms.KeyOf(m.Phone.view()));
            at = it == fitOf.end() ? NoFit : it->second;
            fitOfPhone.Assign(m.Phone, at);
        }
        if (at < 0) continue;
        const Fit& fit = fits[static_cast<std::size_t>(at)];
        m.Name = *fit.Name;
        if (fit.Color != 0) m.Color = fit.Color;
    }
}

}  // namespace

// One purge for every blocked entry: a purge per entry gives the same collection (each
// rebuilds the view and sets Modified), and a phone listed twice loses its messages once.
std::int32_t DeleteBlocked(MsgStore& S) {
    const std::int32_t entries = std::clamp(S.HistoryCount, 0, MaxHistory);
    // A blocked number is blocked in every form: its international form is what is compared.
    const NumberForms forms(S.Book.HomeCountry);
    std::unordered_set<std::string> blocked;
    for (std::int32_t h = 1; h <= entries; ++h)
        if (S.History[h].Blocked != 0) blocked.insert(forms.KeyOf(S.History[h].Phone.view()));
    if (blocked.empty()) return 0;
    PhoneIndex isBlocked(256);  // per distinct phone of the messages: 1 blocked, 0 not
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[n];
        std::int32_t known = isBlocked.Find(m.Phone);
        if (known < 0) {
            known = blocked.contains(forms.KeyOf(m.Phone.view())) ? 1 : 0;
            isBlocked.Assign(m.Phone, known);
        }
        if (known == 1) m.Flags |= MsgDoomed;
    }
    return PurgeMarked(S);
}

std::int32_t FitNames(MsgStore& S, bool useHistory) {
    ApplyContactNames(S);
    std::int32_t blocked = 0;
    if (useHistory && S.HistoryCount > 0) {
        ApplyHistoryNames(S, std::min(S.HistoryCount, MaxHistory));
        blocked = DeleteBlocked(S);
    }
    // A person's numbers, named apart by the history or left nameless, take one name.
    SpreadPersonNames(S);
    return blocked;
}
