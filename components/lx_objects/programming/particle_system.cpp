#include "components/lx_objects/programming/particle_system.h"

#include "components/archive/fields.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

// The bytes of the plane a header asks for, in 64 bits so that no header can
// wrap it small; 0 when the header names no image.
quint64 planeBytes(qint32 width, qint32 height, quint32 format)
{
    const int bits = Image::bitsPerPixel(int(format));
    if (bits == 0 || width <= 0 || height <= 0)
        return 0;
    const quint64 stride = (quint64(bits) * quint64(width) + 31) / 32 * 4;
    return stride * quint64(height);
}

// The image as its width, height and format, then its first plane's bytes.
struct ImageAsPlane
{
    using Stored = std::tuple<qint32, qint32, quint32, QByteArray>;

    static Stored store(const Image& image)
    {
        // An empty image still writes an empty array, not a null one.
        const QByteArray bytes = image.isEmpty()
            ? QByteArray(0, '\0')
            : QByteArray(reinterpret_cast<const char*>(image.bits(0)), int(image.byteCount(0)));
        return {qint32(image.width()), qint32(image.height()), quint32(image.format()), bytes};
    }

    // The bytes are read whatever the header says, so the fields after them
    // stay in step.
    static Image load(const Stored& stored)
    {
        const auto& [width, height, format, bytes] = stored;
        const quint64 size = planeBytes(width, height, format);
        Image image = size > 0 && size <= ParticleSystem::kMaxImageBytes ? Image(width, height, int(format)) : Image();
        if (!image.isEmpty() && !bytes.isEmpty()) {
            const std::size_t count = std::min<std::size_t>(std::size_t(bytes.size()), image.byteCount(0));
            std::memcpy(image.bits(0), bytes.constData(), count);
        }
        return image;
    }
};

}  // namespace

void ParticleSystem::setParticleImage(const Image& image)
{
    Image copy(image.width(), image.height(), image.format());
    if (!copy.isEmpty())
        std::memcpy(copy.bits(0), image.bits(0), copy.byteCount(0));
    m_particleImage = copy;
}

template <class F, class Self>
void ParticleSystem::fields(F& f, Self& s)
{
    using Archive::inlineFields;
    f(s.word1, s.word2, s.word3, s.half1, s.real1, Archive::storedVia<ImageAsPlane>(s.m_particleImage),
      inlineFields(s.colour1), s.point1, s.point2, s.real2, s.real3, s.real4, s.real5, s.point3, s.real6, s.real7,
      s.real8, s.real9, s.real10, s.real11, s.real12, s.real13, inlineFields(s.colour2), inlineFields(s.colour3));
    f.since(90, s.flag1);
    f(s.half2, s.real14, s.real15, s.real16);
}

template class Archive::Value<ParticleSystem>;
