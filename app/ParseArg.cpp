#include "app/ParseArg.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/ConfigIni.h"
#include "app/ConsoleProgress.h"
#include "app/RunMode.h"
#include "app/Trace.h"
#include "app/Utf8.h"
#include "platform/ExecutablePath.h"
#include "platform/FileAttributes.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kInvalidParameter = "Fail --- Invalid parameter!\r\n";

struct OptionLetter {
  const char* option;
  std::uint8_t letter;
};
constexpr OptionLetter kOptions[] = {
    {"-write", kOpWrite},     {"-verify", kOpVerify},   {"-erase", kOpErase},
    {"-version", kOpVersion}, {"-detect", kOpDetect},   {"-dumpotp", kOpDumpOtp},
    {"-dumpspi", kOpDumpSpi},
};

const OptionLetter* FindOption(const std::string& text) {
  for (const OptionLetter& option : kOptions) {
    if (EqualsIgnoreAsciiCase(text, option.option)) return &option;
  }
  return nullptr;
}

// Decimal value of a device number; 0 when it is not a number.
std::int32_t DeviceNumber(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || value < 0 || value > 0x7FFFFFFF) return 0;
  return static_cast<std::int32_t>(value);
}

std::string PadTo(std::string text, std::size_t chars) {
  const std::size_t have = Utf8Length(text);
  if (have < chars) text.append(chars - have, ' ');
  return text;
}

}  // namespace

std::int32_t CParseArg::Parse_Arg(const std::vector<std::string>& arguments) {
  m_nSaveResultToFile = GetConfigInt(0, kConfigSection, "SaveResultToFile");
  m_bRemoveManufacture = GetConfigInt(0, kConfigSection, "Remove_Manufacture");
  m_bRemovePPWriteBack = GetConfigInt(0, kConfigSection, "Remove_PPWriteBack");
  m_strExeDir = ExecutableDirectory();
  return Parse_Arg_Normal(arguments);
}

std::int32_t CParseArg::Parse_Arg_Normal(const std::vector<std::string>& arguments) {
  TraceScope scope("CParseArg::Parse_Arg_Normal", 0);
  m_nDeviceIndex = 0;

  // The whole command line, program path included, is searched for "-f".
  std::string commandLine = arguments.empty() ? std::string() : arguments.front();
  if (arguments.size() > 1) {
    commandLine += ' ';
    commandLine += ArgumentText(arguments);
  }
  if (AsciiLower(commandLine).find("-f") == std::string::npos) {
    CreateResultFile();
    m_fileResult.Write("fail");
    m_fileResult.Close();
    return 0;
  }
  if (arguments.size() < 3 || arguments.size() > 6) {
    TraceFail(scope, "%s", kInvalidParameter);
    return 0;
  }

  // A mistyped option must never program the chip: a wrong form runs nothing, and the option
  // is recognised ignoring case, as the form check compares it.
  const OptionLetter* option = FindOption(arguments[2]);
  if (!EqualsIgnoreAsciiCase(arguments[1], "-f") ||
      (option == nullptr && arguments[2].find(".rfw") == std::string::npos)) {
    TraceFail(scope, "%s", kInvalidParameter);
    return 0;
  }

  m_strOption = arguments[2];
  m_strFilePath = arguments.size() > 3 ? arguments[3] : std::string();
  m_uRequestedMemSize = 0;
  if (option != nullptr) {
    m_cOperation = option->letter;
    if (m_cOperation == kOpDumpSpi) m_uRequestedMemSize = kDumpSpiMemSize;
  } else {
    m_strFilePath = arguments[2];
    m_cOperation = kOpWrite;
  }

  if (arguments.size() > 4 && EqualsIgnoreAsciiCase(arguments[4], "-d")) {
    m_nDeviceIndex = arguments.size() > 5 ? DeviceNumber(arguments[5]) : 0;
  }
  return 1;
}

void CParseArg::AttachParentConsole() { m_nConsoleOut = 1; }

void CParseArg::ConsoleWrite(const std::string& text) const {
  if (m_nConsoleOut <= 0) return;
  if (m_pProgress != nullptr) m_pProgress->Finish();
  std::string cut = text;
  Utf8Truncate(cut, kConsoleMaxChars);
  std::fputs(cut.c_str(), stdout);
  std::fflush(stdout);
}

void CParseArg::ConsolePrompt() const { ConsoleWrite(m_strExeDir + ">"); }

void CParseArg::CreateResultFile() {
  (void)m_fileResult.Open(PathInExecutableDirectory(kResultFileName), TextModeFile::Mode::kCreate);
}

void CParseArg::WriteResultAfterOpenFailure() {
  if (m_nSaveResultToFile == 1) m_fileResult.Write("fail");
  if (m_nSaveResultToFile == 2) m_fileResult.Write("TestResult = fail");
  m_fileResult.Close();
}

void CParseArg::WriteResultAfterOperation(bool passed) {
  if (m_nSaveResultToFile == 2) {
    m_fileResult.Write(passed ? "TestResult = pass" : "TestResult = fail");
  } else {
    m_fileResult.Write(passed ? "pass" : "fail");
  }
  m_fileResult.Close();
}

void CParseArg::OpenBurnResultLog() {
  if (FileExists(kBurnResultFileName)) {
    if (m_fileBurnResult.Open(kBurnResultFileName, TextModeFile::Mode::kAppend)) return;
  } else if (m_fileBurnResult.Open(kBurnResultFileName, TextModeFile::Mode::kCreate)) {
    m_fileBurnResult.Write(
        "Update date       Update Time       Serial number              Result   ErrCode\r\n");
    m_fileBurnResult.Write(
        "================  ================  =========================  =======  =======\r\n");
    return;
  }
  ShowMessageBox("Can't Open burn_result.txt", "");
}

void CParseArg::WriteBurnResultRow(bool passed, const std::string& serialNumber,
                                   std::int32_t errorCode) {
  m_fileBurnResult.Write(
      FormatBurnResultRow(static_cast<std::int64_t>(std::time(nullptr)), passed, serialNumber,
                          errorCode));
}

void CParseArg::CloseBurnResultLog() { m_fileBurnResult.Close(); }

std::string FormatBurnResultRow(std::int64_t unixTime, bool passed,
                                const std::string& serialNumber, std::int32_t errorCode) {
  const std::time_t when = static_cast<std::time_t>(unixTime);
  std::tm local{};
  localtime_r(&when, &local);
  char date[64];
  std::strftime(date, sizeof date, "%Y-%m-%d,       %H:%M:%S,         ", &local);
  char code[16];
  std::snprintf(code, sizeof code, "%d:", errorCode);
  return std::string(date) + PadTo(serialNumber + ",", 27) + PadTo(passed ? "Pass," : "Fail,", 9) +
         code + "\r\n";
}
