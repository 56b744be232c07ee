#include "platform/image_encode.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

namespace {

// Parts smaller than this gain nothing from their own thread.
constexpr int kMinRowsPerPart = 64;
// Deflate looks back at most this far; a part starts with that much of the
// data before it as its dictionary, so splitting costs almost no size.
constexpr size_t kWindowBytes = 32768;
// The PNG filter byte "Up": each byte minus the byte above it.
constexpr unsigned char kPngUp = 2;
// Few-colour pages (text, line art) compress well and fast, and a higher
// level pays (filtered matching suits their short runs). Photographs barely
// gain from a higher level and take five times longer.
constexpr int kIndexedLevel = 5;
constexpr int kIndexedStrategy = Z_FILTERED;
constexpr int kFullColourLevel = 1;

struct Part {
    int firstRow = 0;
    int endRow = 0;
    std::vector<unsigned char> data;  // raw deflate blocks
    uLong adler = 1;
    size_t length = 0;
    bool ok = false;
};

bool DeflateInto(z_stream *z, int flush, std::vector<unsigned char> *out)
{
    unsigned char buffer[65536];
    do {
        z->next_out = buffer;
        z->avail_out = sizeof(buffer);
        int status = deflate(z, flush);
        if (status == Z_STREAM_ERROR)
            return false;
        out->insert(out->end(), buffer, buffer + (sizeof(buffer) - z->avail_out));
    } while (z->avail_out == 0);
    return true;
}

// Compresses one run of rows as raw deflate data that the next part can
// follow directly: the last part ends the stream, the others end on a byte
// boundary without ending it.
void CompressPart(Part *part, bool last, size_t rowBytes, int level, int strategy,
                  const RowWriter &row)
{
    try {
        z_stream z{};
        if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy) != Z_OK)
            return;
        std::vector<unsigned char> buffer(rowBytes);
        // Room for the worst case up front: growing the buffer would copy
        // it, and for a photograph that is megabytes at a time.
        part->data.reserve(deflateBound(&z, static_cast<uLong>(rowBytes) *
                                                static_cast<uLong>(part->endRow - part->firstRow)));
        bool ok = true;
        if (part->firstRow > 0) {
            int rows = static_cast<int>((kWindowBytes + rowBytes - 1) / rowBytes);
            int from = std::max(0, part->firstRow - rows);
            std::vector<unsigned char> before;
            for (int y = from; y < part->firstRow; y++) {
                row(y, buffer.data());
                before.insert(before.end(), buffer.begin(), buffer.end());
            }
            size_t keep = std::min(before.size(), kWindowBytes);
            ok = deflateSetDictionary(&z, before.data() + (before.size() - keep),
                                      static_cast<uInt>(keep)) == Z_OK;
        }
        for (int y = part->firstRow; ok && y < part->endRow; y++) {
            row(y, buffer.data());
            part->adler = adler32(part->adler, buffer.data(), static_cast<uInt>(rowBytes));
            part->length += rowBytes;
            z.next_in = buffer.data();
            z.avail_in = static_cast<uInt>(rowBytes);
            ok = DeflateInto(&z, Z_NO_FLUSH, &part->data);
        }
        if (ok)
            ok = DeflateInto(&z, last ? Z_FINISH : Z_SYNC_FLUSH, &part->data);
        deflateEnd(&z);
        part->ok = ok;
    } catch (const std::exception &) {
        part->ok = false;
    }
}

// Colours of the bitmap in the order they first appear, as long as there
// are no more than a palette holds. A small open-addressing table keeps
// the lookup cheap; runs of one colour skip it altogether.
class Palette {
public:
    // The index of colour, added when new; -1 when the palette is full.
    int IndexOf(uint32_t colour)
    {
        size_t slot = Hash(colour);
        for (;;) {
            Entry &e = table_[slot];
            if (e.index < 0) {
                if (colours_.size() >= static_cast<size_t>(kMaxPaletteColours))
                    return -1;
                e.colour = colour;
                e.index = static_cast<int>(colours_.size());
                colours_.push_back(colour);
                return e.index;
            }
            if (e.colour == colour)
                return e.index;
            slot = (slot + 1) & (kSlots - 1);
        }
    }
    std::string Bytes() const
    {
        std::string bytes;
        for (uint32_t c : colours_) {
            bytes += static_cast<char>(c >> 16);
            bytes += static_cast<char>((c >> 8) & 0xFF);
            bytes += static_cast<char>(c & 0xFF);
        }
        return bytes;
    }

private:
    static constexpr size_t kSlots = 1024;
    struct Entry {
        uint32_t colour = 0;
        int index = -1;
    };
    static size_t Hash(uint32_t colour) { return (colour * 2654435761u >> 22) & (kSlots - 1); }
    std::array<Entry, kSlots> table_{};
    std::vector<uint32_t> colours_;
};

