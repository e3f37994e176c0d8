// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The store side of the contact colour commands. Colours are platform values 0x00BBGGRR,
// 0 meaning none.
#include <cstdint>
#include <random>

#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

// A colour whose blue, green and red bytes are each 128 + a uniform draw in 0..127, drawn
// in the order blue, green, red.
std::int32_t RandomLightColor(std::mt19937& rng);

// Every uncoloured message takes the colour of the first message (in store order) of its
// person (People.h); that first message, when uncoloured, gets a new RandomLightColor first.
// Coloured messages keep their colour. Returns the number of new colours drawn (one per
// person whose first message had none); sets Modified.
std::int32_t ColorContactsAutomatically(MsgStore& S, std::mt19937& rng);

// The chooser's OK for the contact of message n: message n gets `color` (0 clears it), then
// every message with n's Name, where not empty, or of n's person (People.h), when n
// has a phone, gets it too; the grid switches
// to contact colours and Modified is set. Returns how many messages got the colour; nothing happens
// when n is not a stored message.
std::int32_t ColorThisContact(MsgStore& S, DefaultsType& D, std::int32_t n, std::int32_t color);

// Every message loses its colour; sets Modified.
void ClearAllColors(MsgStore& S);
