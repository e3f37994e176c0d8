// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog over a small collection: live colours, styles and font, OK storing
// the rest, and Cancel, Esc or the close box putting everything back.
#include <QComboBox>
#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "FormFixture.h"
#include "MBColors/TColorDialog.h"
#include "MBOptions/TOptionsDialog.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "ModalScript.h"
#include "Platform/TooltipSettings.h"

namespace {

constexpr std::int32_t PlatformRed = 0x0000FF;

void Choose(TColorDialog& chooser, const QString& name) {
    const QList<QListWidgetItem*> found = chooser.ColorListBox->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    chooser.ColorListBox->setCurrentItem(found.front());
}

void Click(QButtonGroup* group, int index) { group->button(index)->click(); }

}  // namespace

class OptionsTest : public FormTest {
protected:
    // The collection reopened with its settings changed by `change` first.
    TMBForm& OpenWith(const std::function<void(Settings&)>& change) {
        const std::string path = WriteCollection();
        WriteConfig([&](Settings& s, WindowSize&) {
            s.Defaults.LastSavedFile = path;
            change(s);
        });
        TMBForm& form = Open();
        Store.Modified = false;
        return form;
    }

    // Opens the dialog from the tool bar with `script` as the user.
    void RunOptions(TMBForm& form, const std::function<void(TOptionsDialog&)>& script) {
        ModalScript<TOptionsDialog> user(script);
        form.OptionsSB->click();
        EXPECT_EQ(user.Runs, 1);
    }

    int RowHeight(TMBForm& form) const { return form.MessageView->verticalHeader()->defaultSectionSize(); }
};

TEST_F(OptionsTest, EveryControlWithItsCaptionRangeAndName) {
    TMBForm& form = OpenWith([](Settings&) {});
    RunOptions(form, [](TOptionsDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Options");
        EXPECT_EQ(d.size(), QSize(358, 516));
        EXPECT_EQ(d.GeneralBox->title(), " General ");
        EXPECT_EQ(d.ColorsBox->title(), " Colours ");
        EXPECT_EQ(d.FontBox->title(), " Message view ");
        EXPECT_EQ(d.ColorModeRB->title(), " View messages using ");
        EXPECT_EQ(d.SentFontRG->title(), " Sent messages style ");
        EXPECT_EQ(d.ReceivedFontRG->title(), " Received messages style ");
        const std::pair<QAbstractButton*, const char*> captions[] = {
            {d.LastSavedReadCB, "Open last saved file at startup"},
            {d.RemoveDupsCB, "Remove duplicates after importing files"},
            {d.UseHistoryCB, "Fit phone numbers and names"},
            {d.MainColorSB, "Default colour"},
            {d.SentColorSB, "Sent colour"},
            {d.ReceivedColorSB, "Received colour"},
            {d.ToolTipColorSB, "Tooltip colour"},
            {d.FixedGridColorSB, "Message border colour"},
            {d.MessageFontSB, "Default message font"},
            {d.GridLinesCB, "Show grid lines"},
            {d.InternationalNumbersCB, "Write numbers in international form"},
            {d.OKBtn, "OK"},
            {d.CancelBtn, "Cancel"},
        };
        for (const auto& [button, caption] : captions) EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(d.HintWaitLabel->text(), "Tooltip wait time (ms)");
        EXPECT_EQ(d.HintHideWaitLabel->text(), "Tooltip display time (ms)");
        EXPECT_EQ(d.DateTimeFormatLabel->text(), "Date time format");
        auto items = [](QButtonGroup* g) {
            QStringList texts;
            for (QAbstractButton* b : g->buttons()) texts << b->text();
            return texts;
        };
        EXPECT_EQ(items(d.ColorModeItems), QStringList({"Default colour", "Sent/received colours", "Contact colours"}));
        const QStringList styles{"Regular", "Italic", "Bold", "Bold Italic"};
        EXPECT_EQ(items(d.SentFontItems), styles);
        EXPECT_EQ(items(d.ReceivedFontItems), styles);
        EXPECT_EQ(d.HintWaitSpin->maximum(), 1000);
        EXPECT_EQ(d.HintHideWaitSpin->maximum(), 20000);
        EXPECT_EQ(d.HintWaitSpin->minimum(), 0);
        EXPECT_TRUE(d.OKBtn->isDefault());
        for (QWidget* w : d.findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QSpinBox*>(w) ||
                                 qobject_cast<QGroupBox*>(w) || w == d.DateTimeEdit;
            if (control) {
                EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
            }
        }
        EXPECT_EQ(QAccessible::queryAccessibleInterface(d.HintWaitSpin)->text(QAccessible::Name),
                  "Tooltip wait time (ms)");
        d.CancelBtn->click();
    });
}

