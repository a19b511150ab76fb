#pragma once
// The memory object's common layer: device selection for the command line and the window, the
// virtual operations every memory type provides, and the command-letter dispatch.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flow/MpFlowCustomize.h"

class TraceScope;

class CDevFlow : public CMpFlow_Customize {
 public:
  ~CDevFlow() override = default;

  // Tool data.
  bool m_bVidPidMatch = false;
  std::uint32_t m_uUsedOtp = 0;
  int m_iSelDevice = -1;
  int m_iSelComboItem = -1;
  // The OTP space as the window shows it (set by MP_OTPSpaceReport).
  std::string m_strOtpText;

  // Used and free bytes of the OTP data area and how many more downloads of the primary image
  // fit (never more than the free VD entries): sets m_uUsedOtp and m_strOtpText, returns the
  // used bytes. *ok (when given) is false when the tables could not be read.
  std::uint32_t MP_OTPSpaceReport(bool* ok = nullptr);
  // The same report in the command line's three lines ("Used OTP Space: ... KB\n...").
  [[nodiscard]] const std::string& OtpSpaceConsoleText() const { return m_strOtpConsoleText; }

  // Virtual operations, in the order every memory type provides them.
  [[nodiscard]] virtual int LocateConfigArea(const std::vector<std::uint8_t>* buffer);
  [[nodiscard]] virtual int ReadCode();
  [[nodiscard]] virtual int EraseCode();
  [[nodiscard]] virtual int Download();
  [[nodiscard]] virtual int Silence_WriteBin(const std::string& path);
  [[nodiscard]] virtual int Silence_WriteSNBin(const std::string& path, const std::string& serial);
  [[nodiscard]] virtual int ReadToBinFile(const std::string& path);
  [[nodiscard]] virtual int Silence_VerifyBin(const std::string& path);
  [[nodiscard]] virtual int ReadToHexFile(const std::string& path);
  [[nodiscard]] virtual int EraseCodeEx(int resetAfter);

  // Command line: one operation by letter. 'C' loads the image at path and computes the OTP
  // space report (OtpSpaceConsoleText() then holds the lines to print).
  [[nodiscard]] int DEV_Command(std::uint8_t letter, const std::string& path);
  [[nodiscard]] int DEV_CommandWithSN(std::uint8_t letter, const std::string& path,
                                      const std::string& serial);

  // Device selection.
  [[nodiscard]] int DEV_OpenDeviceByICIni(int index);
  [[nodiscard]] int DEV_OpenDeviceByVIDPID();
  int DEV_GetDeviceInfo();
  void DEV_CloseDevice();
  void DEV_InitResetOption();

  // The window's device list (on the window's or the worker's thread).
  void DEV_GetDefaultDeviceForAllInOne();
  void DEV_GetDeviceListForAllInOne(std::intptr_t extra);
  [[nodiscard]] int Dev_OpenDeviceForMultiCamera();
  [[nodiscard]] int DEV_GetDeviceListAfterReset();
  void DEV_PrepareDefaultDevice();

  // What DEV_PrepareDefaultDevice found for the window: "Update FW version:" and the version of
  // the image that would be written, and that version's six numbers.
  std::string m_strImageText;
  std::array<std::uint32_t, 6> m_imageVersionNumbers{};

 protected:
  // An operation this memory type does not have: "Not Support!" without a post.
  [[nodiscard]] static int NotSupported();
  // ReadCode, then the read-back buffer into a file.
  [[nodiscard]] int ReadToFile(const std::string& path, bool hexForm);
  // Tells the console (command line) what the log says.
  void ConsoleLine(const std::string& text);
  // Parses the primary or the secondary image buffer for its configuration area.
  [[nodiscard]] int LocateConfigAreaOf(const std::vector<std::uint8_t>* buffer);
  // Values of the current IC definition (0 without one).
  [[nodiscard]] static std::int32_t IcVendorInfo(const char* key, std::int32_t fallback);
  void RefreshIcSettings();
  // "ChipInfo" of the definition that matched the chip's registers (0xFF without one).
  [[nodiscard]] static std::uint8_t IcChipInfo();
  [[nodiscard]] bool PassesVidPidList(bool fileList);
  // The data phase back to 8 bytes, on devices that know the request.
  void RestoreDataUnit();
  // UM_STATUS 41724 and a reset of kind 9 with optional extra option bits.
  [[nodiscard]] int ResetIntoNewCode(std::uint32_t extraFlags);
  // The serial number into the image before a download; a failure posts UM_ERROR with the
  // pre-action's id, 41713 unless it left another.
  [[nodiscard]] int RunPreAction();
  // The end every operation shares: an optional reset into the new code (UM_ERROR 41512 when
  // it fails), then UM_PROGRESS 100 and the success text.
  [[nodiscard]] int FinishOperation(bool resetIntoNewCode, std::uint32_t resetFlags, int successId);
  // A failed step of an update flow: the marker and message, *errorId := id; returns 0.
  static int FailStep(const TraceScope& scope, const char* message, int id, int* errorId);
  // UM_ERROR 41530 and its log line; returns 0.
  static int ReportLoadFailure(const TraceScope& scope);
  // The file at path as the primary image; false after ReportLoadFailure.
  [[nodiscard]] bool LoadImageOrReport(const TraceScope& scope, const std::string& path);
  // The primary image's area and chip: false after UM_ERROR 41531 or 41715. exactChip: chip
  // information must be equal (no family of chip ids taken as one).
  [[nodiscard]] bool CheckImageForDevice(const TraceScope& scope, bool exactChip);
  // The command line's verify: the file as the image, ReadCode over its length, then the
  // comparison (lastErrorCode 41709 on a difference, without a post).
  [[nodiscard]] int VerifyImageFile(const TraceScope& scope, const std::string& path);
  // EraseCodeEx's flag: set or clear bit 0 of g_uOpFlags (the change stays).
  static void SetResetAfter(int resetAfter);
  // The acceptance check of the list operations: the VID/PID list ("CheckVIDPID_INI"), else the
  // image's VID/PID ("CheckVIDPID_BIN"); true when neither is configured.
  [[nodiscard]] bool AcceptanceCheck(bool* configured);

  std::optional<std::size_t> secondConfigLocation;

 private:
  std::string m_strOtpConsoleText;
};

// Port address and parent of the opened device go to the window when it exists, otherwise to
// the command line's state.
void StorePortLocation(std::uint32_t portAddress, std::uint32_t parentInstance);
