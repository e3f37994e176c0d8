// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/NumberForms.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "Formats/InternationalNumber.h"
#include "MBVars/PhoneIndex.h"

namespace {
// Forms by home country and phone. Bounded: a file of endless distinct numbers empties it
// now and then rather than filling the memory.
constexpr std::size_t MostKeptForms = 200000;

struct FormCache {
    std::mutex Lock;
    std::unordered_map<std::string, std::string> Forms;  // home country, '\n', phone
};
FormCache& Cache() {
    static FormCache cache;
    return cache;
}
}  // namespace

std::string NumberForms::Of(std::string_view phone) const {
    std::string key = home_;
    key += '\n';
    key += phone;
    FormCache& cache = Cache();
    {
        const std::lock_guard lock(cache.Lock);
        if (const auto it = cache.Forms.find(key); it != cache.Forms.end()) return it->second;
    }
    // The forms of one number (national, "+", "00", blanks and dashes) are one number dialled
    // from abroad: libphonenumber is asked once for them all, under that key.
    const std::string dialled = DialledFromAbroad(phone, home_);
    std::string form;
    if (!dialled.empty()) {
        const std::string dialledKey = "\x01" + dialled;  // no home country: it is written in full
        bool known = false;
        {
            const std::lock_guard lock(cache.Lock);
            if (const auto it = cache.Forms.find(dialledKey); it != cache.Forms.end()) form = it->second, known = true;
        }
        if (!known) {
            form = ValidInternational(dialled);  // outside the lock: other threads go on
            const std::lock_guard lock(cache.Lock);
            if (cache.Forms.size() >= MostKeptForms) cache.Forms.clear();
            cache.Forms.emplace(dialledKey, form);
        }
        // A national number that does not compose into a valid one may still be one by the
        // home country's own rules.
        if (form.empty() && !WrittenInternationally(phone)) form = NationalReading(phone, home_);
    }
    const std::lock_guard lock(cache.Lock);
    if (cache.Forms.size() >= MostKeptForms) cache.Forms.clear();
    cache.Forms.emplace(std::move(key), form);
    return form;
}

void NumberForms::ForgetAll() {
    FormCache& cache = Cache();
    const std::lock_guard lock(cache.Lock);
    cache.Forms.clear();
}

std::string NumberForms::KeyOf(std::string_view phone) const {
    std::string form = Of(phone);
    return form.empty() ? std::string(phone) : form;
}

std::string StoredNumber(const NumberForms& forms, std::string_view phone) { return forms.KeyOf(phone); }

std::int32_t RewriteHeldNumbersInternationally(MsgStore& S, const NumberForms& forms, bool everyMessage) {
    // Each distinct phone is formed once; the messages then take the form of theirs.
    PhoneIndex formOf(256);
    std::vector<PhoneText> formed;
    std::vector<PhoneText> phones;  // a copy of each distinct phone: the index keeps pointers to it
    phones.reserve(static_cast<std::size_t>(S.MessageCount));
    std::int32_t changed = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        if (!(everyMessage || (m.Flags & MsgExactTime)) || m.Phone.empty()) continue;
        phones.push_back(m.Phone);  // reserved: no reallocation moves what the index points at
        const auto [at, isNew] = formOf.TryEmplace(phones.back(), static_cast<std::int32_t>(formed.size()));
        if (isNew) {
            const std::string form = forms.Of(m.Phone.view());
            formed.emplace_back(form.empty() || form.size() > PhoneText::Capacity ? m.Phone.view() : std::string_view(form));
        } else {
            phones.pop_back();
        }
        const PhoneText& to = formed[static_cast<std::size_t>(at)];
        if (to == m.Phone) continue;
        m.Phone = to;
        ++changed;
    }
    for (AddressCard& card : S.Book.Cards)
        for (std::string& phone : card.Phones) phone = StoredNumber(forms, phone);
    if (changed > 0) S.Modified = true;
    return changed;
}
