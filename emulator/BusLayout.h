#pragma once
// The fixed layout of a bus: one header and a slot per hub port. The same bytes live in a
// heap block (in-memory bus) or in a shared mapping of the bus file, so separate processes
// see one set of devices. Only plain integers and byte arrays: no pointers, no padding games.

#include <cstdint>

namespace vcodec {

inline constexpr std::uint32_t kMaxPorts = 7;              // hub ports 1..7
inline constexpr std::uint32_t kMaxMemoryBytes = 2 * 1024 * 1024;
inline constexpr std::uint32_t kXdataBytes = 0x10000;
inline constexpr std::uint32_t kPhyBytes = 256;
inline constexpr std::uint32_t kMaxStuckBits = 8;
inline constexpr std::uint32_t kMaxOtpFailAddresses = 16;
inline constexpr std::uint64_t kBusMagic = 0x3142554243444356ull;  // "VCDCBUB1"
inline constexpr std::uint32_t kBusLayoutVersion = 3;

// Where the chip runs from.
enum class RunState : std::uint32_t { kRom = 0, kFirmware = 1 };

// Extension-unit command phase.
enum class Phase : std::uint32_t { kIdle = 0, kDataIn = 1, kDataOut = 2, kError = 3 };

struct SlotConfig {
  std::uint32_t model;
  std::uint32_t chipId;
  std::uint32_t memory;
  std::uint32_t memorySize;
  std::uint32_t commands;
  std::uint32_t maxUnit;
  std::uint32_t extUnit;
  std::uint32_t vid, pid, rev;
  std::uint32_t optionByte;
  std::uint32_t resetDelayMs;
  std::uint32_t hasCompanion;
  std::uint32_t flashProtected;
  std::uint32_t srWriteMs;
  std::uint32_t perTransferUs, chipEraseMs, sectorEraseMs, pageProgramUs;
};

struct StuckBits {
  std::uint32_t address;
  std::uint32_t mask;  // bits that stay 1 whatever is programmed
};

struct FaultPlan {
  std::uint64_t failAtTransfer;     // transfer number that fails (lost, time-out); 0 = none
  std::uint64_t stallAtTransfer;    // transfer number the device stalls; 0 = none
  std::uint64_t removeAtTransfer;   // the device leaves the bus at this transfer; 0 = none
  std::uint32_t stallRequest;       // bRequest + 1 of transfers that always stall; 0 = none
  std::uint32_t stallValue;         // wValue + 1 those must also carry; 0 = any
  std::uint32_t busyForever;        // status register busy bit never clears
  std::uint32_t eraseFails;         // erase commands report a hardware error, erase nothing
  std::uint32_t slowReturnMs;       // extra time off the bus after each reset
  std::uint32_t notReadyMs;         // after each arrival, transfers answer "not ready" this long
  std::uint32_t returnOnCompanion;  // after a reset the device comes back on the companion port
  std::uint32_t stuckCount;
  StuckBits stuck[kMaxStuckBits];
  std::uint32_t otpFailCount;
  std::uint32_t otpFail[kMaxOtpFailAddresses];  // OTP addresses whose cells refuse to program
  std::uint32_t otpReportAddress;   // address + 1 the report names for the first failed cell; 0 = none
};

struct Counters {
  std::uint64_t transfers;
  std::uint64_t failedTransfers;
  std::uint64_t busUs;              // modelled bus time
  std::uint64_t erases;
  std::uint64_t pagesProgrammed;
  std::uint64_t resets;
};

struct Identity {
  std::uint32_t vid, pid, rev;
  std::uint8_t version[8];
  std::uint32_t hasVersion;
  char manufacturer[64];
  char product[64];
  char serial[64];                  // empty: no serial-number string
};

struct ExtUnitState {
  std::uint32_t unit;               // current data-control size
  std::uint32_t phase;              // Phase
  std::uint8_t status;              // VCMD status byte
  std::uint8_t block[8];            // command block being executed
  std::uint32_t total;              // bytes of the data phase
  std::uint32_t done;
};

struct DeviceSlot {
  std::uint32_t plugged;            // a device sits in this port
  std::uint32_t connected;          // and is on the bus now
  std::uint64_t returnAtMs;         // off the bus after a reset until then; 0 = not returning
  std::uint64_t readyAtMs;          // still starting (not ready) until then
  std::uint32_t bootOnReturn;       // 1: boot memory when back, 0: stay in ROM code
  std::uint32_t onCompanion;        // enumerated on the companion root port
  std::uint32_t usbNode, functionNode;
  std::uint32_t runState;           // RunState
  std::uint32_t bootSource;         // MemoryKind + 1 of the booted image, 0 = ROM
  SlotConfig config;
  Identity identity;
  ExtUnitState ext;
  std::uint32_t otpLockFuse;        // the OTP lock bit survives resets
  std::uint8_t flashSr;
  std::uint64_t flashBusyUntilMs;
  std::uint8_t otpReport[19];
  FaultPlan faults;
  Counters counters;
  std::uint8_t phy[kPhyBytes];
  std::uint8_t xdata[kXdataBytes];
  std::uint8_t memory[kMaxMemoryBytes];
};

struct BusHeader {
  std::uint64_t magic;
  std::uint32_t version;
  std::uint32_t slotBytes;
  std::uint32_t nextNode;           // device-tree numbers handed out so far
  std::uint32_t changeCount;        // bumped on every arrival and departure
};

struct BusImage {
  BusHeader header;
  DeviceSlot slots[kMaxPorts];      // slot i is hub port i + 1
};

}  // namespace vcodec