TEST_F(OptionsTest, OpeningShowsTheSettingsAndOkStoresTheRest) {
    TMBForm& form = OpenWith([](Settings& s) {
        s.Defaults.HintWait = 2000;  // beyond the spin box's range
        s.Defaults.HintHideWait = 3000;
        s.Defaults.ColorMode = 1;
        s.Defaults.SentFont = 3;
        s.Defaults.ReceivedFont = 1;
        s.Defaults.RemoveDups = false;
        s.Defaults.GridLines = true;
        s.Defaults.DateTimeFormat = "dd-mm-yyyy hh:nn";
    });
    RunOptions(form, [](TOptionsDialog& d) {
        EXPECT_EQ(d.HintWaitSpin->value(), 1000);
        EXPECT_EQ(d.HintHideWaitSpin->value(), 3000);
        EXPECT_EQ(d.ColorModeItems->checkedId(), 1);
        EXPECT_EQ(d.SentFontItems->checkedId(), 3);
        EXPECT_EQ(d.ReceivedFontItems->checkedId(), 1);
        EXPECT_TRUE(d.LastSavedReadCB->isChecked());
        EXPECT_FALSE(d.RemoveDupsCB->isChecked());
        EXPECT_TRUE(d.UseHistoryCB->isChecked());
        EXPECT_TRUE(d.GridLinesCB->isChecked());
        EXPECT_EQ(d.DateTimeEdit->text(), "dd-mm-yyyy hh:nn");
        d.OKBtn->click();
    });
    EXPECT_EQ(form.MessageModel->CellText(0, TimeColumn).trimmed(), "05-03-2007 21:40");
    EXPECT_EQ(form.D.HintWait, 1000);
    EXPECT_EQ(TooltipWakeUpDelay(), 1000);
    EXPECT_EQ(TooltipDisplayTime(), 3000);
    EXPECT_TRUE(Store.Modified) << "OK without a change still marks the collection";

    RunOptions(form, [](TOptionsDialog& d) {
        d.LastSavedReadCB->click();
        d.RemoveDupsCB->click();
        d.GridLinesCB->click();
        d.HintHideWaitSpin->setValue(250);
        d.DateTimeEdit->clear();
        d.OKBtn->click();
    });
    EXPECT_FALSE(form.D.LastSavedRead);
    EXPECT_TRUE(form.D.RemoveDups);
    EXPECT_FALSE(form.D.GridLines);
    EXPECT_EQ(form.D.HintHideWait, 250);
    EXPECT_EQ(TooltipDisplayTime(), 250);
    EXPECT_EQ(form.D.DateTimeFormat, "");
    EXPECT_EQ(form.MessageModel->CellText(0, TimeColumn).trimmed(), "2007.03.05 21:40") << "the raw time text";
}

TEST_F(OptionsTest, AnEmptiedSpinBoxStoresZero) {
    TMBForm& form = OpenWith([](Settings&) {});
    RunOptions(form, [](TOptionsDialog& d) {
        d.HintWaitSpin->findChild<QLineEdit*>()->clear();
        d.OKBtn->click();
    });
    EXPECT_EQ(form.D.HintWait, 0);
    EXPECT_EQ(form.D.HintHideWait, 5000);
}

