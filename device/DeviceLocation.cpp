#include <algorithm>
#include <cctype>
#include <string>

#include "device/DeviceDiscovery.h"

namespace {

std::size_t FindNoCase(const std::string& text, const std::string& what, std::size_t from = 0) {
  auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                        what.begin(), what.end(), [](char a, char b) {
                          return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
                        });
  return it == text.end() ? std::string::npos : static_cast<std::size_t>(it - text.begin());
}

// The part of a path that names the place on the bus: from the root marker on, without the
// interface part.
bool Significant(const std::string& a, const std::string& b, std::string* outA, std::string* outB) {
  std::size_t pa = FindNoCase(a, "USBROOT(");
  std::size_t pb = FindNoCase(b, "USBROOT(");
  if (pa == std::string::npos || pb == std::string::npos) {
    pa = FindNoCase(a, "RHUB");
    pb = FindNoCase(b, "RHUB");
    if (pa == std::string::npos || pb == std::string::npos) return false;
  }
  *outA = a.substr(pa);
  *outB = b.substr(pb);
  const std::size_t ma = FindNoCase(*outA, "USBMI(");
  const std::size_t mb = FindNoCase(*outB, "USBMI(");
  if (ma != std::string::npos && mb != std::string::npos) {
    outA->resize(ma);
    outB->resize(mb);
  }
  return true;
}

// The paths differ only in one "#USB(n)" port, and one of the two ports is the companion.
bool CompanionMatch(const std::string& a, const std::string& b, std::uint8_t companion) {
  const std::string marker = "#USB(";
  for (std::size_t k = a.find(marker); k != std::string::npos; k = a.find(marker, k + 1)) {
    if (b.compare(0, k + marker.size(), a, 0, k + marker.size()) != 0) return false;
    const std::size_t ea = a.find(')', k);
    const std::size_t eb = b.find(')', k);
    if (ea == std::string::npos || eb == std::string::npos) return false;
    const std::string portA = a.substr(k + marker.size(), ea - k - marker.size());
    const std::string portB = b.substr(k + marker.size(), eb - k - marker.size());
    if (portA == portB) continue;
    if (portA.empty() || portB.empty() || a.compare(ea, std::string::npos, b, eb) != 0) return false;
    const std::string want = std::to_string(companion);
    return portA == want || portB == want;
  }
  return false;
}

}  // namespace

bool SameLocationPath(const std::string& a, const std::string& b) {
  std::string sa;
  std::string sb;
  if (!Significant(a, b, &sa, &sb)) return false;
  if (sa == sb) return true;
  const std::uint8_t companion = LearnedCompanionPort();
  return companion != 0 && CompanionMatch(sa, sb, companion);
}

bool SameDeviceLocation(const DeviceRecord& candidate, const DeviceRecord& old, bool compareChains) {
  if (candidate.chainCount != old.chainCount) return false;
  if (compareChains) {
    return std::equal(candidate.chain.begin(), candidate.chain.begin() + candidate.chainCount, old.chain.begin());
  }
  return SameLocationPath(candidate.locationPath, old.locationPath);
}
