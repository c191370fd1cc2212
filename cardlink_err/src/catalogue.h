#pragma once
// The card-link message catalogue: French texts returned, English texts kept beside them.

#include <optional>
#include <string>

namespace kestrinerr {

struct Message {
  std::string french;
  std::string english;
};

// The entry of a card-link code, if it has one.
std::optional<Message> find_message(unsigned long code);

// The text of codes with bit 29 set outside the card-link family.
Message unknown_message();

}  // namespace kestrinerr
