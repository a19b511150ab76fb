#pragma once
// How operations report: one posted message per outcome, step or progress value, which also
// maintains lastErrorCode.

#include <cstdint>

enum UiMessage : std::uint32_t {
  UM_WORKER_EXIT = 0x412,
  UM_PROGRESS = 0x413,     // percent 0-100
  UM_ERROR = 0x414,        // failure text id
  UM_SUCCESS = 0x416,      // success text id
  UM_STATUS = 0x417,       // step text id, 0 clears
  UM_RESULT = 0x418,       // device detection outcome, 0 refreshes the device information
  UM_DEVICE_OPENED = 0x41F,
};

// Posts (message, value, extra) to NotifyWindow() when there is one. Every message but
// UM_WORKER_EXIT stores value in lastErrorCode; a final success id then clears it.
void NotifyUi(std::uint32_t message, std::uintptr_t value, std::intptr_t extra = 0);
