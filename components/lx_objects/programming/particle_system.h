// ParticleSystem is the setting of a particle preset (preset type 210): an
// image drawn for each particle, three colours, three points and the numbers
// that drive the particles. Nothing in the converter fills it; it is carried
// from stored projects and is the default part of a new particle preset.
//
// Reading is safe against a hostile image header: a plane above kMaxImageBytes
// reads as the empty image, and no more bytes are copied than the plane holds.
//
// A plain value owned by its preset. Copies share the image's pixels, which
// nothing here writes through; setParticleImage() takes a copy of its own. One
// thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_PARTICLE_SYSTEM_H
#define LX_OBJECTS_PROGRAMMING_PARTICLE_SYSTEM_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"
#include "components/lx_objects/programming/colour_gradient.h"
#include "seltrane_components/os/image.h"

#include <QPointF>

class ParticleSystem : public Archive::Value<ParticleSystem>
{
public:
    static constexpr quint32 kTypeCode = 273;
    // The largest image plane a file may ask for: a particle image is small,
    // and the header alone must not make the reader allocate gigabytes.
    static constexpr quint64 kMaxImageBytes = 64u << 20;

    const Image& particleImage() const { return m_particleImage; }
    // Keeps a copy of the image's pixels.
    void setParticleImage(const Image& image);

    bool operator==(const ParticleSystem&) const = default;

    quint32 word1 = 2000;
    quint32 word2 = 2000;
    quint32 word3 = 20;
    quint16 half1 = 0;
    float real1 = 100.0f;
    RGBData colour1 = RGBData(0, 0, 0, 0);
    QPointF point1;
    QPointF point2;
    float real2 = 100.0f;
    float real3 = 0.0f;
    float real4 = 0.0f;
    float real5 = 360.0f;
    QPointF point3;
    float real6 = 0.0f;
    float real7 = 0.0f;
    float real8 = 0.0f;
    float real9 = 0.0f;
    float real10 = 0.0f;
    float real11 = 0.15f;
    float real12 = 0.75f;
    float real13 = 0.0f;
    RGBData colour2;
    RGBData colour3;
    bool flag1 = false;
    quint16 half2 = 4;
    float real14 = 0.2f;
    float real15 = 0.0f;
    float real16 = 0.75f;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    Image m_particleImage;
};
extern template class Archive::Value<ParticleSystem>;

#endif  // LX_OBJECTS_PROGRAMMING_PARTICLE_SYSTEM_H
