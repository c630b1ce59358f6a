// A plain image buffer: pixel format (numbered as QImage::Format), size and
// planes of zeroed bytes with a row stride padded to 32 bits. Supported
// formats are 4 and 5 (32 bits a pixel: RGB32, ARGB32) and 24 (8 bits a
// pixel: Grayscale8); anything else, or a size that is not positive or too
// large, gives the empty image (format 0, 0 x 0, no planes).
//
// Copies share one body: writing through bits() of one copy shows in all.
// Thread safety: a const Image may be read from any thread; changes to the
// pixels must be serialised by the owners of the copies.
#ifndef SELTRANE_COMPONENTS_OS_IMAGE_H
#define SELTRANE_COMPONENTS_OS_IMAGE_H

#include <cstdint>
#include <memory>
#include <vector>

class Image
{
public:
    Image();
    Image(int width, int height, int format);

    int width() const { return m_body->width; }
    int height() const { return m_body->height; }
    int format() const { return m_body->format; }
    bool isEmpty() const { return m_body->planes.empty(); }
    int planeCount() const { return static_cast<int>(m_body->planes.size()); }

    // The plane's bytes; null for an index not below the plane count.
    unsigned char* bits(int plane);
    const unsigned char* bits(int plane) const;
    // Row stride in bytes of the plane; 0 for an index not below the plane count.
    std::uint32_t stride(int plane) const;
    // stride x height of the plane; 0 for an index not below the plane count.
    std::uint32_t byteCount(int plane) const;

    // Bits a pixel of a supported format, 0 for any other.
    static int bitsPerPixel(int format);

    // Same format, size and plane bytes, whether or not the body is shared.
    bool operator==(const Image& other) const;

private:
    struct Plane
    {
        std::vector<unsigned char> bytes;
        std::uint32_t stride = 0;
    };
    struct Internals
    {
        int format = 0;
        int width = 0;
        int height = 0;
        std::vector<Plane> planes;
    };

    const Plane* plane(int index) const;

    std::shared_ptr<Internals> m_body;
};

#endif  // SELTRANE_COMPONENTS_OS_IMAGE_H
