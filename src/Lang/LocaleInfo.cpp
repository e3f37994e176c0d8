// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lang/LocaleInfo.h"

LocaleInfo LocaleInfo::English() {
    LocaleInfo L;
    L.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    L.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    L.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    L.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    L.ShortDateFormat = "dd/mm/yyyy";
    L.LongDateFormat = "dddd, d mmmm yyyy";
    L.ShortTimeFormat = "hh:nn";
    L.LongTimeFormat = "hh:nn:ss";
    L.DateSeparator = "/";
    L.TimeSeparator = ":";
    L.TimeAMString = "AM";
    L.TimePMString = "PM";
    return L;
}
