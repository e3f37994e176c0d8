#pragma once
// Invented phone exports for benchmarks: the word form a phone suite writes.
#include <cstdio>
#include <random>
#include <string>

// `lines` message lines, newest last, both directions, a thousand phones, texts of 70-150
// bytes; the same lines for the same count.
inline std::string WordFormExport(int lines) {
    std::mt19937 rng(5);
    std::string file;
    for (int i = 0; i < lines; ++i) {
        const int minute = i * 7;
        char time[32];
        std::snprintf(time, sizeof time, "20%02d.%02d.%02d %02d:%02d", 5 + minute / 483840,
                      1 + (minute / 40320) % 12, 1 + (minute / 1440) % 28, (minute / 60) % 24, minute % 60);
        const std::string phone = "+1555555" + std::to_string(1000 + rng() % 1000);
        std::string text = "Message " + std::to_string(i) + " ";
        text.append(60 + rng() % 80, static_cast<char>('a' + rng() % 26));
        if (rng() % 2)
            file += "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
        else
            file += "\"sms\",\"submit\",\"\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
    }
    return file;
}
