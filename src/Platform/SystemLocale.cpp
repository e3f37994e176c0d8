// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform/SystemLocale.h"

#include <QLocale>

#include "Lang/LocalePattern.h"

LocaleInfo SystemLocaleInfo() {
    const QLocale locale = QLocale::system();
    LocaleInfo info = LocaleInfo::English();
    for (int day = 0; day < 7; ++day) {
        const int qtDay = day == 0 ? 7 : day;  // Sunday first here, Monday first in Qt
        info.ShortDayNames[static_cast<std::size_t>(day)] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
        info.LongDayNames[static_cast<std::size_t>(day)] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
    }
    for (int month = 0; month < 12; ++month) {
        info.ShortMonthNames[static_cast<std::size_t>(month)] =
            locale.monthName(month + 1, QLocale::ShortFormat).toStdString();
        info.LongMonthNames[static_cast<std::size_t>(month)] =
            locale.monthName(month + 1, QLocale::LongFormat).toStdString();
    }
    const std::string shortDate = locale.dateFormat(QLocale::ShortFormat).toStdString();
    const std::string shortTime = locale.timeFormat(QLocale::ShortFormat).toStdString();
    info.ShortDateFormat = ConvertLocalePattern(shortDate);
    info.LongDateFormat = ConvertLocalePattern(locale.dateFormat(QLocale::LongFormat).toStdString());
    info.ShortTimeFormat = ConvertLocalePattern(shortTime);
    info.LongTimeFormat = ConvertLocalePattern(locale.timeFormat(QLocale::LongFormat).toStdString());
    info.DateSeparator = PatternSeparator(shortDate, info.DateSeparator);
    info.TimeSeparator = PatternSeparator(shortTime, info.TimeSeparator);
    info.TimeAMString = locale.amText().toStdString();
    info.TimePMString = locale.pmText().toStdString();
    return info;
}
