// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBConversation/ConversationAccessible.h"

#include <QPointer>
#include <QWindow>

#include "MBConversation/ConversationView.h"

namespace {

class BubbleAccessible : public QAccessibleInterface {
public:
    BubbleAccessible(ConversationView* view, int index) : View(view), Index(index), Generation(view->Generation()) {}

    bool isValid() const override { return View && View->Generation() == Generation && Index < View->Count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return View ? View->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(View.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return isValid() && (t == QAccessible::Name || t == QAccessible::Value) ? View->ItemName(Index) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect inView = View->ItemRect(Index);
        return {View->viewport()->mapToGlobal(inView.topLeft()), inView.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = s.focusable = true;
        if (!isValid()) return s;
        s.selected = View->IsSelected(Index);
        s.focused = View->hasFocus() && View->CurrentIndex() == Index;
        return s;
    }
    int Row() const { return Index; }

private:
    QPointer<ConversationView> View;
    int Index;
    std::uint64_t Generation;
};

QAccessibleInterface* MakeConversationAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("ConversationView") && object && object->isWidgetType())
        return new ConversationAccessible(static_cast<ConversationView*>(object));
    return nullptr;
}

}  // namespace

ConversationAccessible::ConversationAccessible(ConversationView* view) : QAccessibleWidget(view, QAccessible::List) {}

ConversationAccessible::~ConversationAccessible() { ForgetChildren(); }

ConversationView* ConversationAccessible::View() const { return static_cast<ConversationView*>(widget()); }

void ConversationAccessible::ForgetChildren() const {
    for (const auto& [index, id] : Children) QAccessible::deleteAccessibleInterface(id);
    Children.clear();
}

int ConversationAccessible::childCount() const { return View() ? View()->Count() : 0; }

QAccessibleInterface* ConversationAccessible::child(int index) const {
    ConversationView* view = View();
    if (!view || index < 0 || index >= view->Count()) return nullptr;
    if (ChildrenOf != view->Generation()) {
        ForgetChildren();
        ChildrenOf = view->Generation();
    }
    if (const auto found = Children.find(index); found != Children.end())
        return QAccessible::accessibleInterface(found->second);
    auto* bubble = new BubbleAccessible(view, index);
    Children[index] = QAccessible::registerAccessibleInterface(bubble);
    return bubble;
}

int ConversationAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* bubble = dynamic_cast<const BubbleAccessible*>(child);
    return bubble && bubble->isValid() ? bubble->Row() : -1;
}

QAccessibleInterface* ConversationAccessible::childAt(int x, int y) const {
    ConversationView* view = View();
    if (!view) return nullptr;
    const int index = view->IndexAt(view->viewport()->mapFromGlobal(QPoint(x, y)));
    return index >= 0 ? child(index) : nullptr;
}

QAccessibleInterface* ConversationAccessible::focusChild() const {
    ConversationView* view = View();
    return view && view->hasFocus() && view->CurrentIndex() >= 0 ? child(view->CurrentIndex()) : nullptr;
}

void InstallConversationAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeConversationAccessible);
        return true;
    }();
    (void)installed;
}
