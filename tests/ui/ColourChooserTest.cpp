// SPDX-License-Identifier: GPL-3.0-or-later
// The colour chooser, run through the main window's ColorSelect and driven offscreen.
#include <QAccessible>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "FormFixture.h"
#include "MBColors/TColorDialog.h"
#include "ModalScript.h"
#include "Platform/ColorRef.h"

namespace {

constexpr std::int32_t PlatformRed = 0x0000FF;     // web Red 0xFF0000
constexpr std::int32_t PlatformNavy = 0x800000;    // web Navy 0x000080
constexpr std::int32_t SomeColour = 0x123456;

// Clicks the named row the way a user does: scrolled into view, then clicked.
void ClickColour(TColorDialog& chooser, const QString& name) {
    const QList<QListWidgetItem*> found = chooser.ColorListBox->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    chooser.ColorListBox->scrollToItem(found.front());
    const QRect place = chooser.ColorListBox->visualItemRect(found.front());
    QTest::mouseClick(chooser.ColorListBox->viewport(), Qt::LeftButton, {}, place.center());
}

QStringList Names(const TColorDialog& chooser) {
    QStringList names;
    for (int i = 0; i < chooser.ColorListBox->count(); ++i) names << chooser.ColorListBox->item(i)->text();
    return names;
}

// Runs ColorSelect on `colour` with the script as the user; returns whether OK came back.
bool Select(TMBForm& form, std::int32_t& colour, const std::function<void(TColorDialog&)>& script,
            bool clearVisible = true, const QString& prompt = {}) {
    ModalScript<TColorDialog> user(script);
    const bool ok = form.ColorSelect(&form, clearVisible, prompt, colour);
    EXPECT_EQ(user.Runs, 1);
    return ok;
}

}  // namespace

TEST_F(FormTest, TheChooserShowsItsControlsAndTheNameOrder) {
    TMBForm& form = Open();
    std::int32_t colour = 0;
    Select(form, colour, [](TColorDialog& c) {
        EXPECT_EQ(c.windowTitle(), "Select colour");
        EXPECT_EQ(c.size(), QSize(359, 365));
        EXPECT_EQ(c.CurrentColor->text(), "Select a colour and click OK");
        EXPECT_EQ(c.CurrentColor->toolTip(), "Currently selected colour");
        const std::tuple<QPushButton*, const char*, const char*> buttons[] = {
            {c.SortColorsSB, "By luminence", "Sort colours by name or luminence"},
            {c.ClearColorSB, "Clear", "Clear selected colour"},
            {c.OKBtn, "OK", "Accept colour selection"},
            {c.CancelBtn, "Cancel", "Cancel without changes"},
        };
        for (const auto& [button, caption, tip] : buttons) {
            EXPECT_EQ(button->text(), caption);
            EXPECT_EQ(button->toolTip(), tip);
        }
        EXPECT_TRUE(c.OKBtn->isDefault());
        EXPECT_TRUE(c.ClearColorSB->isCheckable());
        EXPECT_TRUE(c.ClearColorSB->isVisible());
        for (QWidget* w : std::initializer_list<QWidget*>{c.CurrentColor, c.ColorListBox, c.SortColorsSB, c.ClearColorSB,
                                                          c.OKBtn, c.CancelBtn})
            EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
        const QStringList names = Names(c);
        ASSERT_EQ(names.size(), 147);
        EXPECT_EQ(names.front(), "AliceBlue");
        EXPECT_EQ(names.back(), "YellowGreen");
        EXPECT_EQ(names.indexOf("DarkGrey"), names.indexOf("DarkGray") + 1);
        EXPECT_TRUE(c.ColorListBox->selectedItems().isEmpty());
        EXPECT_TRUE(c.ColorListBox->toolTip().isEmpty());
        ClickColour(c, "AliceBlue");
        EXPECT_EQ(c.ColorListBox->toolTip(), "AliceBlue  ($F0F8FF)");
        c.CancelBtn->click();
    });
}

