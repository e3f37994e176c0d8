// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/People.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "MBVars/NumberForms.h"
#include "MBVars/PhoneIndex.h"

namespace {
// Disjoint sets with path halving and union by size: the joins are nearly constant time.
class Links {
public:
    std::int32_t Add() {
        parent_.push_back(static_cast<std::int32_t>(parent_.size()));
        size_.push_back(1);
        return parent_.back();
    }
    std::int32_t Root(std::int32_t x) {
        while (parent_[static_cast<std::size_t>(x)] != x) {
            auto& p = parent_[static_cast<std::size_t>(x)];
            p = parent_[static_cast<std::size_t>(p)];
            x = p;
        }
        return x;
    }
    void Join(std::int32_t a, std::int32_t b) {
        a = Root(a);
        b = Root(b);
        if (a == b) return;
        if (size_[static_cast<std::size_t>(a)] < size_[static_cast<std::size_t>(b)]) std::swap(a, b);
        parent_[static_cast<std::size_t>(b)] = a;
        size_[static_cast<std::size_t>(a)] += size_[static_cast<std::size_t>(b)];
    }
    std::size_t Size() const { return parent_.size(); }

private:
    std::vector<std::int32_t> parent_, size_;
};

bool NumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == ' ' || c == '-' || c == '.' || c == '/' || c == '(' || c == ')';
}

std::size_t At(std::int32_t n) { return static_cast<std::size_t>(n); }
}  // namespace

bool IsPersonName(std::string_view name) {
    return !name.empty() && !std::all_of(name.begin(), name.end(), NumberCharacter);
}

People GroupPeople(const MsgStore& S) {
    const NumberForms forms(S.Book.HomeCountry);
    People people;
    people.PersonOf.assign(At(std::max(S.MessageCount, 0)) + 1, -1);
    Links links;
    PhoneIndex nodeOfPhone(256);
    std::unordered_map<std::string, std::int32_t> nodeOfNumber;
    std::unordered_map<std::string_view, std::int32_t> nodeOfName;  // views into the held names
    std::vector<std::int32_t> nodeOf(people.PersonOf.size(), -1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[At(n)];
        std::int32_t node = nodeOfPhone.Find(m.Phone);
        if (node < 0) {
            const auto [it, isNew] = nodeOfNumber.try_emplace(forms.KeyOf(m.Phone.view()), -1);
            if (isNew) it->second = links.Add();
            node = it->second;
            nodeOfPhone.Assign(m.Phone, node);
            ++people.Numbers;
        }
        nodeOf[At(n)] = node;
        if (!IsPersonName(m.Name.view())) continue;
        const auto [it, isNew] = nodeOfName.try_emplace(m.Name.view(), -1);
        if (isNew) it->second = links.Add();
        links.Join(node, it->second);
    }
    std::vector<std::int32_t> personOfRoot(links.Size(), -1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        std::int32_t& person = personOfRoot[At(links.Root(nodeOf[At(n)]))];
        if (person < 0) person = people.Count++;
        people.PersonOf[At(n)] = person;
    }
    return people;
}

namespace {
// The name most of the messages carry (of equal counts the one met first), else empty.
std::string MostCarriedName(const MsgStore& S, const std::vector<std::int32_t>& messages) {
    struct Tally {
        std::int32_t Count = 0, FirstMet = 0;
    };
    std::unordered_map<std::string_view, Tally> tally;
    std::int32_t met = 0;
    for (const std::int32_t n : messages) {
        const std::string_view name = S.Messages[At(n)].Name.view();
        if (!IsPersonName(name)) continue;
        const auto [it, isNew] = tally.try_emplace(name, Tally{0, met++});
        ++it->second.Count;
    }
    std::string_view best;
    Tally bestTally;
    for (const auto& [name, t] : tally)
        if (t.Count > bestTally.Count || (t.Count == bestTally.Count && t.FirstMet < bestTally.FirstMet)) {
            best = name;
            bestTally = t;
        }
    return std::string(best);
}
}  // namespace

