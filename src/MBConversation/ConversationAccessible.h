// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader sees of the conversation: a list named "Conversation" whose items
// are the bubbles, each named by its direction, time and text. The bubbles are no widgets,
// so each gets an interface of its own when a reader first asks for it.
#include <QAccessibleWidget>
#include <cstdint>
#include <unordered_map>

class ConversationView;

class ConversationAccessible : public QAccessibleWidget {
public:
    explicit ConversationAccessible(ConversationView* view);
    ~ConversationAccessible() override;

    QAccessible::Role role() const override { return QAccessible::List; }
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    ConversationView* View() const;

private:
    // The bubbles' interfaces, for the messages of one generation of the view.
    void ForgetChildren() const;
    mutable std::unordered_map<int, QAccessible::Id> Children;
    mutable std::uint64_t ChildrenOf = 0;
};

// Lets Qt make the interface above for every conversation view (once per program).
void InstallConversationAccessible();
