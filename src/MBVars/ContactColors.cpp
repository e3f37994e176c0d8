// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ContactColors.h"

#include <vector>

#include "MBVars/People.h"

std::int32_t RandomLightColor(std::mt19937& rng) {
    std::uniform_int_distribution<std::int32_t> half(0, 127);
    const std::int32_t b = half(rng);
    const std::int32_t g = half(rng);
    const std::int32_t r = half(rng);
    return (128 + b) * 65536 + (128 + g) * 256 + (128 + r);
}

std::int32_t ColorContactsAutomatically(MsgStore& S, std::mt19937& rng) {
    // Each person's colour is fixed by its first message: once that message has a colour
    // (never 0 after the draw), every later uncoloured message of the person takes it.
    const People people = GroupPeople(S);
    std::vector<std::int32_t> colorOf(static_cast<std::size_t>(people.Count), 0);
    std::vector<bool> seen(static_cast<std::size_t>(people.Count), false);
    std::int32_t assigned = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        const auto person = static_cast<std::size_t>(people.PersonOf[static_cast<std::size_t>(n)]);
        if (!seen[person]) {
            seen[person] = true;
            if (m.Color == 0) {
                m.Color = RandomLightColor(rng);
                ++assigned;
            }
            colorOf[person] = m.Color;
        } else if (m.Color == 0) {
            m.Color = colorOf[person];
        }
    }
    S.Modified = true;
    return assigned;
}

std::int32_t ColorThisContact(MsgStore& S, DefaultsType& D, std::int32_t n, std::int32_t color) {
    if (n < 1 || n > S.MessageCount) return 0;
    const XMsgRecType& current = S.Messages[static_cast<std::size_t>(n)];
    const NameText name = current.Name;
    const PhoneText phone = current.Phone;
    std::vector<bool> ofPerson(static_cast<std::size_t>(S.MessageCount) + 1, false);
    if (!phone.empty())
        for (const std::int32_t k : PersonOfMessage(S, n).Messages) ofPerson[static_cast<std::size_t>(k)] = true;
    std::int32_t colored = 0;
    for (std::int32_t i = 1; i <= S.MessageCount; ++i) {
        XMsgRecType& m = S.Messages[static_cast<std::size_t>(i)];
        // An empty name or number is nobody's: it does not join the nameless messages.
        if (i == n || (!name.empty() && m.Name == name) || ofPerson[static_cast<std::size_t>(i)]) {
            m.Color = color;
            ++colored;
        }
    }
    D.ColorMode = 2;
    S.Modified = true;
    return colored;
}

void ClearAllColors(MsgStore& S) {
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[static_cast<std::size_t>(n)].Color = 0;
    S.Modified = true;
}
