// The texts the player reads, each written whole with numbered places ("{1} of {2}") rather
// than joined from pieces, so that a translation can put the pieces where its language wants
// them. Every such text passes through here, where a message catalogue is to be looked up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// pattern with {1}, {2} ... replaced by the pieces; a place without a piece is left as written.
std::string message(std::string_view pattern, const std::vector<std::string>& pieces = {});
// A text that shows a count, in its form for that count: one for 1, other for any other count
// (English's rule; a catalogue brings its language's). {1} is the count, the pieces follow as
// {2}, {3} ...
std::string pluralMessage(int64_t count, std::string_view one, std::string_view other,
                          const std::vector<std::string>& pieces = {});
