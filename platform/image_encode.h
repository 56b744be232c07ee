// Lossless encoding of an RGB bitmap for a PDF image: Flate, with a
// palette when the bitmap has few colours and PNG "Up" prediction when it
// has many. The compression is shared among the processor cores.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Rows of 8-bit RGB pixels. Row y starts at pixels + y × stride (a stride
// of 0 repeats one row); bgr says each pixel is stored blue, green, red.
struct RgbRows {
    const unsigned char *pixels;
    int width;
    int height;
    size_t stride;
    bool bgr;
};

struct EncodedImage {
    int width = 0;
    int height = 0;
    // Red, green, blue of each colour of an indexed image (one byte per
    // pixel selects one); empty for a full-colour image (three bytes per
    // pixel, each row led by a PNG filter byte).
    std::string palette;
    // A zlib stream, in pieces that follow each other (the parts that were
    // compressed in parallel are not copied together).
    std::vector<std::vector<unsigned char>> stream;
};

// Bytes of the whole zlib stream.
size_t EncodedSize(const EncodedImage &image);

// A palette holds at most this many colours.
constexpr int kMaxPaletteColours = 256;

// Encodes rows; false when they are empty or memory runs out.
bool EncodeRgbImage(const RgbRows &rows, EncodedImage *image);

// Writes row y (rowBytes bytes) into buffer; called from several threads
// at once.
using RowWriter = std::function<void(int y, unsigned char *buffer)>;

// Compresses the rows into one zlib stream with the given zlib level and
// strategy, in up to workers parts that run in parallel; false when memory
// runs out.
bool CompressRows(int height, size_t rowBytes, int level, int strategy, int workers,
                  const RowWriter &row, std::vector<std::vector<unsigned char>> *out);
