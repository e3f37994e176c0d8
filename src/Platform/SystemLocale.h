// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's locale as the date-time format language reads it.
#include "Lang/LocaleInfo.h"

// Names (UTF-8), date and time patterns and separators of the desktop's locale.
LocaleInfo SystemLocaleInfo();
