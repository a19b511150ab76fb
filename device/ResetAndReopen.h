#pragma once
// Sends a reset, waits for the chip to drop off the bus and come back, finds it again at the
// same place and swaps the old record for the new one. Every wait of the search counts
// against the budget; past it the result is 1460 (time-out).

#include <cstdint>

#include "device/DeviceRecord.h"
#include "device/ResetEvent.h"

inline constexpr std::uint32_t kResetBudgetMs = 15000;

struct ResetRequest {
  std::uint32_t mode = 0;        // the reset argument before mapping (kind 10: also the start of the elapsed time)
  std::uint32_t kind = 9;        // 7 ResetToUpdateFW, 9 ResetToRom, 10 ResetToRom through the vendor request
  int unitId = -1;               // the channel, when known
  bool legacy = false;
  bool vendor = false;
  bool channelKnown = false;
  bool forceExtUnit = false;
  std::uint32_t budgetMs = kResetBudgetMs;
  ResetEvent* event = nullptr;
  std::uint32_t waitMs = 0;
};

// 0, 87 for an unusable record, 0x80004005 when no channel can carry the reset, the platform
// error of a failed reset request, or 1460.
[[nodiscard]] std::uint32_t ResetAndReopen(DeviceRecord* record, const ResetRequest& request);
