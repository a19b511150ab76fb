#pragma once
// Entering ROM (update) code before memory is written, with the guard writes some chips need.

#include "flow/SpiFlashSteps.h"

class CMpFlow4 : public CMpFlow3 {
 public:
  // Guard writes, then the reset into ROM code; 1 on success, 0 after UM_ERROR 41512.
  [[nodiscard]] int MP_OpenRomDevice();
};
