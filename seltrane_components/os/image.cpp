#include "seltrane_components/os/image.h"

#include <algorithm>
#include <new>

Image::Image() : m_body(std::make_shared<Internals>()) {}

Image::Image(int width, int height, int format) : Image()
{
    const int bits = bitsPerPixel(format);
    if (bits == 0 || width <= 0 || height <= 0 || height >= 0x20000000)
        return;
    const std::uint64_t rowBits = static_cast<std::uint64_t>(bits) * static_cast<std::uint64_t>(width);
    if (rowBits > 0x7FFFFFFF)
        return;
    const std::uint64_t stride = ((rowBits + 31) / 8) & ~std::uint64_t(3);
    const std::uint64_t size = stride * static_cast<std::uint64_t>(height);
    if (size > 0x7FFFFFFF)
        return;
    try {
        Plane plane;
        plane.bytes.assign(static_cast<std::size_t>(size), 0);
        plane.stride = static_cast<std::uint32_t>(stride);
        m_body->planes.push_back(std::move(plane));
    } catch (const std::bad_alloc&) {
        m_body->planes.clear();
        return;
    }
    m_body->format = format;
    m_body->width = width;
    m_body->height = height;
}

int Image::bitsPerPixel(int format)
{
    switch (format) {
    case 4:
    case 5:
        return 32;
    case 24:
        return 8;
    default:
        return 0;
    }
}

const Image::Plane* Image::plane(int index) const
{
    if (index < 0 || index >= planeCount())
        return nullptr;
    return &m_body->planes[static_cast<std::size_t>(index)];
}

unsigned char* Image::bits(int index)
{
    const Plane* p = plane(index);
    return p ? m_body->planes[static_cast<std::size_t>(index)].bytes.data() : nullptr;
}

const unsigned char* Image::bits(int index) const
{
    const Plane* p = plane(index);
    return p ? p->bytes.data() : nullptr;
}

std::uint32_t Image::stride(int index) const
{
    const Plane* p = plane(index);
    return p ? p->stride : 0;
}

std::uint32_t Image::byteCount(int index) const
{
    const Plane* p = plane(index);
    return p ? static_cast<std::uint32_t>(p->bytes.size()) : 0;
}

bool Image::operator==(const Image& other) const
{
    if (m_body == other.m_body)
        return true;
    if (format() != other.format() || width() != other.width() || height() != other.height())
        return false;
    const auto samePlane = [](const Plane& a, const Plane& b) { return a.stride == b.stride && a.bytes == b.bytes; };
    return std::equal(m_body->planes.begin(), m_body->planes.end(), other.m_body->planes.begin(),
                      other.m_body->planes.end(), samePlane);
}
