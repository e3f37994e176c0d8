// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's version, as the build states it (the window shows its own "1.1").
#ifndef KESTRO_VERSION
#define KESTRO_VERSION "1.1"
#endif
inline constexpr const char* ProgramVersion = KESTRO_VERSION;
