// Integer conversions between RGB (0 to 255 a channel) and hue, saturation
// and intensity. The hue is a fraction of a turn in 16 bits; saturation and
// intensity are 16.16 fixed-point fractions (65536 = 1.0). The effect
// engine's script functions hsi_to_rgb and rgb_to_hsi are built on these.
//
// Thread safety: pure functions, callable from any thread.
#ifndef SELTRANE_COMPONENTS_OS_COLOUR_CONVERSION_H
#define SELTRANE_COMPONENTS_OS_COLOUR_CONVERSION_H

#include <cstdint>

// Saturation above 65536 acts as 65536, value outside 0 to 65536 as the
// nearer end, so every channel stays within 0 to 255.
void hsiToRgb(std::uint16_t hue, unsigned saturation, int value, unsigned& red, unsigned& green, unsigned& blue);

// Inputs above 255 act as 255. A hue of a full turn may come out as 65536.
void rgbToHsi(unsigned red, unsigned green, unsigned blue, unsigned& hue, unsigned& saturation, unsigned& value);

#endif  // SELTRANE_COMPONENTS_OS_COLOUR_CONVERSION_H
