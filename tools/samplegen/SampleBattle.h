#pragma once

#include "samplegen/SampleRandom.h"
#include "samplegen/SampleReplay.h"

#include <string>

namespace tapeloft::samples {

// Plays one battle out: participants, outcome, everybody's numbers and the player's personal results.
// Leaves the block texts and the tail offset empty. vehicleCount must be at least 2. With progress the player
// wins more and deals more damage the later the battle lies in the period, mostly in a few vehicles.
SampleFacts simulateBattle(SampleRandom& random, ResultsLayout layout, int vehicleCount,
                           bool progress = false);

// The description block of the battle: one line of JSON whose first `"}` is its closing brace.
std::string writeDescription(const SampleFacts& facts);

// A description cut off inside one participant's entry: its first `"}` closes that entry, so the text the
// readers cut never closes the outer objects and cannot parse, whatever follows it in the file.
std::string truncatedDescription(const SampleFacts& facts, SampleRandom& random);

// The results block: a three-element array on one line that ends with its first `}}]`.
std::string writeResults(const SampleFacts& facts, SampleRandom& random);

} // namespace tapeloft::samples
