#pragma once
// Fixture for the OTP flows: OTP codecs, OTP images from the image generator, and views of the
// VD and ECC tables as the emulated chip holds them.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/NotifyTarget.h"
#include "flow/NotifyUi.h"
#include "flow/OtpLayout.h"
#include "tests/flow/FlowFixture.h"
#include "tests/support/OtpContent.h"

// The window's side of the posted messages: what the flow reported, in order.
class UiRecorder : public NotifyTarget {
 public:
  void PostUiMessage(std::uint32_t message, std::uintptr_t value, std::intptr_t) override {
    posts.emplace_back(message, value);
    if (onPost) onPost(message, value);
  }
  [[nodiscard]] int Count(std::uint32_t message) const;
  std::vector<std::pair<std::uint32_t, std::uintptr_t>> posts;
  std::function<void(std::uint32_t, std::uintptr_t)> onPost;
};

class OtpFlowTest : public FlowFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:

  // An OTP image: configuration area at 0 with a code record of codeBytes at offset 15 (none
  // when 0), strings and VID/PID behind it (none when serial is empty); its version names the
  // build.
  std::string OtpImage(const std::string& name, std::size_t codeBytes, const std::string& version = "1.204.0001-0002.0003",
                       const std::string& serial = "SN0001", const std::vector<std::string>& extra = {});
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
  // inUse entries in use (zero-length consumed ones, the last reaching to used).
  void LayUsed(std::uint32_t port, int inUse, std::uint16_t used);
  // Questions and boxes shown, answered with answer.
  void AnswerQuestions(bool yes);

  UiRecorder ui_;
  std::vector<std::string> boxes_;
};
