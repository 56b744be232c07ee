// Lossless page image encoding: what the PDF reader decodes is exactly the
// bitmap, for palette and full-colour images, split into parallel parts or
// not.
#include "platform/image_encode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A bitmap of 8-bit pixels stored red, green, blue (or blue, green, red).
struct Bitmap {
    int width;
    int height;
    bool bgr = false;
    std::vector<unsigned char> bytes;

    Bitmap(int w, int h, bool b = false) : width(w), height(h), bgr(b), bytes(3 * size_t(w) * h, 0xFF) {}
    void Set(int x, int y, uint32_t rgb)
    {
        unsigned char *p = &bytes[3 * (size_t(y) * width + x)];
        unsigned char r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        p[0] = bgr ? b : r;
        p[1] = g;
        p[2] = bgr ? r : b;
    }
    RgbRows Rows() const { return {bytes.data(), width, height, 3 * size_t(width), bgr}; }
};

std::vector<unsigned char> Inflate(const EncodedImage &image)
{
    std::vector<unsigned char> compressed;
    for (auto &piece : image.stream)
        compressed.insert(compressed.end(), piece.begin(), piece.end());
    std::vector<unsigned char> out;
    z_stream z{};
    inflateInit(&z);
    z.next_in = compressed.data();
    z.avail_in = static_cast<uInt>(compressed.size());
    unsigned char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof(buffer);
        status = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof(buffer) - z.avail_out));
    }
    inflateEnd(&z);
    EXPECT_EQ(status, Z_STREAM_END) << "the stream, its checksum included, is complete";
    EXPECT_EQ(z.avail_in, 0u) << "nothing follows the stream";
    return out;
}

// The RGB pixels a PDF reader gets from the image, in red, green, blue order.
std::vector<unsigned char> Decode(const EncodedImage &image)
{
    std::vector<unsigned char> data = Inflate(image);
    std::vector<unsigned char> rgb;
    size_t w = size_t(image.width);
    if (!image.palette.empty()) {
        EXPECT_EQ(data.size(), w * image.height);
        for (unsigned char index : data) {
            EXPECT_LT(size_t(index) * 3, image.palette.size());
            for (int c = 0; c < 3; c++)
                rgb.push_back(static_cast<unsigned char>(image.palette[index * 3 + c]));
        }
        return rgb;
    }
    size_t row = 1 + 3 * w;
    EXPECT_EQ(data.size(), row * image.height);
    std::vector<unsigned char> above(3 * w, 0);
    for (int y = 0; y < image.height; y++) {
        const unsigned char *p = &data[y * row];
        EXPECT_EQ(p[0], 2) << "PNG Up filter on row " << y;
        for (size_t k = 0; k < 3 * w; k++) {
            above[k] = static_cast<unsigned char>(p[1 + k] + above[k]);
            rgb.push_back(above[k]);
        }
    }
    return rgb;
}

std::vector<unsigned char> AsRgb(const Bitmap &bitmap)
{
    std::vector<unsigned char> rgb = bitmap.bytes;
    if (bitmap.bgr)
        for (size_t i = 0; i < rgb.size(); i += 3)
            std::swap(rgb[i], rgb[i + 2]);
    return rgb;
}

// Antialiased text in few grays; a photograph in many colours.
Bitmap Text(int w, int h, int grays, bool bgr = false)
{
    Bitmap b(w, h, bgr);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if ((x / 7 + y / 5) % 3 == 0) {
                uint32_t g = uint32_t((x * 31 + y * 17) % grays);
                b.Set(x, y, g << 16 | g << 8 | g);
            }
    return b;
}

Bitmap Photo(int w, int h, bool bgr = false)
{
    Bitmap b(w, h, bgr);
    uint32_t seed = 7;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            seed = seed * 1103515245u + 12345u;
            b.Set(x, y, seed >> 8);
        }
    return b;
}

} // namespace

TEST(ImageEncode, DecodesToTheBitmapExactly)
{
    struct Case {
        const char *what;
        Bitmap bitmap;
        bool indexed;
    } cases[] = {
        {"one white pixel", Bitmap(1, 1), true},
        {"text, 256 grays", Text(300, 200, 256), true},
        {"text, blue green red order", Text(300, 200, 200, true), true},
        {"photo", Photo(301, 199), false},
        {"photo, blue green red order", Photo(64, 300, true), false},
        {"tall and narrow, many parts", Text(3, 1000, 50), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EncodedImage image;
        ASSERT_TRUE(EncodeRgbImage(c.bitmap.Rows(), &image));
        EXPECT_EQ(image.width, c.bitmap.width);
        EXPECT_EQ(image.height, c.bitmap.height);
        EXPECT_EQ(!image.palette.empty(), c.indexed);
        EXPECT_EQ(Decode(image), AsRgb(c.bitmap));
    }
}

TEST(ImageEncode, PaletteHoldsAtMost256Colours)
{
    for (int colours : {256, 257}) {
        SCOPED_TRACE(colours);
        Bitmap b(colours, 2);
        for (int x = 0; x < colours; x++)
            b.Set(x, 1, uint32_t(x) * 0x010101u + (x == 256 ? 0x010000u : 0));
        // Row 0 is white, which is one of the colours when x = 255.
        EncodedImage image;
        ASSERT_TRUE(EncodeRgbImage(b.Rows(), &image));
        EXPECT_EQ(image.palette.empty(), colours > 256);
        if (!image.palette.empty()) {
            EXPECT_EQ(image.palette.size(), 3u * 256);
        }
        EXPECT_EQ(Decode(image), AsRgb(b));
    }
}

TEST(ImageEncode, RepeatedRowStandsForABlankPage)
{
    std::vector<unsigned char> white(3 * 50, 0xFF);
    EncodedImage image;
    ASSERT_TRUE(EncodeRgbImage({white.data(), 50, 400, 0, true}, &image));
    EXPECT_EQ(image.palette, std::string(3, '\xFF'));
    EXPECT_EQ(Decode(image), std::vector<unsigned char>(3 * 50 * 400, 0xFF));
}

TEST(ImageEncode, RefusesEmptyBitmaps)
{
    unsigned char pixel[3] = {0, 0, 0};
    EncodedImage image;
    EXPECT_FALSE(EncodeRgbImage({pixel, 0, 1, 3, false}, &image));
    EXPECT_FALSE(EncodeRgbImage({pixel, 1, 0, 3, false}, &image));
    EXPECT_FALSE(EncodeRgbImage({nullptr, 1, 1, 3, false}, &image));
}

TEST(ImageEncode, PartsCompressedInParallelJoinIntoOneStream)
{
    // Rows long and short against the 32K window that each part inherits.
    for (auto [rowBytes, height] : {std::pair{size_t(7), 700}, {size_t(33000), 200}}) {
        for (int workers : {1, 2, 3, 8}) {
            SCOPED_TRACE(std::to_string(rowBytes) + " bytes a row, " + std::to_string(workers) +
                         " workers");
            auto row = [rowBytes = rowBytes](int y, unsigned char *out) {
                for (size_t k = 0; k < rowBytes; k++)
                    out[k] = static_cast<unsigned char>((k * 7 + size_t(y) * 13) % 251);
            };
            EncodedImage image;
            image.width = 1;
            image.height = height;
            ASSERT_TRUE(CompressRows(height, rowBytes, 5, Z_FILTERED, workers, row, &image.stream));
            std::vector<unsigned char> want(rowBytes * size_t(height));
            for (int y = 0; y < height; y++)
                row(y, &want[y * rowBytes]);
            EXPECT_EQ(Inflate(image), want);
        }
    }
}
