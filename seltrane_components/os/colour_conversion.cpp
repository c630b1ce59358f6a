#include "seltrane_components/os/colour_conversion.h"

#include <algorithm>

void hsiToRgb(std::uint16_t hue, unsigned saturation, int value, unsigned& red, unsigned& green, unsigned& blue)
{
    saturation = std::min(saturation, 65536u);
    const auto level = static_cast<std::uint32_t>(std::clamp(value, 0, 65536));

    const std::uint32_t h6 = static_cast<std::uint32_t>(hue) * 6;
    const std::uint32_t sector = h6 >> 16;
    const std::uint32_t f = h6 & 0xFFFF;
    const std::uint32_t up = ((f + 254) * 255) >> 16;
    const std::uint32_t down = 255 - up;

    static const struct
    {
        int r, g, b;
    } kSectors[6] = {// 0 = 255, 1 = up, 2 = down, 3 = 0
                     {0, 1, 3}, {2, 0, 3}, {3, 0, 1}, {3, 2, 0}, {1, 3, 0}, {0, 3, 2}};
    const std::uint32_t levels[4] = {255, up, down, 0};
    const auto& row = kSectors[sector];

    const auto shade = [&](std::uint32_t c) {
        const std::uint32_t saturated = 255 - (((255 - c) * saturation + 32768) >> 16);
        return static_cast<unsigned>((saturated * level + 32768) >> 16);
    };
    red = shade(levels[row.r]);
    green = shade(levels[row.g]);
    blue = shade(levels[row.b]);
}

void rgbToHsi(unsigned red, unsigned green, unsigned blue, unsigned& hue, unsigned& saturation, unsigned& value)
{
    red = std::min(red, 255u);
    green = std::min(green, 255u);
    blue = std::min(blue, 255u);
    const std::uint32_t maximum = std::max({red, green, blue});
    value = (maximum * 65536 + 127) / 255;
    if (value == 0) {
        hue = saturation = 0;
        return;
    }

    const auto normalise = [&](std::uint32_t c) { return 255 - (c * 65536 + value / 2) / value; };
    const std::uint32_t r = normalise(red);
    const std::uint32_t g = normalise(green);
    const std::uint32_t b = normalise(blue);
    const std::uint32_t x = std::max({r, g, b});
    saturation = (x * 65536 + 127) / 255;
    if (x == 0) {
        hue = 0;
        return;
    }

    const auto q = [&](std::uint32_t c) { return (c * 65536 + x / 2) / x; };
    if (r < g && r < b)
        hue = g < b ? (65536 - q(g) + 3) / 6 : (q(b) + 0x50000 + 3) / 6;
    else if (g < b)
        hue = r >= b ? (65536 - q(b) + 0x20003) / 6 : (q(r) + 0x10000 + 3) / 6;
    else
        hue = r < g ? (0x50003 - q(r)) / 6 : (q(g) + 0x30000 + 3) / 6;
}
