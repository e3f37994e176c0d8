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
    const QFont font = ToQFont(*D.DefaultFont);
    if (IsStale || phone != Phone || search != Search || font != ShownFont) {
        IsStale = false;
        Phone = phone;
        Search = search;
        Shown = m ? ConversationOf(S, Phone) : std::vector<std::int32_t>();
        ShownFont = font;
        View->SetMessages(Shown, Search, font);
    }
    Name = m ? m->Name.str() : std::string();
    Title->setText(m ? QStringLiteral("Conversation with ") + ContactTitle() : QStringLiteral("Conversation"));
    View->SetMarked(current);
}

QString TConversation::ContactTitle() const {
    const QString name = ShownText(Name).trimmed();
    return name.isEmpty() ? ShownText(Phone).trimmed() : name;
}

void TConversation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (IsStale) Follow(Current, Search);
}
