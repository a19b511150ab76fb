#include "device/KoCamApi.h"

int KoCam_Init(std::int32_t) { return 1; }

void KoCam_Uninit() {}
