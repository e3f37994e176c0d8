// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/ExportScope.h"

#include "MBVars/People.h"
#include "MBVars/Search.h"

std::string ExportTitle(const ExportScope& scope) {
    std::string title;
    if (!scope.Contact.empty())
        title = "Messages with " + scope.Contact;
    else if (scope.Directions == ViewSent)
        title = "Sent messages";
    else if (scope.Directions == ViewReceived)
        title = "Received messages";
    else
        title = scope.Search.empty() ? "All messages" : "Messages";
    if (!scope.Search.empty()) title += " containing \"" + scope.Search + "\"";
    if (scope.Selection) title += " (selection)";
    return title;
}

std::vector<std::int32_t> PickExportRows(MsgStore& S, const ExportScope& scope, const std::string& contactPhone) {
    MarkFound(S, FetchByText, scope.Search);  // every message when there is no search
    // The contact is a person: every form of the number, and the numbers of the same name.
    std::vector<bool> ofContact;
    if (!contactPhone.empty()) {
        ofContact.assign(static_cast<std::size_t>(S.MessageCount) + 1, false);
        for (const std::int32_t n : PersonOfPhone(S, contactPhone).Messages) ofContact[static_cast<std::size_t>(n)] = true;
    }
    std::vector<std::int32_t> rows;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
        if (!(m.Flags & MsgFound) || !(m.Flags & scope.Directions)) continue;
        if (!ofContact.empty() && !ofContact[static_cast<std::size_t>(n)]) continue;
        rows.push_back(n);
    }
    return rows;
}
