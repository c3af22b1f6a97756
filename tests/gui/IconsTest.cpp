#include "gui/Icons.h"
#include "gui/EmbeddedResources.h"

#include <QTest>

#include <vector>

using namespace tapeloft;

namespace {

std::vector<unsigned char> iconBytes(int image) {
    const EmbeddedResource* resource = findEmbeddedResource(iconResourceName(image));
    if (!resource) return {};
    return {resource->data, resource->data + resource->size};
}

} // namespace

class IconsTest final : public QObject {
    Q_OBJECT

private slots:
    void everyIconDecodesAtItsSize_data() {
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("side");
        const int sides[][2] = {{0, 32}, {1, 32}, {3, 24},  {4, 24},  {5, 16},  {6, 24}, {7, 24},
                                {8, 24}, {9, 32}, {10, 32}, {11, 24}, {12, 24}, {13, 24}};
        for (const auto& [image, side] : sides)
            QTest::addRow("image %d", image) << image << side;
    }

    void everyIconDecodesAtItsSize() {
        QFETCH(int, image);
        QFETCH(int, side);
        const QImage decoded = loadIconImage(image);
        QVERIFY(!decoded.isNull());
        QCOMPARE(decoded.size(), QSize(side, side));
        QCOMPARE(decoded.format(), QImage::Format_RGBA8888);

        // Pixel for pixel what Qt's own PNG reader makes of the same bytes.
        const std::vector<unsigned char> bytes = iconBytes(image);
        const QImage reference = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "PNG")
                                     .convertToFormat(QImage::Format_RGBA8888);
        QCOMPARE(reference.size(), decoded.size());
        QCOMPARE(decoded, reference);
        // An icon has both drawn and transparent pixels.
        bool opaque = false, transparent = false;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const int alpha = decoded.pixelColor(x, y).alpha();
                opaque = opaque || alpha == 255;
                transparent = transparent || alpha == 0;
            }
        QVERIFY(opaque);
        QVERIFY(transparent);

        const QIcon icon = loadIcon(image);
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(side, side)));
    }

    void numbersWithoutAnImageGiveNothing() {
        for (int image : {-1, 2, 14, 100}) {
            QVERIFY(loadIconImage(image).isNull());
            QVERIFY(loadIcon(image).isNull());
        }
    }

    void damagedBytesGiveANullImage() {
        const std::vector<unsigned char> good = iconBytes(0);
        QVERIFY(good.size() > 100);
        QVERIFY(!decodePng(good).isNull());

        QVERIFY(decodePng({}).isNull());
        const std::vector<unsigned char> garbage(200, 0x5A);
        QVERIFY(decodePng(garbage).isNull());
        // Cut off inside the image data.
        QVERIFY(decodePng(std::span(good).first(good.size() / 2)).isNull());
        QVERIFY(decodePng(std::span(good).first(8)).isNull());
        // A header claiming a huge picture (CRC mended so the header itself reads fine).
        std::vector<unsigned char> huge = good;
        huge[16] = 0x00, huge[17] = 0x08, huge[18] = 0x00, huge[19] = 0x00; // width 524288
        quint32 crc = 0xFFFFFFFFu;
        for (std::size_t i = 12; i < 29; ++i) {
            crc ^= huge[i];
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        crc ^= 0xFFFFFFFFu;
        huge[29] = static_cast<unsigned char>(crc >> 24), huge[30] = static_cast<unsigned char>(crc >> 16);
        huge[31] = static_cast<unsigned char>(crc >> 8), huge[32] = static_cast<unsigned char>(crc);
        QVERIFY(decodePng(huge).isNull());
    }
};

QTEST_MAIN(IconsTest)
#include "IconsTest.moc"
