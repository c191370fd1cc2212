#pragma once
// The options of the "Goto" dialog; the document keeps them between searches.

namespace brv {

struct OptionsGoto {
  bool bDateZero = false;
  bool bEvenements = false;
  bool bErreurs = false;
  bool bVersLeHaut = false;  // "Up"; "Down" otherwise
  friend bool operator==(const OptionsGoto&, const OptionsGoto&) = default;
};

}  // namespace brv
