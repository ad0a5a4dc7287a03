#pragma once

// The main window's commands on the phrase file, without the window: each
// reads the program state, does its work and changes the state only when the
// whole command succeeded, so a failure half-way leaves the phrase, its index
// and the count as they were on screen (but for an emptied file's count).

#include "app/module1.h"
#include "runtime/services.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace zelmora {

// "Aggiorna": counts the phrases of the phrase file in `directory` (empty:
// the working folder) again and stores the count. The phrase on show and its
// index stay, even when the index is now above the count. An emptied file
// stores the count 0 and raises error 62; any other failure changes nothing.
void Recount(Module1& state, const std::filesystem::path& directory);

// The phrase number the "Casuale" draw gives for the current state: one of
// 1 to the count, each phrase other than the one on show equally likely, and
// never the one on show. Nothing when there is no other phrase to draw (one
// phrase, or none, with phrase 1 on show).
std::optional<std::int64_t> DrawOther(const Module1& state, RandomSource& random);

// "Frase del giorno": counts the phrases again and shows today's phrase
// (`dayOfYear`, the days per phrase of the state) with its position, as the
// start-up does. The count is stored as "Aggiorna" stores it; the phrase
// and its index change only once today's phrase is loaded.
void ShowTodaysPhrase(Module1& state, const std::filesystem::path& directory, int dayOfYear);

// "Casuale": draws another phrase and loads it. Returns false, changing
// nothing, when there is no other phrase to draw.
bool DrawAtRandom(Module1& state, const std::filesystem::path& directory, RandomSource& random);

} // namespace zelmora
