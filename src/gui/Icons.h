#pragma once

#include <QIcon>
#include <QImage>

#include <cstddef>
#include <span>

namespace tapeloft {

// PNG bytes decoded to non-premultiplied RGBA; a null image when they are not a PNG libpng can read.
QImage decodePng(std::span<const unsigned char> bytes);

// Image `image` of the main window's icon table (0, 1, 3 to 13), decoded from the copy built into the
// program; a null image for any other number or when the copy cannot be decoded.
QImage loadIconImage(int image);

// The same as an icon; an empty icon when there is no image.
QIcon loadIcon(int image);

} // namespace tapeloft
