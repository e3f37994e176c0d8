// SPDX-License-Identifier: GPL-3.0-or-later
// The search bar: a live text search at every keystroke, and the search menu's filters.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include "MBVars/Search.h"
#include "MBrowser/TMBForm.h"
#include "Platform/Cp1252Text.h"

namespace {
// What the search menu's filters look for.
constexpr const char* WebLinkMark = "://";
constexpr const char* EmailMark = "@";

}  // namespace

void TMBForm::SearchEditChange() {
    EndContactView();  // the search replaces the contact view
    SearchText = StoredFromTyped(SearchEdit->text());
    if (SearchText.empty())
        DispAllSBClick();
    else
        FetchStr(FetchByText, SearchText);
}

void TMBForm::WebPagesMenuClick() {
    EndContactView();
    ClearSearchBox();
    FetchStr(FetchByText, WebLinkMark);
}

void TMBForm::EmailsMenuClick() {
    EndContactView();
    ClearSearchBox();
    FetchStr(FetchByText, EmailMark);
}

void TMBForm::ClearSearchBox() {
    // Quietly: emptying the box would otherwise show all messages.
    const QSignalBlocker quiet(SearchEdit);
    SearchEdit->clear();
    SearchText.clear();
}
