#include "gui/Icons.h"

#include "gui/EmbeddedResources.h"

#include <QPixmap>

#include <png.h>

namespace tapeloft {

namespace {

// Far above any icon; keeps a damaged header from asking for a huge buffer.
constexpr png_uint_32 maxSide = 4096;

} // namespace

QImage decodePng(std::span<const unsigned char> bytes) {
    if (bytes.empty()) return {};
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
    if (png.width == 0 || png.height == 0 || png.width > maxSide || png.height > maxSide) {
        png_image_free(&png);
        return {};
    }
    png.format = PNG_FORMAT_RGBA;
    QImage image(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_RGBA8888);
    if (image.isNull()) {
        png_image_free(&png);
        return {};
    }
    // The row stride counts components, which are bytes for an 8-bit format.
    const auto stride = static_cast<png_int_32>(image.bytesPerLine());
    if (!png_image_finish_read(&png, nullptr, image.bits(), stride, nullptr)) {
        png_image_free(&png);
        return {};
    }
    return image;
}

QImage loadIconImage(int image) {
    const std::string_view name = iconResourceName(image);
    if (name.empty()) return {};
    const EmbeddedResource* resource = findEmbeddedResource(name);
    if (!resource) return {};
    return decodePng({resource->data, resource->size});
}

QIcon loadIcon(int image) {
    const QImage decoded = loadIconImage(image);
    if (decoded.isNull()) return {};
    return QIcon(QPixmap::fromImage(decoded));
}

} // namespace tapeloft
