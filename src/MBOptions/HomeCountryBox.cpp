// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBOptions/HomeCountryBox.h"

#include <QComboBox>
#include <QLocale>
#include <algorithm>
#include <vector>

#include "Lang/HomeCountry.h"
#include "Formats/NumberMatch.h"

QComboBox* NewHomeCountryBox(QWidget* parent) {
    struct Item {
        QString Shown, Code;
    };
    std::vector<Item> items;
    for (const std::string& code : KnownCountries()) {
        const QString c = QString::fromStdString(code);
        QString name = QLocale::territoryToString(QLocale::codeToTerritory(c));
        if (QLocale::codeToTerritory(c) == QLocale::AnyTerritory) name = c;
        items.push_back({QStringLiteral("%1 (+%2)").arg(name).arg(CallingCodeOf(code)), c});
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.Shown.localeAwareCompare(b.Shown) < 0; });
    auto* box = new QComboBox(parent);
    for (const Item& item : items) box->addItem(item.Shown, item.Code);
    return box;
}

void SelectHomeCountry(QComboBox* box, const std::string& code) {
    int at = box->findData(QString::fromStdString(code));
    if (at < 0) at = box->findData(QString::fromStdString(LocaleHomeCountry()));
    box->setCurrentIndex(at);
}

std::string ChosenHomeCountry(const QComboBox* box) { return box->currentData().toString().toStdString(); }
