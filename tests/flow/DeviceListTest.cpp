// The window's device list over emulated codecs: the default device, the device kept on its
// port after an arrival, and the open before a download.
#include "app/AppContext.h"
#include "flow/DeviceListView.h"
#include "flow/MemoryObject.h"
#include "flow/TextIds.h"
#include "image/IcTables.h"
#include "tests/flow/FlowFixture.h"

namespace {

// Stands in for the window's list box and stored port pair (no window system in tests).
class ListBox : public DeviceListView {
 public:
  void ClearList() override { entries.clear(); }
  int AddEntry(const std::string& text) override {
    entries.push_back(text);
    return static_cast<int>(entries.size()) - 1;
  }
  int EntryCount() const override { return static_cast<int>(entries.size()); }
  void SelectEntry(int index) override {
    selected = index;
    selectedText = index >= 0 && index < EntryCount() ? entries[static_cast<std::size_t>(index)] : "";
  }
  std::string SelectedDeviceText() const override { return selectedText; }
  void StorePort(std::uint32_t p, std::uint32_t parent) override { port = p, hub = parent; }
  void StoredPort(std::uint32_t* p, std::uint32_t* parent) const override { *p = port, *parent = hub; }
  void ResetAutoRunEvent() override { autoRun = false; }
  void SignalAutoRunEvent() override { autoRun = true; }

  std::vector<std::string> entries;
  int selected = -2;
  std::string selectedText;
  std::uint32_t port = 0, hub = 0;
  bool autoRun = false;
};

class DeviceListTest : public FlowFixture {
 protected:
  void SetUp() override {
    FlowFixture::SetUp();
    App().deviceList = &list_;
  }
  void TearDown() override {
    App().deviceList = nullptr;
    FlowFixture::TearDown();
  }
  void PlugAt(std::uint32_t port, std::uint16_t vid = 0x3C5E) {
    vcodec::DeviceConfig config;
    config.port = port;
    config.vid = vid;
    Plug(config);
  }
  ListBox list_;
};

TEST_F(DeviceListTest, DefaultDeviceIsTheFirstListedOneAndItsPortIsRemembered) {
  PlugAt(1, 0x1234);
  PlugAt(3);
  PlugAt(5);
  Flow().DEV_GetDefaultDeviceForAllInOne();
  EXPECT_EQ(lastErrorCode.load(), IDS_CHECK_DEVICE_INFO_SUCCEED);
  EXPECT_EQ(list_.entries, (std::vector<std::string>{"VID_3C5E&PID_4C15&REV_0000", "VID_3C5E&PID_4C15&REV_0000"}));
  EXPECT_EQ(Flow().m_iSelDevice, 1);  // the foreign device opened first
  EXPECT_EQ(list_.port, 3u);
  EXPECT_TRUE(list_.autoRun);
  EXPECT_EQ(Flow().m_hDev, 0u);  // every device is closed again
  EXPECT_EQ(Flow().m_strImageText.rfind("Update FW version:", 0), 0u);
}

TEST_F(DeviceListTest, OtpCodecShowsItsUsedSpaceInTheList) {
  vcodec::DeviceConfig config;
  config.memory = vcodec::MemoryKind::kOtp;
  const std::uint32_t port = Plug(config);
  // One earlier download: a 0x400-byte code block in entry 0, a 0x40-byte configuration block in entry 1.
  ASSERT_TRUE(bus_->WriteMemory(port, 0x3F70, {0x00, 0x00, 0x04, 0x00, 0x55, 0x04, 0x00, 0x00, 0x40, 0xAA}));
  App().memoryType = kMemoryOtp;
  CreateMemoryObject(kMemoryOtp, 0);
  Flow().DEV_GetDefaultDeviceForAllInOne();
  EXPECT_EQ(Flow().m_uUsedOtp, 0x440u);
  EXPECT_EQ(Flow().m_strOtpText, "Used OTP Space: 1.06 KB, Remain OTP Space: 14.78 KB.");
}

TEST_F(DeviceListTest, ArrivalKeepsTheDeviceOnTheRememberedPort) {
  PlugAt(2);
  PlugAt(4);
  // Both devices hang on one hub: remember port 4 with the hub the first listing reported.
  Flow().DEV_GetDefaultDeviceForAllInOne();
  ASSERT_EQ(list_.port, 2u);
  list_.StorePort(4, list_.hub);
  Flow().DEV_GetDeviceListForAllInOne(7);
  EXPECT_EQ(Flow().m_iSelDevice, 1);
  EXPECT_EQ(list_.selected, 1);
  EXPECT_EQ(lastErrorCode.load(), IDS_CHECK_DEVICE_INFO_SUCCEED);
  // The open before a download finds it again by its port.
  ASSERT_EQ(Flow().Dev_OpenDeviceForMultiCamera(), 1);
  EXPECT_EQ(Flow().m_dwPortAddr, 4u);
  Flow().DEV_CloseDevice();
  // After a reset the device is found by its VID/PID text.
  EXPECT_EQ(Flow().DEV_GetDeviceListAfterReset(), 1);
  EXPECT_EQ(Flow().m_iSelDevice, 0);
}

TEST_F(DeviceListTest, OpenForDownloadSearchesOnlyFromTheSelectedNumber) {
  PlugAt(2);
  PlugAt(4);
  Flow().DEV_GetDefaultDeviceForAllInOne();  // remembers device 0 on port 2
  ASSERT_EQ(list_.port, 2u);
  Flow().m_iSelDevice = 1;
  lastErrorCode.store(12345);
  EXPECT_EQ(Flow().Dev_OpenDeviceForMultiCamera(), 0);
  EXPECT_EQ(lastErrorCode.load(), 12345);  // nothing posted
  EXPECT_EQ(Flow().m_hDev, 0u);
  Flow().m_iSelDevice = -1;
  EXPECT_EQ(Flow().Dev_OpenDeviceForMultiCamera(), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_DETECT_DEVICE_FAIL);
}

}  // namespace
