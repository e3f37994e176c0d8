// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBConversation/TConversation.h"

#include <QLabel>
#include <QVBoxLayout>

#include "MBConversation/ConversationView.h"
#include "MBVars/Conversation.h"
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
    const XMsgRecType* m = current >= 1 && current <= S.MessageCount ? &S.Messages[static_cast<std::size_t>(current)] : nullptr;
    const std::string phone = m ? m->Phone.str() : std::string();
    // The grid's rows clear the font's style (bold in the default font) and apply their own,
    // regular unless chosen otherwise: the bubbles read as the rows do.
    QFont font = ToQFont(*D.DefaultFont);
    font.setBold(false);
    font.setItalic(false);
    const bool sameLook = phone == Phone && search == Search && font == ShownFont;
    if (IsStale || !sameLook) {
        IsStale = false;
        Phone = phone;
        Search = search;
        ShownFont = font;
        std::vector<std::int32_t> found = m ? ConversationOf(S, Phone) : std::vector<std::int32_t>();
        // Most commands leave this contact's messages as they were: what is laid out stays.
        if (!sameLook || found != Shown || !StillShown()) {
            Shown = std::move(found);
            Kept.clear();
            for (const std::int32_t n : Shown) Kept.push_back(S.Messages[static_cast<std::size_t>(n)]);
            View->SetMessages(Shown, Search, font);
        } else {
            View->RefreshMedia();  // an import or a save may have changed the media
            View->viewport()->update();  // the colours of the settings may have changed
        }
    }
    Name = m ? m->Name.str() : std::string();
    const QString contact = m ? ContactTitle() : QString();  // a message may lack both name and number
    Title->setText(contact.isEmpty() ? QStringLiteral("Conversation") : QStringLiteral("Conversation with ") + contact);
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

QString TConversation::ContactTitle() const {
    const QString name = ShownText(Name).trimmed();
    return name.isEmpty() ? ShownText(Phone).trimmed() : name;
}

void TConversation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (IsStale) Follow(Current, Search);
}
