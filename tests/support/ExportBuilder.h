// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Invented phone exports for benchmarks: the word form a phone suite writes.
#include <cstdio>
#include <random>
#include <string>

struct ExportShape {
    int Phones = 1000;
    int ShortestText = 60;  // bytes after the "Message <n> " prefix
    int TextSpread = 80;    // longer by up to this many bytes less one
};

// `lines` message lines, newest last, both directions; the same lines for the same count
// and shape.
inline std::string WordFormExport(int lines, ExportShape shape = {}) {
    std::mt19937 rng(5);
    std::string file;
    for (int i = 0; i < lines; ++i) {
        const int minute = i * 7;
        char time[32];
        std::snprintf(time, sizeof time, "20%02d.%02d.%02d %02d:%02d", 5 + minute / 483840,
                      1 + (minute / 40320) % 12, 1 + (minute / 1440) % 28, (minute / 60) % 24, minute % 60);
        const std::string phone = "+1555555" + std::to_string(1000 + rng() % static_cast<unsigned>(shape.Phones));
        std::string text = "Message " + std::to_string(i) + " ";
        text.append(static_cast<std::size_t>(shape.ShortestText) + rng() % static_cast<unsigned>(shape.TextSpread), static_cast<char>('a' + rng() % 26));
        if (rng() % 2)
            file += "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
        else
            file += "\"sms\",\"submit\",\"\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
    }
    return file;
}
