// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Application-wide tooltip timing and colour: the delay before a tooltip shows, how long
// it stays, and its background.
#include <QColor>

void SetTooltipTiming(int wakeUpDelayMs, int displayTimeMs);
void SetTooltipColor(const QColor& background);

int TooltipWakeUpDelay();
int TooltipDisplayTime();
