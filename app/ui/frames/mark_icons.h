#pragma once
// The four images of the mark column, drawn once: nothing, an event, an error, both.

#include <QIcon>

#include <cstdint>

namespace brv::ui {

inline constexpr int kTailleIconeMarque = 16;

// The image of a row mark (MarqueLigne); an unknown mark draws as no mark.
const QIcon& IconeMarque(uint32_t marque);

}  // namespace brv::ui