TEST_F(OptionsTest, ColoursAndStylesAreLiveAndCancelPutsThemBack) {
    TMBForm& form = OpenWith([](Settings& s) { s.Defaults.ColorMode = 1; });
    const DefaultsType before = form.D;
    // Row 1: Anna's sent "Good night"; row 2: Mia's received message.
    const QColor sentBefore = form.MessageModel->CellBackground(0, TimeColumn).value<QColor>();
    RunOptions(form, [&](TOptionsDialog& d) {
        QString prompt;
        bool clearShown = true;
        ModalScript<TColorDialog> chooser([&](TColorDialog& c) {
            prompt = c.CurrentColor->text();
            clearShown = c.ClearColorSB->isVisible();
            Choose(c, "Red");
            c.OKBtn->click();
        });
        d.SentColorSB->click();
        EXPECT_EQ(prompt, "Select the colour for sent messages");
        EXPECT_FALSE(clearShown);
        EXPECT_EQ(form.D.SentColor, PlatformRed);
        EXPECT_EQ(form.MessageModel->CellBackground(0, TimeColumn).value<QColor>(), QColor(Qt::red));

        Click(d.SentFontItems, 2);
        EXPECT_EQ(form.D.SentFont, 2);
        EXPECT_TRUE(form.MessageModel->CellFont(0, TimeColumn).bold());
        Click(d.ColorModeItems, 0);
        EXPECT_EQ(form.D.ColorMode, 0);
        d.RemoveDupsCB->click();
        d.CancelBtn->click();
    });
    EXPECT_EQ(form.D.SentColor, before.SentColor);
    EXPECT_EQ(form.D.SentFont, before.SentFont);
    EXPECT_EQ(form.D.ColorMode, 1);
    EXPECT_EQ(form.D.RemoveDups, before.RemoveDups);
    EXPECT_EQ(form.MessageModel->CellBackground(0, TimeColumn).value<QColor>(), sentBefore);
    EXPECT_FALSE(form.MessageModel->CellFont(0, TimeColumn).bold() && before.SentFont < 2);
    EXPECT_FALSE(Store.Modified);
}

TEST_F(OptionsTest, EveryColourButtonEditsItsOwnSettingWithItsPrompt) {
    TMBForm& form = OpenWith([](Settings&) {});
    RunOptions(form, [&](TOptionsDialog& d) {
        const std::tuple<QToolButton*, std::int32_t*, const char*> buttons[] = {
            {d.MainColorSB, &form.D.DefaultColor, "Select default colour"},
            {d.SentColorSB, &form.D.SentColor, "Select the colour for sent messages"},
            {d.ReceivedColorSB, &form.D.ReceivedColor, "Select the colour for received messages"},
            {d.ToolTipColorSB, &form.D.HintColor, "Select the colour for tooltips"},
            {d.FixedGridColorSB, &form.D.GridFixedColor, "Select the colour for message borders"},
        };
        for (const auto& [button, setting, text] : buttons) {
            QString prompt;
            ModalScript<TColorDialog> chooser([&](TColorDialog& c) {
                prompt = c.CurrentColor->text();
                Choose(c, "Navy");
                c.OKBtn->click();
            });
            button->click();
            EXPECT_EQ(prompt, text);
            EXPECT_EQ(*setting, 0x800000) << text;
        }
        // The window and the dialog follow at once.
        EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0, 0, 0x80));
        EXPECT_EQ(d.palette().color(QPalette::Window), QColor(0, 0, 0x80));
        EXPECT_EQ(form.MessageView->FixedColor(), QColor(0, 0, 0x80));
        d.OKBtn->click();
    });
    EXPECT_EQ(form.D.HintColor, 0x800000);
}

