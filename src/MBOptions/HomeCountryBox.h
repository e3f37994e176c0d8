// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options dialog's list of countries with their calling codes, for the home country.
#include <string>

class QComboBox;
class QWidget;

// Every country libphonenumber knows, by name, each shown as "Germany (+49)" and holding
// its two-letter code.
QComboBox* NewHomeCountryBox(QWidget* parent);
// Selects the country of the code (the locale's when the code is empty or unknown).
void SelectHomeCountry(QComboBox* box, const std::string& code);
std::string ChosenHomeCountry(const QComboBox* box);
