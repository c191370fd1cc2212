#pragma once
// The texts of the acquisition's wait dialog: its progress states and the elapsed time.

#include <cstdint>
#include <string>

namespace brv {

// "Waiting for traffic..." and the others, for progress states 0 to 5; empty for another value.
const char* TexteEtatProgression(int etat);

// "%ij %ih %imn %is", "%ih %imn %is", "%imn %is" or "%is": the largest non-zero unit first.
std::string TexteTempsEcoule(uint64_t ms);

}  // namespace brv
