// Cells that refuse to program, ECC records, failed table writes and lost commands: what is
// repaired, what is refused, and the bookkeeping a failed write leaves so the next one starts
// after it.
#include <algorithm>

#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "flow/StopFlag.h"
#include "platform/MessageBox.h"
#include "flow/TextIds.h"
#include "tests/flow/OtpFlowFixture.h"

namespace {

// The first offset at or after from where block holds a byte with bits to program.
std::uint16_t Programmed(const std::vector<std::uint8_t>& block, std::size_t from) {
  for (std::size_t i = from; i < block.size(); ++i) {
    if (block[i] != 0) return static_cast<std::uint16_t>(i);
  }
  ADD_FAILURE() << "no programmed byte after " << from;
  return 0;
}

int Count(const std::vector<std::string>& trace, const std::string& text) {
  return static_cast<int>(std::count_if(trace.begin(), trace.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
}

class OtpRepairTest : public OtpFlowTest {};

TEST_F(OtpRepairTest, FailedCellsAreRepairedThroughEccRecordsAndTheChipBootsThem) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("repair.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  const std::uint16_t configAt = static_cast<std::uint16_t>(blocks.code.size());
  // The version block (0x11B) is among them: the booted version shows the repair applied.
  const std::vector<std::uint16_t> cells = {Programmed(blocks.code, 0x11B), Programmed(blocks.code, 0x200),
                                            Programmed(blocks.code, 0x300),
                                            static_cast<std::uint16_t>(configAt + Programmed(blocks.config, 20))};
  Arm(port, cells);
  std::vector<std::string> trace;
  ASSERT_EQ(Write(image, &trace), 1);
  EXPECT_EQ(ui_.Count(UM_ERROR), 0);
  const std::vector<std::uint8_t> m = Memory(port, 0x4000);
  for (std::size_t n = 0; n < cells.size(); ++n) {
    const std::uint16_t a = cells[n];
    const std::uint8_t target = a < configAt ? blocks.code[a] : blocks.config[a - configAt];
    EXPECT_EQ(m[a], 0x00) << a;  // the cell itself never took the value
    const EccRecord r = Record(port, static_cast<int>(n) + 1);
    EXPECT_EQ(r.address, a);
    EXPECT_EQ(r.value, target);
    EXPECT_EQ(r.marker, kEccMarkerValid);
  }
  EXPECT_TRUE(Record(port, 5).Free());
  EXPECT_EQ(Entry(port, 0).flag, kVdFlagCode);
  EXPECT_EQ(Entry(port, 1).flag, kVdFlagConfig);
  const auto info = bus_->Info(port);
  ASSERT_TRUE(info && info->firmware);
  EXPECT_EQ(info->version, "1.204.0001-0002.0003");

  // The dump reads through the records as the chip does.
  OpenFor(image);
  const std::string dump = dir_.File("otp.bin");
  ASSERT_EQ(Flow().DEV_Command('R', dump), 1);
  const std::vector<std::uint8_t> read = ReadBytes(dump);
  ASSERT_GT(read.size(), cells[2]);
  EXPECT_EQ(read[cells[0]], blocks.code[cells[0]]);
  EXPECT_EQ(read[cells[2]], blocks.code[cells[2]]);
  Flow().DEV_CloseDevice();
}

TEST_F(OtpRepairTest, MoreFailuresThanRepairsLeftRecordTheChunkAsConsumed) {
  const std::string image = OtpImage("big.rfw", 6000);  // code block of 6023 bytes: two chunks
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  struct Case {
    const char* name;
    std::size_t firstCell;
    int cells;
    int retired;  // records already retired
    std::uint16_t consumed;
  };
  const Case cases[] = {
      {"two in the first chunk, one repair left", 0x100, 2, 15, 4096},
      {"two in the last chunk, one repair left", 5000, 2, 15, static_cast<std::uint16_t>(blocks.code.size())},
      // The report lists nine of them; the count says ten.
      {"ten in one chunk, eight repairs", 0x100, 10, 0, 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    for (int i = 1; i <= c.retired; ++i) PutRecord(port, i, 0x3F00, 0x01, kEccMarkerRetired);
    std::vector<std::uint16_t> cells;
    for (std::size_t at = c.firstCell; static_cast<int>(cells.size()) < c.cells; ++at) {
      cells.push_back(Programmed(blocks.code, at));
      at = cells.back();
    }
    Arm(port, cells);
    std::vector<std::string> trace;
    EXPECT_EQ(Write(image, &trace), 0);
    EXPECT_EQ(lastErrorCode.load(), IDS_ERROR_NUM_EXCEED_8);
    EXPECT_EQ(ui_.Count(UM_ERROR), 1);
    EXPECT_TRUE(TraceHas(trace, "m_uCurErrorNum > m_uExecECCNum"));
    // The space up to the end of the failed chunk is consumed, nothing was repaired.
    const VdEntry e = Entry(port, 0);
    EXPECT_EQ(e.flag, kVdFlagRetired);
    EXPECT_EQ(e.address, 0);
    EXPECT_EQ(e.length, c.consumed);
    EXPECT_TRUE(Record(port, 16).Free());
    EXPECT_TRUE(Record(port, c.retired + 1).Free());

    // The next download starts after the consumed space.
    ASSERT_TRUE(bus_->ClearFaults(port));
    ASSERT_EQ(Write(image), 1);
    EXPECT_EQ(Entry(port, 1).flag, kVdFlagCode);
    EXPECT_EQ(Entry(port, 1).address, c.consumed);
    EXPECT_EQ(Entry(port, 2).flag, kVdFlagConfig);
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpRepairTest, RecordsOfTheConsumedSpaceAreRetiredAndNoOthers) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("partial.rfw", 6000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  // Known-bad cells in both chunks of the code block; 13 records retired leave one free.
  const std::uint16_t early = Programmed(blocks.code, 0x100), late = Programmed(blocks.code, 5000);
  PutRecord(port, 1, early, 0x00, kEccMarkerValid);
  PutRecord(port, 2, late, 0x00, kEccMarkerValid);
  for (int i = 3; i <= 15; ++i) PutRecord(port, i, 0x3F00, 0x01, kEccMarkerRetired);
  // Two more failures in the first chunk than the one repair left.
  const std::uint16_t a = Programmed(blocks.code, 0x200);
  Arm(port, {a, Programmed(blocks.code, a + 1u)});
  EXPECT_EQ(Write(image), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_ERROR_NUM_EXCEED_8);
  EXPECT_EQ(Entry(port, 0).length, kOtpChunkBytes);
  EXPECT_EQ(Record(port, 1).marker, kEccMarkerRetired);
  const EccRecord kept = Record(port, 2);
  EXPECT_TRUE(kept.Reserved());
  EXPECT_EQ(kept.address, late);
}

TEST_F(OtpRepairTest, ConsumedSpaceMovesToTheNextEntryAsItsOwnEntry) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("moved.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  const auto configAt = static_cast<std::uint16_t>(blocks.code.size());
  for (int i = 1; i <= 15; ++i) PutRecord(port, i, 0x3F00, 0x01, kEccMarkerRetired);
  // The code goes in; two cells of the configuration fail with one repair left, and the flag
  // cell of the entry that should record the consumed space refuses as well.
  const std::uint16_t a = static_cast<std::uint16_t>(configAt + Programmed(blocks.config, 16));
  Arm(port, {a, static_cast<std::uint16_t>(configAt + Programmed(blocks.config, a - configAt + 1u)),
             static_cast<std::uint16_t>(VdEntryAddress(1) + 4)});
  EXPECT_EQ(Write(image), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_ERROR_NUM_EXCEED_8);
  EXPECT_EQ(Entry(port, 0).flag, kVdFlagCode);
  EXPECT_EQ(EntryBytes(port, 1), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
  const VdEntry consumed = Entry(port, 2);
  EXPECT_EQ(consumed.flag, kVdFlagRetired);
  EXPECT_EQ(consumed.address, configAt);
  EXPECT_EQ(consumed.length, blocks.config.size());
  EXPECT_TRUE(Entry(port, 3).free);
}

TEST_F(OtpRepairTest, AFailedAddressOutsideItsChunkIsRefused) {
  const std::string image = OtpImage("garbled.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  const auto configAt = static_cast<std::uint16_t>(blocks.code.size());
  struct Case {
    const char* name;
    std::uint16_t named;
  };
  // The configuration block's cell fails; the report names another address.
  for (const Case& c : {Case{"before the chunk", 0x0010}, Case{"after the chunk", 0x3000}, Case{"zero", 0x0000}}) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    vcodec::Faults faults;
    faults.otpFailAddresses = {static_cast<std::uint16_t>(configAt + Programmed(blocks.config, 20))};
    faults.otpReportAddress = c.named;
    ASSERT_TRUE(bus_->ArmFaults(port, faults));
    std::vector<std::string> trace;
    EXPECT_EQ(Write(image, &trace), 0);
    EXPECT_EQ(lastErrorCode.load(), IDS_FAIL_ADDRESS);
    EXPECT_EQ(ui_.Count(UM_ERROR), 1);
    EXPECT_TRUE(TraceHas(trace, "Invalid Addr"));
    // Code went in; the configuration's space is recorded as consumed, no record was written.
    EXPECT_EQ(Entry(port, 0).flag, kVdFlagCode);
    const VdEntry consumed = Entry(port, 1);
    EXPECT_EQ(consumed.flag, kVdFlagRetired);
    EXPECT_EQ(consumed.address, configAt);
    EXPECT_EQ(consumed.length, blocks.config.size());
    for (int i = 1; i <= kOtpEccRecords; ++i) EXPECT_TRUE(Record(port, i).Free()) << i;
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpRepairTest, ReservedRecordsAreFilledInWhereverTheyLie) {
  const std::string image = OtpImage("reserved.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  const std::uint16_t a = Programmed(blocks.code, 0x150);
  const std::uint16_t b = Programmed(blocks.code, 0x250);
  struct Case {
    const char* name;
    std::vector<std::uint16_t> failing;  // cell a is known bad; b fails as well in one case
    int reservedAt;
  };
  const Case cases[] = {
      {"reserved record behind free ones", {}, 5},
      {"reserved cell fails again, with a new failure", {a, b}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    PutRecord(port, c.reservedAt, a, 0x00, kEccMarkerValid);
    Arm(port, c.failing);
    std::vector<std::string> trace;
    ASSERT_EQ(Write(image, &trace), 1);
    const EccRecord r = Record(port, c.reservedAt);
    EXPECT_EQ(r.address, a);
    EXPECT_EQ(r.value, blocks.code[a]);
    EXPECT_EQ(r.marker, kEccMarkerValid);
    EXPECT_TRUE(TraceHas(trace, "Write ECC Condition 1"));
    if (c.failing.empty()) {
      for (int i = 1; i < c.reservedAt; ++i) EXPECT_TRUE(Record(port, i).Free()) << i;
    } else {
      // a is repaired once, b gets the first free record.
      EXPECT_TRUE(TraceHas(trace, "Reduant Addr Again"));
      const EccRecord rb = Record(port, 2);
      EXPECT_EQ(rb.address, b);
      EXPECT_EQ(rb.value, blocks.code[b]);
      EXPECT_TRUE(Record(port, 3).Free());
    }
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpRepairTest, RepairBudgetIsCheckedBeforeAnythingIsWritten) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("budget.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  // Six known-bad cells wait beyond the blocks: two repairs are left for this write, and three
  // reserved cells lie inside the code block.
  for (int i = 1; i <= 6; ++i) PutRecord(port, i, static_cast<std::uint16_t>(0x3000 + i), 0x00, kEccMarkerValid);
  for (int i = 7; i <= 9; ++i) PutRecord(port, i, Programmed(blocks.code, 0x100u * static_cast<unsigned>(i - 6)), 0x00, kEccMarkerValid);
  const std::vector<std::uint8_t> before = Memory(port, 0x4000);
  std::vector<std::string> trace;
  EXPECT_EQ(Write(image, &trace), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_NOT_ENOUGH_ECC_NUM);
  EXPECT_EQ(ui_.Count(UM_ERROR), 1);
  EXPECT_EQ(Memory(port, 0x4000), before);
}

TEST_F(OtpRepairTest, ARepairRecordThatKeepsFailingEndsTheWrite) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("stubborn.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  const std::uint16_t a = Programmed(blocks.code, 0x180);
  // The reserved record's value and marker cells both refuse: it can be neither filled nor
  // retired.
  PutRecord(port, 1, a, 0x00, kEccMarkerValid);
  Arm(port, {static_cast<std::uint16_t>(EccRecordAddress(1) + 2), static_cast<std::uint16_t>(EccRecordAddress(1) + 3)});
  std::vector<std::string> trace;
  EXPECT_EQ(Write(image, &trace), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_REDUANT_FAIL);
  EXPECT_EQ(ui_.Count(UM_ERROR), 1);
  EXPECT_EQ(Count(trace, "Fail HW Error"), kOtpEccRecords);
  // The block's space is consumed; the entry records it.
  EXPECT_EQ(Entry(port, 0).flag, kVdFlagRetired);
  EXPECT_EQ(Entry(port, 0).length, blocks.code.size());
}

TEST_F(OtpRepairTest, AFailedEntryWriteMovesToTheNextEntry) {
  const std::string image = OtpImage("entry.rfw", 1000);
  const std::string codeOnly = OtpImage("code.rfw", 1000, "1.204.0001-0002.0003", "");
  struct Case {
    const char* name;
    int inUse;
    const std::string* image;
    int written;  // -1: registration fails
  };
  for (const Case& c : {Case{"entry 0", 0, &image, 1}, Case{"entry 15", 15, &codeOnly, -1}}) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    LayUsed(port, c.inUse, 0x200);
    const auto flagCell = static_cast<std::uint16_t>(VdEntryAddress(c.inUse) + 4);
    Arm(port, {flagCell});
    std::vector<std::string> trace;
    const int result = Write(*c.image, &trace);
    EXPECT_TRUE(TraceHas(trace, "MP_OTPReduantVDFlag index " + std::to_string(c.inUse)));
    // The failed entry is all ones but for its refusing flag cell: not in use, not free.
    EXPECT_EQ(EntryBytes(port, c.inUse), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    if (c.written >= 0) {
      ASSERT_EQ(result, 1);
      const VdEntry code = Entry(port, c.written), config = Entry(port, c.written + 1);
      EXPECT_EQ(code.flag, kVdFlagCode);
      EXPECT_EQ(code.address, 0x200u * (c.inUse > 0 ? 1u : 0u));
      EXPECT_EQ(config.flag, kVdFlagConfig);
      EXPECT_EQ(config.address, std::size_t{code.address} + code.length);
      const auto info = bus_->Info(port);
      ASSERT_TRUE(info && info->firmware);
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(lastErrorCode.load(), IDS_WRITE_BLOCK_FAIL);
      EXPECT_EQ(ui_.Count(UM_ERROR), 1);
      EXPECT_TRUE(TraceHas(trace, "MP_OTPReduantVDFlag Exceed 15"));
    }
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpRepairTest, EccRecordInAnEntryRetiresOnlyAFreeEntry) {
  // A record in a free entry: that entry and the record go, the next entry takes the block.
  std::uint32_t port = PlugOtp();
  PutRecord(port, 1, static_cast<std::uint16_t>(VdEntryAddress(0) + 2), 0x12, kEccMarkerValid);
  const std::string image = OtpImage("ecc.rfw", 1000);
  ASSERT_EQ(Write(image), 1);
  EXPECT_EQ(EntryBytes(port, 0), (std::vector<std::uint8_t>{0, 0, 0, 0, 0xFF}));
  EXPECT_EQ(Record(port, 1).marker, kEccMarkerRetired);
  EXPECT_EQ(Entry(port, 1).flag, kVdFlagCode);
  EXPECT_EQ(Entry(port, 1).address, 0);
  EXPECT_EQ(Entry(port, 2).flag, kVdFlagConfig);
  auto info = bus_->Info(port);
  ASSERT_TRUE(info && info->firmware);
  ASSERT_TRUE(bus_->Remove(port));

  // A record in the entry of the current code: a refused download leaves that entry current.
  port = PlugOtp();
  ASSERT_EQ(Write(image), 1);
  PutRecord(port, 1, static_cast<std::uint16_t>(VdEntryAddress(0) + 4), kVdFlagCode, kEccMarkerValid);
  const std::size_t next = std::size_t{Entry(port, 1).address} + Entry(port, 1).length;
  Put(port, static_cast<std::uint32_t>(next), std::vector<std::uint8_t>(8, 0x77));
  EXPECT_EQ(Write(OtpImage("v2.rfw", 900, "1.204.0002-0002.0003", "SN2")), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_LAST_OTP_WRITE_ABNORMAL);
  EXPECT_EQ(Entry(port, 0).flag, kVdFlagCode);
  EXPECT_EQ(Record(port, 1).marker, kEccMarkerValid);
  ASSERT_TRUE(bus_->Replug(port));
  info = bus_->Info(port);
  ASSERT_TRUE(info && info->firmware);
  EXPECT_EQ(info->version, "1.204.0001-0002.0003");
}

TEST_F(OtpRepairTest, ATableWithAFreeEntryBelowOnesInUseGetsTheBlockOnTopAndBehindEveryBlock) {
  // Damaged or foreign tables: a free entry 0 under an old code block in entry 3 (and an odd
  // flag in entry 9). Taking entry 0 would leave the old block current (the chip boots the
  // highest entry) or have the new one retired with it; starting behind entry 9's empty block
  // would write over the old code.
  const std::uint32_t port = PlugOtp();
  const std::string old = OtpImage("old.rfw", 600, "1.204.0001-0002.0003", "OLD");
  ASSERT_EQ(Write(old), 1);
  const VdEntry oldConfig = Entry(port, 1);
  const std::vector<std::uint8_t> codeEntry = EntryBytes(port, 0), configEntry = EntryBytes(port, 1);
  Put(port, VdEntryAddress(0), std::vector<std::uint8_t>(10, 0));
  Put(port, VdEntryAddress(3), codeEntry);
  Put(port, VdEntryAddress(4), configEntry);
  PutEntry(port, 9, 0, 0, 0x5B);
  ASSERT_EQ(Write(OtpImage("new.rfw", 700, "1.204.0002-0002.0003", "NEW")), 1);
  EXPECT_EQ(Entry(port, 10).flag, kVdFlagCode);
  EXPECT_EQ(Entry(port, 10).address, std::uint32_t{oldConfig.address} + oldConfig.length);
  EXPECT_EQ(Entry(port, 11).flag, kVdFlagConfig);
  EXPECT_EQ(Entry(port, 3).flag, kVdFlagRetired);
  EXPECT_EQ(Entry(port, 4).flag, kVdFlagRetired);
  EXPECT_EQ(EntryBytes(port, 0), std::vector<std::uint8_t>(5, 0));
  ASSERT_TRUE(bus_->Replug(port));
  const auto info = bus_->Info(port);
  ASSERT_TRUE(info && info->firmware);
  EXPECT_EQ(info->serial, "NEW");
}

TEST_F(OtpRepairTest, StopWaitsForTheBookkeepingOnceWritingStarted) {
  const std::string image = OtpImage("stop.rfw", 6000);
  // Stop asked while the operator answers a question: nothing is written.
  std::uint32_t port = PlugOtp();
  LayUsed(port, 12, 0x100);
  const std::vector<std::uint8_t> before = Memory(port, 0x4000);
  SetMessageBoxHandler([](const std::string&, const std::string&, MessageBoxButtons) {
    SetStopRequested(true);
    return MessageBoxAnswer::kYes;
  });
  EXPECT_EQ(Write(image), 0);
  SetStopRequested(false);
  EXPECT_EQ(lastErrorCode.load(), IDS_RESET_DEVICE_FAIL);
  EXPECT_EQ(Memory(port, 0x4000), before);
  ASSERT_TRUE(bus_->Remove(port));
  AnswerQuestions(true);

  // Stop asked after the first chunk: the chunk's space is recorded, the next write follows it.
  port = PlugOtp();
  ui_.onPost = [](std::uint32_t message, std::uintptr_t) {
    if (message == UM_PROGRESS) SetStopRequested(true);
  };
  EXPECT_EQ(Write(image), 0);
  ui_.onPost = nullptr;
  SetStopRequested(false);
  EXPECT_EQ(ui_.Count(UM_ERROR), 0);
  EXPECT_EQ(ui_.Count(UM_SUCCESS), 0);
  const VdEntry consumed = Entry(port, 0);
  EXPECT_EQ(consumed.flag, kVdFlagRetired);
  EXPECT_EQ(consumed.address, 0);
  EXPECT_EQ(consumed.length, kOtpChunkBytes);
  ASSERT_EQ(Write(image), 1);
  EXPECT_EQ(Entry(port, 1).address, kOtpChunkBytes);
  EXPECT_EQ(Entry(port, 1).flag, kVdFlagCode);
}

// OTP command blocks of the extension unit: group 2, the opcode, the address in bytes 2-3.
bool OtpCommand(const vcodec::TransferRecord& r, std::uint8_t opcode, int address = -1) {
  return r.setup.request == 0x01 && (r.setup.value >> 8) == 10 && r.data.size() == 8 && r.data[0] == 0x02 &&
         r.data[1] == opcode && (address < 0 || (r.data[2] | r.data[3] << 8) == address);
}
bool LockRead(const vcodec::TransferRecord& r) {
  const bool ext = r.setup.request == 0x01 && (r.setup.value >> 8) == 10 && r.data.size() == 8 && r.data[0] == 0x00 &&
                   r.data[1] == 0xC2 && (r.data[2] | r.data[3] << 8) == kOtpLockRegister;
  return ext || (r.setup.request != 0x01 && r.setup.index == kOtpLockRegister);
}

TEST_F(OtpRepairTest, EveryLostCommandFailsItsStepWithOneReport) {
  const std::string image = OtpImage("lost.rfw", 1000);
  using Match = std::function<bool(const vcodec::TransferRecord&)>;
  struct Case {
    const char* name;
    Match match;
    int textId;
  };
  const Case cases[] = {
      {"code entry write", [](const auto& r) { return OtpCommand(r, 0x97, static_cast<int>(kOtpVdTable)); }, IDS_WRITE_BLOCK_FAIL},
      {"first data chunk", [](const auto& r) { return OtpCommand(r, 0x97, 0); }, IDS_WRITE_OTP_FAIL},
      {"program-fail report of the first chunk", [](const auto& r) { return OtpCommand(r, 0xDC); }, IDS_WRITE_OTP_FAIL},
      {"verify read", [](const auto& r) { return OtpCommand(r, 0xD7, 0) && r.data[4] != 0; }, IDS_READ_OTP_FAIL},
      {"lock register read", LockRead, IDS_WRITE_OTP_FAIL},
  };
  // The transfers of a clean download on a twin device.
  std::uint32_t port = PlugOtp();
  OpenFor(image);
  bus_->ClearLog();
  ASSERT_EQ(Flow().DEV_Command(kOpWrite, image), 1);
  const std::vector<vcodec::TransferRecord> dry = bus_->Log();
  Flow().DEV_CloseDevice();
  ASSERT_TRUE(bus_->Remove(port));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint64_t n = 0, at = 0;
    bool written = false;
    for (const auto& r : dry) {
      if (r.port != port) continue;
      ++n;
      written = written || OtpCommand(r, 0x97, 0);
      // The verify read is the read at 0 after the first chunk went out.
      if (c.textId == IDS_READ_OTP_FAIL && !written) continue;
      if (c.match(r)) {
        at = n;
        break;
      }
    }
    ASSERT_NE(at, 0u);
    port = PlugOtp();
    OpenFor(image);
    vcodec::Faults faults;
    faults.removeAtTransfer = at;
    ASSERT_TRUE(bus_->ArmFaults(port, faults));
    ui_.posts.clear();
    EXPECT_EQ(Flow().DEV_Command(kOpWrite, image), 0);
    Flow().DEV_CloseDevice();
    EXPECT_EQ(lastErrorCode.load(), c.textId);
    EXPECT_EQ(ui_.Count(UM_ERROR), 1);
    EXPECT_EQ(ui_.Count(UM_SUCCESS), 0);
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpRepairTest, DownloadStopsWhenTheRomCodeCannotBeEntered) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("rom.rfw", 1000);
  ASSERT_EQ(Write(image), 1);  // the chip now runs the downloaded code
  OpenFor(image);
  // The reset into the update code is refused.
  vcodec::Faults faults;
  faults.stallRequest = 0x20;
  ASSERT_TRUE(bus_->ArmFaults(port, faults));
  bus_->ClearLog();
  ui_.posts.clear();
  EXPECT_EQ(Flow().DEV_Command(kOpWrite, image), 0);
  Flow().DEV_CloseDevice();
  EXPECT_EQ(lastErrorCode.load(), IDS_RESET_DEVICE_FAIL);
  EXPECT_EQ(ui_.Count(UM_ERROR), 1);
  for (const auto& r : bus_->Log()) {
    EXPECT_FALSE(OtpCommand(r, 0x97) || OtpCommand(r, 0xD7) || OtpCommand(r, 0xDC));
  }
}

}  // namespace
