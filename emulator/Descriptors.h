// Report descriptors of the interfaces the virtual devices expose, written out byte by byte as a
// real mouse of this kind and some ordinary HID devices carry them.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvik::emulator {

// A boot-protocol mouse without report ids: 3 buttons, X, Y, wheel (4 data bytes → input 5).
std::vector<std::uint8_t> BootMouseDescriptor();
// Keyboard (report 1: 8 bytes in, 1 byte LED out) and consumer control (report 2: 2 bytes in)
// → input 9, output 2, no feature.
std::vector<std::uint8_t> KeyboardWithIdsDescriptor();
// The mouse's vendor interface for notifications: input report 0x05 and feature report 0x0C of
// 32 data bytes each → input 33, feature 33.
std::vector<std::uint8_t> VendorInputDescriptor();
// The mouse's vendor interface for commands: input report 0x06 of 8 bytes and feature report
// 0x0C of 32 bytes → input 9, feature 33. Wrapped in push/pop and a long item, as some firmware does.
std::vector<std::uint8_t> VendorFeatureDescriptor();
// Both vendor collections of the mouse in one interface, as a firmware with a single vendor USB
// interface has them: collection 1 with input report 0x05 of 32 data bytes (input 33, no
// feature), collection 2 with input report 0x06 of 8 bytes and feature report 0x0C of 32 bytes
// (input 9, feature 33). The whole interface: input 33, feature 33.
std::vector<std::uint8_t> VendorCombinedDescriptor();
// A vendor interface with 64-byte reports (id 0x07) → input 65, feature 65: the right ids with the
// wrong lengths.
std::vector<std::uint8_t> VendorWideDescriptor();

} // namespace quorvik::emulator
