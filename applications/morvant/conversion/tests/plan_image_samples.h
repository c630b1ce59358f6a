// Test support: images byte by byte for the plan-image check, in the forms
// Qt does not write (GIF, RLE BMP, TIFF, an icon holding a PNG) and as Qt
// writes the others. Shared by the conversion's tests and the fuzz corpus.
#ifndef APPLICATIONS_MORVANT_CONVERSION_TESTS_PLAN_IMAGE_SAMPLES_H
#define APPLICATIONS_MORVANT_CONVERSION_TESTS_PLAN_IMAGE_SAMPLES_H

#include <QByteArray>
#include <QImage>

namespace PlanImageSamples {

// The image as Qt writes it in that format ("JPEG", "PNG", "BMP"); a JPEG
// progressive when asked.
QByteArray encoded(const QImage& image, const char* format, bool progressive = false);

// A GIF whose logical screen is screenWidth x screenHeight, around one image
// of width x height at its corner, all of one colour: LZW codes of growing
// runs, in sub-blocks of subBlock bytes. A 4000 x 4000 image takes some 9 KB.
QByteArray uniformGif(int screenWidth, int screenHeight, int width, int height, int subBlock = 255);

// A BMP of 16 colours, of 4 or 8 bits a pixel, whose rows are RLE4 or RLE8
// codes: literal pixels, a run, the end of each line and the end of the
// bitmap. Its header states the size of the codes, or 0 as writers may.
QByteArray rleBmp(bool fourBits, int width, int height, bool sizeStated);

// Sets the 4 bytes at `at` of data to value, least significant first, as
// BMP headers hold their numbers.
void setLittle32(QByteArray& data, int at, quint32 value);

// A BMP written from the top row down (its height negative), of the image.
QByteArray topDownBmp(const QImage& image);

// A valid TIFF of one grey pixel.
QByteArray tiff();

// An icon file whose one entry says 1 x 1 and holds the PNG.
QByteArray iconHolding(const QByteArray& png);

}  // namespace PlanImageSamples

#endif  // APPLICATIONS_MORVANT_CONVERSION_TESTS_PLAN_IMAGE_SAMPLES_H
