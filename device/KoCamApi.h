#pragma once
// The flat device API: library start and stop.

#include <cstdint>

// Starts the device layer with the configured library variant; nonzero on success.
int KoCam_Init(std::int32_t libType);
void KoCam_Uninit();
