// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lang/LocalePattern.h"

#include <algorithm>

namespace {
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters of literal text that this language would not copy as they are.
bool NeedsQuotes(char c) { return IsLetter(c) || c == '/' || c == ':' || c == '\'' || c == '"'; }

class Converter {
public:
    std::string Out;

    void Literal(char c) { Pending += c; }

    // Appends a code; a code right after the same letter is split off with an empty quote
    // ("ddddd" here is one code, on the platform "dddd" then "d").
    void Code(std::string_view code) {
        Flush();
        if (!Out.empty() && Out.back() == code.front()) Out += "\"\"";
        Out += code;
    }

    void Flush() {
        if (Pending.empty()) return;
        if (std::none_of(Pending.begin(), Pending.end(), NeedsQuotes)) {
            Out += Pending;
        } else if (Pending.find('"') == std::string::npos) {
            Out += '"' + Pending + '"';
        } else if (Pending.find('\'') == std::string::npos) {
            Out += '\'' + Pending + '\'';
        } else {
            for (char c : Pending) Out += c == '"' ? std::string("'\"'") : '"' + std::string(1, c) + '"';
        }
        Pending.clear();
    }

private:
    std::string Pending;
};
}  // namespace

std::string ConvertLocalePattern(std::string_view p) {
    Converter C;
    std::size_t i = 0;
    while (i < p.size()) {
        const char c = p[i];
        std::size_t run = 1;
        while (i + run < p.size() && p[i + run] == c) ++run;
        auto take = [&](std::size_t n) { i += n; };
        switch (c) {
            case 'd':
            case 'M': {
                const std::size_t n = std::min<std::size_t>(run, 4);
                C.Code(std::string(n, c == 'd' ? 'd' : 'm'));
                take(n);
                break;
            }
            case 'y':
                if (run >= 4) { C.Code("yyyy"); take(4); }
                else if (run >= 2) { C.Code("yy"); take(2); }
                else { C.Literal(c); take(1); }
                break;
            case 'h':
            case 'H': {
                const std::size_t n = std::min<std::size_t>(run, 2);
                C.Code(n == 2 ? "hh" : "h");
                take(n);
                break;
            }
            case 'm': {
                const std::size_t n = std::min<std::size_t>(run, 2);
                C.Code(n == 2 ? "nn" : "n");
                take(n);
                break;
            }
            case 's': {
                const std::size_t n = std::min<std::size_t>(run, 2);
                C.Code(n == 2 ? "ss" : "s");
                take(n);
                break;
            }
            case 'z': C.Flush(); take(run >= 3 ? 3 : 1); break;
            case 't': C.Flush(); take(run); break;
            case 'a':
            case 'A':
                C.Code("ampm");
                take(i + 1 < p.size() && (p[i + 1] == 'p' || p[i + 1] == 'P') ? 2 : 1);
                break;
            case '\'': {
                ++i;
                if (i < p.size() && p[i] == '\'') {  // '' is a quote
                    C.Literal('\'');
                    ++i;
                    break;
                }
                while (i < p.size()) {
                    if (p[i] == '\'') {
                        if (i + 1 < p.size() && p[i + 1] == '\'') {
                            C.Literal('\'');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    C.Literal(p[i++]);
                }
                break;
            }
            default: C.Literal(c); take(1); break;
        }
    }
    C.Flush();
    std::string out = std::move(C.Out);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string PatternSeparator(std::string_view pattern, std::string_view fallback) {
    for (char c : pattern) {
        const auto u = static_cast<unsigned char>(c);
        if (u > ' ' && u < 0x80 && !IsLetter(c) && !(c >= '0' && c <= '9') && c != '\'' && c != '"')
            return std::string(1, c);
    }
    return std::string(fallback);
}
