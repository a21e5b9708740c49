#pragma once

#include <QByteArray>
#include <QImage>

#include "data/errors.h"

namespace render {

// A format picture that is neither empty nor a usable Windows bitmap.
class InvalidBitmapError : public data::Error {
public:
    using Error::Error;
};

// Largest picture accepted, so a hostile header cannot make us allocate
// gigabytes before the pixels are even read: 8000 × 8000 pixels.
inline constexpr qint64 kMaxPicturePixels = 64'000'000;
inline constexpr qint64 kMaxPictureSide = 32'767;

// The picture of a FOLI_IMAGEN blob: a BMP file, optionally behind the 8-byte
// graphic header (count 1, type 0x0100, size = length - 8, little-endian).
// Empty blob: a null image. Anything else throws InvalidBitmapError.
QImage decodePicture(const QByteArray& blob);

}  // namespace render
