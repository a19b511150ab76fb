#pragma once
// The VID/PID acceptance lists. deviceId is "VID_%04X&PID_%04X&REV_%04X" of a device.

#include <string_view>

// The built-in list: lines split at CR or LF, upper-cased and trimmed; the release part of an
// entry ("&REV_...") is cut off, so any release of a listed VID/PID matches. Lines starting with
// "//" never occur in a device id, which makes them comments. A line that is empty after
// trimming and cutting matches nothing (it would otherwise occur in every device id).
[[nodiscard]] bool VidPidListAccepts(std::string_view listText, std::string_view deviceId);

// The "VidPidList.ini" list: only entries carrying a release part ("REV") match, and only the
// exact release.
[[nodiscard]] bool VidPidFileAccepts(std::string_view fileText, std::string_view deviceId);