TEST_F(FormTest, OkWithoutAChoiceKeepsTheColourAndCancelOrCloseChangeNothing) {
    TMBForm& form = Open();
    std::int32_t colour = SomeColour;
    EXPECT_TRUE(Select(form, colour, [](TColorDialog& c) { c.OKBtn->click(); }));
    EXPECT_EQ(colour, SomeColour);

    EXPECT_FALSE(Select(form, colour, [](TColorDialog& c) {
        ClickColour(c, "Red");
        c.CancelBtn->click();
    }));
    EXPECT_EQ(colour, SomeColour);

    // Clear already zeroes the chooser's result; the close box still changes nothing.
    EXPECT_FALSE(Select(form, colour, [](TColorDialog& c) {
        c.ClearColorSB->click();
        c.close();
    }));
    EXPECT_EQ(colour, SomeColour);

    EXPECT_FALSE(Select(form, colour, [](TColorDialog& c) { QTest::keyClick(&c, Qt::Key_Escape); }));
    EXPECT_EQ(colour, SomeColour);

    EXPECT_TRUE(Select(form, colour, [](TColorDialog& c) {
        ClickColour(c, "Red");
        c.OKBtn->click();
    }));
    EXPECT_EQ(colour, PlatformRed);
}

TEST_F(FormTest, TheClearButtonStaysDownAndDecidesOk) {
    TMBForm& form = Open();
    std::int32_t colour = SomeColour;
    // Down: 0 whatever is selected.
    EXPECT_TRUE(Select(form, colour, [](TColorDialog& c) {
        ClickColour(c, "Red");
        c.ClearColorSB->click();
        EXPECT_TRUE(c.ClearColorSB->isChecked());
        c.OKBtn->click();
    }));
    EXPECT_EQ(colour, 0);

    // Down and up again with a selection: the selection.
    colour = SomeColour;
    EXPECT_TRUE(Select(form, colour, [](TColorDialog& c) {
        c.ClearColorSB->click();
        c.ClearColorSB->click();
        EXPECT_FALSE(c.ClearColorSB->isChecked());
        ClickColour(c, "Navy");
        c.OKBtn->click();
    }));
    EXPECT_EQ(colour, PlatformNavy);

    // Down and up again without a selection: 0, as the release also cleared it.
    colour = SomeColour;
    EXPECT_TRUE(Select(form, colour, [](TColorDialog& c) {
        c.ClearColorSB->click();
        c.ClearColorSB->click();
        c.OKBtn->click();
    }));
    EXPECT_EQ(colour, 0);
}

TEST_F(FormTest, SortingByLuminanceAndBackByName) {
    TMBForm& form = Open();
    std::int32_t colour = 0;
    Select(form, colour, [](TColorDialog& c) {
        ClickColour(c, "Teal");
        QListWidgetItem* teal = c.ColorListBox->selectedItems().value(0);
        ASSERT_NE(teal, nullptr);
        const int tealAt = c.ColorListBox->visualItemRect(teal).top();
        c.SortColorsSB->click();
        EXPECT_EQ(c.SortColorsSB->text(), "By name");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(c.SortColorsSB)->text(QAccessible::Name), "By name");
        QStringList names = Names(c);
        ASSERT_EQ(names.size(), 147);
        EXPECT_EQ(names.front(), "White");
        EXPECT_EQ(names.back(), "Black");
        EXPECT_EQ(names.mid(1, 2), QStringList({"Snow", "GhostWhite"}));
        // The chosen colour stays chosen, where it was on the screen.
        ASSERT_EQ(c.ColorListBox->selectedItems().size(), 1);
        EXPECT_EQ(c.ColorListBox->selectedItems().front()->text(), "Teal");
        EXPECT_EQ(c.ColorListBox->visualItemRect(c.ColorListBox->selectedItems().front()).top(), tealAt);

        // A row clicked in luminance order gives its own colour.
        ClickColour(c, "Aqua");
        EXPECT_EQ(c.ColorListBox->toolTip(), "Aqua  ($00FFFF)");

        c.SortColorsSB->click();
        EXPECT_EQ(c.SortColorsSB->text(), "By luminence");
        names = Names(c);
        ASSERT_EQ(names.size(), 147);
        EXPECT_EQ(names.front(), "AliceBlue");
        EXPECT_EQ(names.back(), "YellowGreen");
        // Aqua comes first in name order: kept chosen, and in view.
        ASSERT_EQ(c.ColorListBox->selectedItems().size(), 1);
        QListWidgetItem* aqua = c.ColorListBox->selectedItems().front();
        EXPECT_EQ(aqua->text(), "Aqua");
        EXPECT_TRUE(c.ColorListBox->viewport()->rect().contains(c.ColorListBox->visualItemRect(aqua)));
        c.OKBtn->click();
    });
    EXPECT_EQ(colour, WebToPlatformColor(0x00FFFF)) << "the colour chosen before the sort";

    // Every opening starts in name order again.
    Select(form, colour, [](TColorDialog& c) {
        c.SortColorsSB->click();
        ClickColour(c, "White");
        c.OKBtn->click();
    });
    EXPECT_EQ(colour, 0xFFFFFF);
    Select(form, colour, [](TColorDialog& c) {
        EXPECT_EQ(c.ColorListBox->item(0)->text(), "AliceBlue");
        EXPECT_EQ(c.SortColorsSB->text(), "By luminence");
        c.CancelBtn->click();
    });
}

