#pragma once
// Fixture for the OTP flows: OTP codecs, OTP images from the image generator, and views of the
// VD and ECC tables as the emulated chip holds them.

#include <cstdint>
#include <string>
#include <vector>

#include "flow/OtpLayout.h"
#include "tests/flow/FlowFixture.h"

class OtpFlowTest : public FlowFixture {
 protected:
  void TearDown() override;

  // An OTP image: configuration area at 0 with a code record of codeBytes at offset 15 (none
  // when 0), strings and VID/PID behind it; its version names the build.
  std::string OtpImage(const std::string& name, std::size_t codeBytes, const std::string& version = "1.204.0001-0002.0003",
                       const std::string& serial = "SN0001");
  // Plugs an OTP codec (memory as given, else blank) with the faults armed.
  std::uint32_t PlugOtp(const std::vector<std::uint8_t>& memory = {});
  // The command line's write of image: 1 or 0, trace lines in *trace when given.
  int Write(const std::string& image, std::vector<std::string>* trace = nullptr);
  [[nodiscard]] VdEntry Entry(std::uint32_t port, int k) const;
  [[nodiscard]] std::vector<std::uint8_t> EntryBytes(std::uint32_t port, int k) const;
  [[nodiscard]] EccRecord Record(std::uint32_t port, int i) const;
  // Raw bytes as a programmer would put them.
  void Put(std::uint32_t port, std::uint32_t address, const std::vector<std::uint8_t>& bytes);
  void PutEntry(std::uint32_t port, int k, std::uint16_t address, std::uint16_t length, std::uint8_t flag);
  void PutRecord(std::uint32_t port, int i, std::uint16_t address, std::uint8_t value, std::uint8_t marker);
  void Arm(std::uint32_t port, const std::vector<std::uint16_t>& failingCells, bool locked = false);
  // The image's code and configuration blocks as a download lays them.
  struct Blocks {
    std::vector<std::uint8_t> code;
    std::vector<std::uint8_t> config;
  };
  [[nodiscard]] static Blocks BlocksOf(const std::vector<std::uint8_t>& image);
};