uint32_t ColourAt(const RgbRows &rows, const unsigned char *p)
{
    if (rows.bgr)
        return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

const unsigned char *RowAt(const RgbRows &rows, int y)
{
    return rows.pixels + static_cast<size_t>(y) * rows.stride;
}

// One index byte per pixel, in one pass over the bitmap; false as soon as
// the bitmap turns out to have more colours than a palette holds.
// The buffer is left uninitialised, so a bitmap that fails early (a
// photograph) never makes the system back the whole of it with memory.
bool IndexPixels(const RgbRows &rows, Palette *palette, std::unique_ptr<unsigned char[]> *indices)
{
    *indices = std::make_unique_for_overwrite<unsigned char[]>(static_cast<size_t>(rows.width) *
                                                               static_cast<size_t>(rows.height));
    unsigned char *out = indices->get();
    for (int y = 0; y < rows.height; y++) {
        const unsigned char *p = RowAt(rows, y);
        uint32_t last = ColourAt(rows, p) ^ 1;  // never equal to the first pixel
        int index = 0;
        for (int x = 0; x < rows.width; x++, p += 3) {
            uint32_t colour = ColourAt(rows, p);
            if (colour != last) {
                index = palette->IndexOf(colour);
                if (index < 0)
                    return false;
                last = colour;
            }
            *out++ = static_cast<unsigned char>(index);
        }
    }
    return true;
}

int Workers()
{
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(std::min(n, 8u));
}

} // namespace

size_t EncodedSize(const EncodedImage &image)
{
    size_t size = 0;
    for (const std::vector<unsigned char> &piece : image.stream)
        size += piece.size();
    return size;
}

bool CompressRows(int height, size_t rowBytes, int level, int strategy, int workers,
                  const RowWriter &row, std::vector<std::vector<unsigned char>> *out)
{
    int parts = std::max(1, std::min(workers, height / kMinRowsPerPart));
    std::vector<Part> work(static_cast<size_t>(parts));
    for (int p = 0; p < parts; p++) {
        work[p].firstRow = static_cast<int>(static_cast<long long>(height) * p / parts);
        work[p].endRow = static_cast<int>(static_cast<long long>(height) * (p + 1) / parts);
    }

    // Part 0 runs here; the others on threads of their own, or here too
    // when no thread can be started.
    std::vector<std::thread> threads;
    std::vector<int> inlineParts;
    for (int p = 1; p < parts; p++) {
        try {
            threads.emplace_back(CompressPart, &work[p], p == parts - 1, rowBytes, level,
                                 strategy, std::cref(row));
        } catch (const std::exception &) {
            inlineParts.push_back(p);
        }
    }
    CompressPart(&work[0], parts == 1, rowBytes, level, strategy, row);
    for (int p : inlineParts)
        CompressPart(&work[p], p == parts - 1, rowBytes, level, strategy, row);
    for (std::thread &t : threads)
        t.join();

    try {
        out->clear();
        out->push_back({0x78, 0x01});  // deflate, 32K window, no dictionary; check bits
        uLong adler = 1;
        for (Part &part : work) {
            if (!part.ok)
                return false;
            adler = adler32_combine(adler, part.adler, static_cast<z_off_t>(part.length));
            out->push_back(std::move(part.data));
        }
        std::vector<unsigned char> trailer;
        for (int shift = 24; shift >= 0; shift -= 8)
            trailer.push_back(static_cast<unsigned char>(adler >> shift));
        out->push_back(std::move(trailer));
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

bool EncodeRgbImage(const RgbRows &rows, EncodedImage *image)
{
    if (rows.pixels == nullptr || rows.width < 1 || rows.height < 1 ||
        static_cast<size_t>(rows.width) > (SIZE_MAX - 1) / 3)
        return false;
    image->width = rows.width;
    image->height = rows.height;

    // Text and line art rarely need more than a few hundred colours, even
    // antialiased: one index byte per pixel then stands for three.
    Palette palette;
    std::unique_ptr<unsigned char[]> indices;
    if (IndexPixels(rows, &palette, &indices)) {
        image->palette = palette.Bytes();
        size_t width = static_cast<size_t>(rows.width);
        return CompressRows(rows.height, width, kIndexedLevel, kIndexedStrategy, Workers(),
                            [&indices, width](int y, unsigned char *out) {
                                std::memcpy(out, indices.get() + static_cast<size_t>(y) * width,
                                            width);
                            },
                            &image->stream);
    }
    indices.reset();

    image->palette.clear();
    size_t rowBytes = 1 + 3 * static_cast<size_t>(rows.width);
    return CompressRows(rows.height, rowBytes, kFullColourLevel, Z_DEFAULT_STRATEGY, Workers(),
                        [&rows](int y, unsigned char *out) {
                            const unsigned char *p = RowAt(rows, y);
                            const unsigned char *above = y > 0 ? RowAt(rows, y - 1) : nullptr;
                            int r = rows.bgr ? 2 : 0, b = rows.bgr ? 0 : 2;
                            out[0] = kPngUp;
                            unsigned char *o = out + 1;
                            for (int x = 0; x < rows.width; x++, p += 3, o += 3) {
                                if (above == nullptr) {
                                    o[0] = p[r];
                                    o[1] = p[1];
                                    o[2] = p[b];
                                } else {
                                    const unsigned char *q = above + 3 * static_cast<size_t>(x);
                                    o[0] = static_cast<unsigned char>(p[r] - q[r]);
                                    o[1] = static_cast<unsigned char>(p[1] - q[1]);
                                    o[2] = static_cast<unsigned char>(p[b] - q[b]);
                                }
                            }
                        },
                        &image->stream);
}
