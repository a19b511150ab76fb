#pragma once
// The one memory object of the process (AppContext::flow), made for the current memory type
// and bus type.

#include <cstdint>

#include "image/IcTables.h"

inline constexpr std::uint8_t kBusUsb = 0;

// Replaces AppContext::flow: the old object's image buffers are freed, its texts, numbers and
// paths go to the new object (never its buffers), and the old object is destroyed. Pairs
// without a memory object (MTP, a bus other than USB, and for now OTP) leave flow
// null. lastErrorCode is 0 afterwards.
void CreateMemoryObject(std::uint8_t memoryType, std::uint8_t busType);

// As CreateMemoryObject, handing the open device of the old object to the new one.
void RecreateMemoryObjectKeepingDevice(std::uint8_t memoryType, std::uint8_t busType);

// Destroys AppContext::flow.
void DeleteMemoryObject();
