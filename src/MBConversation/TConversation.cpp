// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBConversation/TConversation.h"

#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

#include "MBConversation/ConversationView.h"
#include "MBVars/People.h"
#include "MBrowser/GridFont.h"
#include "Platform/Cp1252Text.h"

TConversation::TConversation(const MsgStore& store, const DefaultsType& defaults, QWidget* parent)
    : QWidget(parent), S(store), D(defaults) {
    setObjectName(QStringLiteral("ConversationPane"));
    setAccessibleName(QStringLiteral("Conversation"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    Title = new QLabel(QStringLiteral("Conversation"), this);
    Title->setObjectName(QStringLiteral("ConversationTitle"));
    Title->setContentsMargins(8, 4, 8, 4);
    Title->setTextFormat(Qt::PlainText);
    QFont bold = Title->font();
    bold.setBold(true);
    Title->setFont(bold);
    View = new ConversationView(S, D, this);
    column->addWidget(Title);
    column->addWidget(View, 1);
    connect(View, &ConversationView::MessageChosen, this, &TConversation::MessageChosen);
    connect(View, &ConversationView::LinkActivated, this, &TConversation::LinkActivated);
    connect(View, &ConversationView::FileActivated, this, &TConversation::FileActivated);
    connect(View, &ConversationView::ExportRequested, this, &TConversation::ExportRequested);
}

void TConversation::Follow(std::int32_t current, const std::string& search) {
    Current = current;
    if (isHidden()) {
        IsStale = true;  // caught up with when shown
        return;
    }
    const bool held = current >= 1 && current <= S.MessageCount;
    // The grid's rows clear the font's style (bold in the default font) and apply their own,
    // regular unless chosen otherwise: the bubbles read as the rows do.
    QFont font = ToQFont(*D.DefaultFont);
    font.setBold(false);
    font.setItalic(false);
    // Another message of the person shown is the same look: only its bubble is marked.
    const bool samePerson = held && std::find(Shown.begin(), Shown.end(), current) != Shown.end();
    const bool sameLook = samePerson && search == Search && font == ShownFont;
    if (IsStale || !sameLook) {
        IsStale = false;
        Search = search;
        ShownFont = font;
        Person person = held ? PersonOfMessage(S, current) : Person();
        Name = std::move(person.Name);
        Numbers = std::move(person.Numbers);
        // Most commands leave this person's messages as they were: what is laid out stays.
        if (!sameLook || person.Messages != Shown || !StillShown()) {
            Shown = std::move(person.Messages);
            Kept.clear();
            for (const std::int32_t n : Shown) Kept.push_back(S.Messages[static_cast<std::size_t>(n)]);
            View->SetMessages(Shown, Search, font);
        } else {
            View->RefreshMedia();  // an import or a save may have changed the media
            View->viewport()->update();  // the colours of the settings may have changed
        }
    }
    const QString contact = held ? ContactTitle() : QString();  // a message may lack both name and number
    Title->setText(contact.isEmpty() ? QStringLiteral("Conversation") : QStringLiteral("Conversation with ") + contact);
    QStringList numbers;
    if (held)
        for (const std::string& number : Numbers) numbers << ShownText(number);
    Title->setToolTip(numbers.join(QLatin1Char('\n')));
    View->SetMarked(current);
}

bool TConversation::StillShown() const {
    if (Kept.size() != Shown.size()) return false;
    for (std::size_t i = 0; i < Shown.size(); ++i) {
        const XMsgRecType& now = S.Messages[static_cast<std::size_t>(Shown[i])];
        const XMsgRecType& then = Kept[i];
        if (now.Flags != then.Flags || now.Color != then.Color || now.Time != then.Time || now.Name != then.Name ||
            now.Text != then.Text)
            return false;
    }
    return true;
}

QString TConversation::ContactTitle() const { return ShownText(Name).trimmed(); }

void TConversation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (IsStale) Follow(Current, Search);
}
