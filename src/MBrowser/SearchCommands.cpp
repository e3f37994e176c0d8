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

// The search replaces the contact view: its button comes up and the name box goes.
void EndContactView(TMBForm& form) {
    if (!form.ThisPersonSB->isChecked()) return;
    {
        const QSignalBlocker quiet(form.ThisPersonSB);
        form.ThisPersonSB->setChecked(false);
    }
    form.ThisPersonMainMenu->setChecked(false);
    form.NameBox->hide();
}

}  // namespace

void TMBForm::SearchEditChange() {
    EndContactView(*this);
    SearchText = StoredFromTyped(SearchEdit->text());
    if (SearchText.empty())
        DispAllSBClick();
    else
        FetchStr(FetchByText, SearchText);
}

void TMBForm::WebPagesMenuClick() {
    EndContactView(*this);
    FetchStr(FetchByText, WebLinkMark);
}

void TMBForm::EmailsMenuClick() {
    EndContactView(*this);
    FetchStr(FetchByText, EmailMark);
}
