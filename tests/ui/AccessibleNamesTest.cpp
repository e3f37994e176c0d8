// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"

namespace {

QString AccessibleName(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

}  // namespace

TEST_F(FormTest, EveryControlHasANameForScreenReaders) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(3);  // a message with a link: the link button shows
    ASSERT_TRUE(form.WebSB->isVisible());
    int controls = 0;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QTableView*>(w);
        if (!control || !w->isVisibleTo(&form) || w->window() != &form) continue;
        ++controls;
        EXPECT_FALSE(AccessibleName(w).isEmpty()) << w->metaObject()->className() << " " << w->toolTip().toStdString();
    }
    EXPECT_GE(controls, 20);
    EXPECT_EQ(AccessibleName(form.SearchEdit), "Search");
    EXPECT_EQ(AccessibleName(form.NewFileSB), "New file");
    EXPECT_EQ(AccessibleName(form.ContactSB), "Contacts");
    EXPECT_EQ(AccessibleName(form.ClearSearchSB), "Clear search");
    EXPECT_EQ(AccessibleName(form.WebSB), "https://example.com/menu");
    EXPECT_EQ(AccessibleName(form.MessageLabel), "Message text");
}
