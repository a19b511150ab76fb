#pragma once
// A minimal host for the emulator's own tests: opens a device's audio function, and sends
// extension-unit commands and vendor requests as raw control transfers. Deliberately thin:
// the tests state the bytes on the wire themselves.

#include <cstdint>
#include <vector>

#include "emulator/Bus.h"

namespace vcodec_test {

struct Reply {
  std::uint32_t error = 0;
  std::vector<std::uint8_t> data;
};

class ChipClient {
 public:
  // Binds the audio function of the device at port (asserts that it is there).
  ChipClient(vcodec::Bus& bus, std::uint32_t port);
  ~ChipClient();

  [[nodiscard]] std::uint64_t id() const { return deviceId_; }

  // One control transfer.
  Reply Control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value, std::uint16_t index,
                std::vector<std::uint8_t> data, std::uint16_t length);
  // SET_CUR of a command block on control 10.
  std::uint32_t Command(std::vector<std::uint8_t> block);
  // GET_CUR / SET_CUR on control 11 of `length` bytes.
  Reply GetData(std::uint16_t length);
  std::uint32_t SetData(std::vector<std::uint8_t> data);
  // Byte 0 of the status block (0xFF when it cannot be read).
  std::uint8_t Status();
  void ClearStatus();
  // A whole read: the block, then units of `unit` bytes until `length` bytes are in.
  Reply Read(std::vector<std::uint8_t> block, std::uint32_t length, std::uint16_t unit = 8);
  std::uint32_t Write(std::vector<std::uint8_t> block, const std::vector<std::uint8_t>& data,
                      std::uint16_t unit = 8);
  // A vendor request (0xC0 for IN when length is set and data empty, else 0x40).
  Reply VendorIn(std::uint8_t request, std::uint16_t value, std::uint16_t index, std::uint16_t length);
  std::uint32_t VendorOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                          std::vector<std::uint8_t> data);

 private:
  vcodec::Bus& bus_;
  std::uint64_t handle_ = 0;
  std::uint64_t deviceId_ = 0;
};

// 8-byte command block from its fields.
[[nodiscard]] std::vector<std::uint8_t> Block(std::uint8_t group, std::uint8_t opcode, std::uint16_t p1 = 0,
                                              std::uint16_t p2 = 0, std::uint16_t p3 = 0);

}  // namespace vcodec_test