Person PersonOfMessage(const MsgStore& S, std::int32_t n) {
    Person person;
    if (n < 1 || n > S.MessageCount) return person;
    const People people = GroupPeople(S);
    const std::int32_t who = people.PersonOf[At(n)];
    for (std::int32_t k = 1; k <= S.MessageCount; ++k)
        if (people.PersonOf[At(k)] == who) person.Messages.push_back(k);
    person.Name = MostCarriedName(S, person.Messages);
    if (person.Name.empty()) person.Name = NumberForms(S.Book.HomeCountry).KeyOf(S.Messages[At(n)].Phone.view());
    for (const std::int32_t k : person.Messages) person.Numbers.push_back(S.Messages[At(k)].Phone.str());
    std::sort(person.Numbers.begin(), person.Numbers.end());
    person.Numbers.erase(std::unique(person.Numbers.begin(), person.Numbers.end()), person.Numbers.end());
    // The stored time "yyyy.mm.dd hh:mm" orders as text.
    std::stable_sort(person.Messages.begin(), person.Messages.end(), [&S](std::int32_t a, std::int32_t b) {
        return S.Messages[At(a)].Time.view() < S.Messages[At(b)].Time.view();
    });
    return person;
}

Person PersonOfPhone(const MsgStore& S, std::string_view phone) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[At(n)].Phone.view() == phone) return PersonOfMessage(S, n);
    const NumberForms forms(S.Book.HomeCountry);
    const std::string key = forms.KeyOf(phone);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (forms.KeyOf(S.Messages[At(n)].Phone.view()) == key) return PersonOfMessage(S, n);
    return {};
}

std::vector<std::string> NumbersOfPeople(const MsgStore& S, const std::vector<std::int32_t>& positions) {
    const People people = GroupPeople(S);
    std::vector<bool> chosen(At(people.Count), false);
    for (const std::int32_t n : positions)
        if (n >= 1 && n <= S.MessageCount) chosen[At(people.PersonOf[At(n)])] = true;
    std::vector<std::string> numbers;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (chosen[At(people.PersonOf[At(n)])]) numbers.push_back(S.Messages[At(n)].Phone.str());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::int32_t SpreadPersonNames(MsgStore& S) {
    const People people = GroupPeople(S);
    std::vector<std::int32_t> firstOf(At(people.Count), 0);
    std::vector<bool> mixed(At(people.Count), false);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        std::int32_t& first = firstOf[At(people.PersonOf[At(n)])];
        if (first == 0) first = n;
        else if (S.Messages[At(first)].Name != S.Messages[At(n)].Name || S.Messages[At(first)].Phone != S.Messages[At(n)].Phone)
            mixed[At(people.PersonOf[At(n)])] = true;
    }
    if (std::none_of(mixed.begin(), mixed.end(), [](bool b) { return b; })) return 0;
    std::vector<std::vector<std::int32_t>> messagesOf(At(people.Count));
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (mixed[At(people.PersonOf[At(n)])]) messagesOf[At(people.PersonOf[At(n)])].push_back(n);
    const NumberForms forms(S.Book.HomeCountry);
    std::int32_t changed = 0;
    for (std::int32_t p = 0; p < people.Count; ++p) {
        if (!mixed[At(p)]) continue;
        const std::vector<std::int32_t>& messages = messagesOf[At(p)];
        std::string name = MostCarriedName(S, messages);
        if (name.empty()) name = forms.KeyOf(S.Messages[At(messages.front())].Phone.view());
        const NameText chosen(name);
        for (const std::int32_t n : messages) {
            NameText& now = S.Messages[At(n)].Name;
            if (now == chosen) continue;
            now = chosen;
            ++changed;
        }
    }
    if (changed > 0) S.Modified = true;
    return changed;
}

std::string PeopleCountText(const People& people) {
    // Plural throughout, as the rest of the report line counts.
    return std::to_string(people.Count) + " contacts (" + std::to_string(people.Numbers) + " numbers)";
}