TEST_F(FormTest, TheStripShowsTheEditedColourOrTheBackgroundAndThePrompt) {
    TMBForm& form = Open();
    form.D.DefaultColor = 0x00E0FFFF;
    std::int32_t colour = PlatformRed;
    Select(
        form, colour,
        [](TColorDialog& c) {
            EXPECT_EQ(c.CurrentColor->palette().color(QPalette::Window), ToQColor(PlatformRed));
            EXPECT_EQ(c.CurrentColor->text(), "Pick one");
            EXPECT_FALSE(c.ClearColorSB->isVisible());
            EXPECT_EQ(c.palette().color(QPalette::Window), ToQColor(0x00E0FFFF));
            ClickColour(c, "Navy");  // the strip shows what OK would give
            EXPECT_EQ(c.CurrentColor->palette().color(QPalette::Window), ToQColor(WebToPlatformColor(0x000080)));
            EXPECT_EQ(c.CurrentColor->text(), "Pick one");
            // The chosen row is framed in its contrast colour, plain to see.
            const QRect navy = c.ColorListBox->visualItemRect(c.ColorListBox->selectedItems().front());
            const QImage shown = c.ColorListBox->viewport()->grab().toImage();
            const auto at = [&](int dx) { return shown.pixel(navy.left() + dx, navy.center().y()) & 0xFFFFFF; };
            EXPECT_EQ(at(1), 0xFFFFFFu);
            EXPECT_TRUE(at(2) == 0u || at(3) == 0u);
            c.CancelBtn->click();
        },
        false, "Pick one");
    colour = 0;
    Select(form, colour, [](TColorDialog& c) {
        EXPECT_EQ(c.CurrentColor->palette().color(QPalette::Window), ToQColor(0x00E0FFFF));
        c.CancelBtn->click();
    });
}

TEST_F(FormTest, EachColourIsDrawnWithItsNameInBlackAndInWhite) {
    TMBForm& form = Open();
    std::int32_t colour = 0;
    Select(form, colour, [](TColorDialog& c) {
        const QRect row = c.ColorListBox->visualItemRect(c.ColorListBox->item(7));  // Black
        EXPECT_EQ(row.height(), 13);
        const QImage image = c.ColorListBox->viewport()->grab().toImage();
        auto count = [&](QRect part, QRgb wanted) {
            int n = 0;
            for (int y = part.top(); y <= part.bottom(); ++y)
                for (int x = part.left(); x <= part.right(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF);
            return n;
        };
        const int mid = (row.left() + row.right() + 1) / 2;
        const QRect left(QPoint(row.left(), row.top()), QPoint(mid - 1, row.bottom()));
        const QRect right(QPoint(mid + 1, row.top()), row.bottomRight());
        // On black, the left name is invisible and the right one is white.
        EXPECT_GT(count(right, qRgb(255, 255, 255)), 5);
        EXPECT_EQ(count(left, qRgb(255, 255, 255)), 0);
        // AliceBlue: the name in black on the left, in white on the right, on its colour.
        const QRect alice = c.ColorListBox->visualItemRect(c.ColorListBox->item(0));
        const int aliceMid = (alice.left() + alice.right() + 1) / 2;
        EXPECT_GT(count(QRect(QPoint(alice.left(), alice.top()), QPoint(aliceMid - 1, alice.bottom())), qRgb(0, 0, 0)), 5);
        EXPECT_GT(count(QRect(QPoint(aliceMid + 1, alice.top()), alice.bottomRight()), qRgb(255, 255, 255)), 5);
        EXPECT_EQ(image.pixel(alice.right() - 2, alice.center().y()) & 0xFFFFFF, 0xF0F8FFu);
        c.CancelBtn->click();
    });
}
