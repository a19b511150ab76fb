#pragma once
// The command line's one operation: its arguments, the console, and the result files
// "Result.txt" (beside the executable) and "burn_result.txt" (in the current directory).

#include <cstdint>
#include <string>
#include <vector>

#include "app/TextModeFile.h"

class ConsoleProgress;

// Operation letters; each selects a branch of the memory object's command.
inline constexpr std::uint8_t kOpWrite = 'W';
inline constexpr std::uint8_t kOpVerify = 'V';
inline constexpr std::uint8_t kOpErase = 'E';
inline constexpr std::uint8_t kOpVersion = 'D';
inline constexpr std::uint8_t kOpDetect = 'C';
inline constexpr std::uint8_t kOpDumpOtp = 'Y';
inline constexpr std::uint8_t kOpDumpSpi = 'Z';
inline constexpr std::uint8_t kOpNone = 0xFF;

// "-dumpspi" dumps the first 64 KiB of the flash.
inline constexpr std::uint32_t kDumpSpiMemSize = 0x10000;

inline constexpr const char* kResultFileName = "Result.txt";
inline constexpr const char* kBurnResultFileName = "burn_result.txt";
inline constexpr std::size_t kConsoleMaxChars = 259;

class CParseArg {
 public:
  std::uint8_t m_cOperation = kOpNone;
  std::string m_strFilePath;
  std::string m_strSerial;  // the parser never sets it
  std::string m_strOption;
  std::int32_t m_nDeviceIndex = 0;
  TextModeFile m_fileResult;
  std::string m_strExeDir;
  std::int32_t m_nConsoleOut = 0;
  std::uint32_t m_dwPortAddr = 0;
  std::uint32_t m_dwParentInst = 0;
  std::int32_t m_nSaveResultToFile = 0;
  std::int32_t m_bRemoveManufacture = 0;
  std::int32_t m_bRemovePPWriteBack = 0;
  std::int32_t m_nLogType = 0;
  TextModeFile m_fileBurnResult;
  // The memory size the operation asks for (kDumpSpiMemSize for "-dumpspi"), 0 for the default.
  std::uint32_t m_uRequestedMemSize = 0;
  // The terminal's progress bar, ended before every console text (null without one).
  ConsoleProgress* m_pProgress = nullptr;

  // arguments: the process's argument vector, argument 0 being the program. 1 when an
  // operation was recognised and the form is right; nothing may run otherwise.
  [[nodiscard]] std::int32_t Parse_Arg(const std::vector<std::string>& arguments);
  [[nodiscard]] std::int32_t Parse_Arg_Normal(const std::vector<std::string>& arguments);

  // The run: open the device and settle the IC type, then the operation and the result files.
  [[nodiscard]] std::int32_t OpenDeviceForCommandLine();
  [[nodiscard]] std::int32_t LoadICTypeIni();
  [[nodiscard]] std::int32_t Excute_Arg();
  [[nodiscard]] std::int32_t Excute_Arg_Normal();
  // True once the operation did what was asked (for "-version": the version was printed);
  // decides the exit code.
  bool m_bRequestDone = false;

  // Console output: on POSIX the program already writes to the console that started it.
  void AttachParentConsole();
  void ConsoleWrite(const std::string& text) const;
  void ConsolePrompt() const;

  // "Result.txt": created (truncated) beside the executable; the words follow the setting.
  void CreateResultFile();
  void WriteResultAfterOpenFailure();
  void WriteResultAfterOperation(bool passed);

  // "burn_result.txt": opened (with its two header lines when new) when "LogType" is set; a
  // file that cannot be opened shows "Can't Open burn_result.txt" and is then left alone.
  void OpenBurnResultLog();
  void WriteBurnResultRow(bool passed, const std::string& serialNumber, std::int32_t errorCode);
  void CloseBurnResultLog();
};

// One row of "burn_result.txt" for the local time given (before the text-mode translation).
[[nodiscard]] std::string FormatBurnResultRow(std::int64_t unixTime, bool passed,
                                              const std::string& serialNumber,
                                              std::int32_t errorCode);
