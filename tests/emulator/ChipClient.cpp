#include "tests/emulator/ChipClient.h"

#include <gtest/gtest.h>

#include "emulator/Descriptors.h"

namespace vcodec_test {

std::vector<std::uint8_t> Block(std::uint8_t group, std::uint8_t opcode, std::uint16_t p1, std::uint16_t p2,
                                std::uint16_t p3) {
  return {group, opcode, static_cast<std::uint8_t>(p1 & 0xFF), static_cast<std::uint8_t>(p1 >> 8),
          static_cast<std::uint8_t>(p2 & 0xFF), static_cast<std::uint8_t>(p2 >> 8),
          static_cast<std::uint8_t>(p3 & 0xFF), static_cast<std::uint8_t>(p3 >> 8)};
}

ChipClient::ChipClient(vcodec::Bus& bus, std::uint32_t port) : bus_(bus) {
  for (DevNode node : bus_.Enumerate(DeviceSet::kAudioFunctions)) {
    if (bus_.BusAddress(node) != port) continue;
    EXPECT_EQ(bus_.OpenInterface(node, InterfaceClass::kAudio, &handle_), kUsbErrorSuccess);
    EXPECT_EQ(bus_.Bind(handle_, &deviceId_), kUsbErrorSuccess);
    return;
  }
  ADD_FAILURE() << "no audio function on port " << port;
}

ChipClient::~ChipClient() {
  if (deviceId_ != 0) bus_.Release(deviceId_);
  if (handle_ != 0) bus_.CloseInterface(handle_);
}

Reply ChipClient::Control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                          std::uint16_t index, std::vector<std::uint8_t> data, std::uint16_t length) {
  ControlSetup setup{requestType, request, value, index, length};
  data.resize(length);
  const TransferResult r = bus_.Submit(deviceId_, setup, data.data(), 5000);
  if ((requestType & 0x80) != 0) data.resize(r.error == 0 ? r.transferred : 0);
  return {r.error, data};
}

std::uint32_t ChipClient::Command(std::vector<std::uint8_t> block) {
  const std::uint16_t index = (vcodec::kExtUnitId << 8) | vcodec::kAudioControlInterface;
  return Control(0x21, 0x01, 0x0A00, index, std::move(block), 8).error;
}

Reply ChipClient::GetData(std::uint16_t length) {
  return Control(0xA1, 0x81, 0x0B00, (vcodec::kExtUnitId << 8) | vcodec::kAudioControlInterface, {}, length);
}

std::uint32_t ChipClient::SetData(std::vector<std::uint8_t> data) {
  const auto length = static_cast<std::uint16_t>(data.size());
  return Control(0x21, 0x01, 0x0B00, (vcodec::kExtUnitId << 8) | vcodec::kAudioControlInterface, std::move(data),
                 length)
      .error;
}

std::uint8_t ChipClient::Status() {
  const Reply r = Control(0xA1, 0x81, 0x0A00, (vcodec::kExtUnitId << 8) | vcodec::kAudioControlInterface, {}, 8);
  return r.error == 0 && !r.data.empty() ? r.data[0] : 0xFF;
}

void ChipClient::ClearStatus() { Command({0xFF, 0, 0, 0, 0, 0, 0, 0}); }

Reply ChipClient::Read(std::vector<std::uint8_t> block, std::uint32_t length, std::uint16_t unit) {
  Reply out;
  out.error = Command(std::move(block));
  while (out.error == 0 && out.data.size() < length) {
    const Reply r = GetData(unit);
    out.error = r.error;
    const std::size_t take = std::min<std::size_t>(unit, length - out.data.size());
    if (r.error == 0) out.data.insert(out.data.end(), r.data.begin(), r.data.begin() + static_cast<std::ptrdiff_t>(take));
  }
  return out;
}

std::uint32_t ChipClient::Write(std::vector<std::uint8_t> block, const std::vector<std::uint8_t>& data,
                                std::uint16_t unit) {
  std::uint32_t error = Command(std::move(block));
  for (std::size_t at = 0; error == 0 && at < data.size(); at += unit) {
    std::vector<std::uint8_t> piece(unit, 0);
    std::copy(data.begin() + static_cast<std::ptrdiff_t>(at),
              data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + unit)), piece.begin());
    error = SetData(piece);
  }
  return error;
}

Reply ChipClient::VendorIn(std::uint8_t request, std::uint16_t value, std::uint16_t index, std::uint16_t length) {
  return Control(0xC0, request, value, index, {}, length);
}

std::uint32_t ChipClient::VendorOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                                    std::vector<std::uint8_t> data) {
  const auto length = static_cast<std::uint16_t>(data.size());
  return Control(0x40, request, value, index, std::move(data), length).error;
}

}  // namespace vcodec_test