TEST_F(OptionsTest, CancelAfterANewFontRestoresTheFontAndTheRowHeight) {
    TMBForm& form = OpenWith([](Settings&) {});
    const FontData fontBefore = *form.D.DefaultFont;
    const int heightBefore = RowHeight(form);
    QFont big(QStringLiteral("DejaVu Serif"), 20);
    big.setItalic(true);
    Answers.FontAnswers = {big};
    RunOptions(form, [&](TOptionsDialog& d) {
        d.MessageFontSB->click();
        EXPECT_EQ(form.D.DefaultFont->Name, "DejaVu Serif");
        EXPECT_EQ(form.D.DefaultFont->Size, 20);
        EXPECT_TRUE(form.D.DefaultFont->Italic);
        EXPECT_FALSE(form.D.DefaultFont->Bold);
        EXPECT_EQ(form.D.DefaultFont->Charset, fontBefore.Charset);
        EXPECT_GT(RowHeight(form), heightBefore);
        // The caption shows the face and style at the dialog's size, whole; the tooltip says the size.
        EXPECT_EQ(d.MessageFontSB->font().family(), "DejaVu Serif");
        EXPECT_TRUE(d.MessageFontSB->font().italic());
        EXPECT_EQ(d.MessageFontSB->font().pointSize(), d.font().pointSize());
        EXPECT_LE(QFontMetrics(d.MessageFontSB->font()).horizontalAdvance(d.MessageFontSB->text()) + 10,
                  d.MessageFontSB->width());
        EXPECT_EQ(d.MessageFontSB->toolTip(), "DejaVu Serif, 20 pt, Italic");
        EXPECT_EQ(form.Set.SavedDefaults.DefaultFont, form.D.DefaultFont) << "one shared font object";
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(form.D.DefaultFont->Name, fontBefore.Name);
    EXPECT_EQ(form.D.DefaultFont->Size, fontBefore.Size);
    EXPECT_EQ(form.D.DefaultFont->Italic, fontBefore.Italic);
    EXPECT_EQ(RowHeight(form), heightBefore);
    ASSERT_EQ(Answers.AskedOf("ChooseFont").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("ChooseFont")[0].Text.toStdString(), fontBefore.Name);

    // A cancelled font dialog changes nothing; OK keeps a chosen font.
    Answers.FontAnswers = {std::nullopt, big};
    RunOptions(form, [&](TOptionsDialog& d) {
        d.MessageFontSB->click();
        EXPECT_EQ(RowHeight(form), heightBefore);
        d.MessageFontSB->click();
        d.OKBtn->click();
    });
    EXPECT_EQ(form.D.DefaultFont->Name, "DejaVu Serif");
    EXPECT_GT(RowHeight(form), heightBefore);
}

TEST_F(OptionsTest, TheCloseBoxPutsEverythingBackAsCancelDoes) {
    TMBForm& form = OpenWith([](Settings&) {});
    const DefaultsType before = form.D;
    const FontData fontBefore = *form.D.DefaultFont;
    const int heightBefore = RowHeight(form);
    Answers.FontAnswers = {QFont(QStringLiteral("DejaVu Serif"), 22)};
    RunOptions(form, [&](TOptionsDialog& d) {
        ModalScript<TColorDialog> chooser([](TColorDialog& c) {
            Choose(c, "Red");
            c.OKBtn->click();
        });
        d.ReceivedColorSB->click();
        d.MessageFontSB->click();
        Click(d.ReceivedFontItems, 1);
        d.UseHistoryCB->click();
        d.HintWaitSpin->setValue(900);
        d.close();
    });
    EXPECT_EQ(form.D.ReceivedColor, before.ReceivedColor);
    EXPECT_EQ(form.D.ReceivedFont, before.ReceivedFont);
    EXPECT_EQ(form.D.UseHistory, before.UseHistory);
    EXPECT_EQ(form.D.HintWait, before.HintWait);
    EXPECT_EQ(form.D.DefaultFont->Size, fontBefore.Size);
    EXPECT_EQ(form.D.DefaultFont->Name, fontBefore.Name);
    EXPECT_EQ(RowHeight(form), heightBefore);
    EXPECT_FALSE(Store.Modified);
}

TEST_F(OptionsTest, TheMenuItemsOpenTheDialogToo) {
    TMBForm& form = OpenWith([](Settings&) {});
    for (QAction* item : {form.OptionsMainMenu, form.OptionsMenu}) {
        ModalScript<TOptionsDialog> user([](TOptionsDialog& d) { d.CancelBtn->click(); });
        item->trigger();
        EXPECT_EQ(user.Runs, 1) << item->text().toStdString();
    }
}

// The home country shows the setting (the locale's when there is none), lists countries with
// their calling codes, and OK stores the one chosen for the settings file.
TEST_F(OptionsTest, HomeCountryListsCallingCodesAndOkStoresTheChoice) {
    TMBForm& form = OpenWith([](Settings& s) { s.Defaults.HomeCountry = "DE"; });
    RunOptions(form, [](TOptionsDialog& d) {
        EXPECT_EQ(d.HomeCountryLabel->text(), "Home country");
        EXPECT_EQ(d.HomeCountryBox->accessibleName(), QStringLiteral("Home country"));
        EXPECT_EQ(d.HomeCountryBox->currentText(), QStringLiteral("Germany (+49)"));
        EXPECT_GT(d.HomeCountryBox->count(), 200);
        d.HomeCountryBox->setCurrentIndex(d.HomeCountryBox->findData(QStringLiteral("AT")));
        d.OKBtn->click();
    });
    EXPECT_EQ(form.Set.Defaults.HomeCountry, "AT");
}

// The options do not depend on messages: they open before the first import, and OK keeps
// the home country and the international numbers for the settings file.
TEST_F(OptionsTest, OptionsOpenWithAnEmptyCollection) {
    TMBForm& form = Open();
    ASSERT_TRUE(form.OptionsSB->isEnabled());
    RunOptions(form, [](TOptionsDialog& d) {
        EXPECT_FALSE(d.InternationalNumbersCB->isChecked());
        d.HomeCountryBox->setCurrentIndex(d.HomeCountryBox->findData(QStringLiteral("DE")));
        d.InternationalNumbersCB->setChecked(true);
        d.OKBtn->click();
    });
    EXPECT_EQ(form.Set.Defaults.HomeCountry, "DE");
    EXPECT_TRUE(form.Set.Defaults.InternationalNumbers);
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").empty());  // nothing to apply them to
}

// A new home country applies to the collection that is open: the backups' numbers take
// their international form, and the user is told what changed.
TEST_F(OptionsTest, ANewHomeCountryAppliesToTheOpenCollection) {
    MsgStore source;
    AddMessage(source, "2024.05.01 08:00", "0151 55501234", "Hallo", MsgSms | MsgReceived | MsgExactTime);
    AddMessage(source, "2024.05.01 08:01", "0151 55501234", "Hallo zurueck", MsgSms | MsgSent | MsgExactTime);
    AddMessage(source, "2024.05.01 09:00", "0151 55501234", "From a suite", MsgSms | MsgReceived | MsgWordCodes);
    Renumber(source);
    const std::string path = Documents.path().toStdString() + "/backup.kst";
    ASSERT_EQ(WriteDataFile(source, path), 0);
    TMBForm& form = OpenWith([&](Settings& s) {
        s.Defaults.LastSavedFile = path;
        s.Defaults.HomeCountry = "US";
    });
    RunOptions(form, [](TOptionsDialog& d) {
        d.HomeCountryBox->setCurrentIndex(d.HomeCountryBox->findData(QStringLiteral("DE")));
        d.OKBtn->click();
    });
    std::int32_t international = 0;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) international += Store.Messages[n].Phone == "+4915155501234";
    EXPECT_EQ(international, 2);
    ASSERT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("ShowInfo")[0].Text,
              "The numbers of 2 messages are now written in international form, and 3 messages have another name: "
              "1 contacts (2 numbers).")
        << Answers.AskedOf("ShowInfo")[0].Text.toStdString();
}
