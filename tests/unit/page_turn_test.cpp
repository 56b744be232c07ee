// The transformation that turns a page: a half turn about the centre of
// the media box, with the box's exact size, wherever the box starts.
#include "document/rerender.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

PDFDocInfoRecord Turned(int rotation)
{
    PDFDocInfoRecord info{};
    info.rotation = rotation;
    return info;
}

void ExpectLandsAt(const DrawingContext &context, double x, double y, double wantX, double wantY)
{
    double gotX = 0, gotY = 0;
    TransformPoint(context.ctm, x, y, &gotX, &gotY);
    EXPECT_DOUBLE_EQ(gotX, wantX) << "x of (" << x << ", " << y << ")";
    EXPECT_DOUBLE_EQ(gotY, wantY) << "y of (" << x << ", " << y << ")";
}

} // namespace

TEST(PageTurn, HalfTurnsKeepThePageOnItsMediaBox)
{
    const PdfBox a4{0, 0, 595.276, 841.89};
    const PdfBox shifted{100, 200, 595.276, 841.89};
    struct Case {
        int rotation;
        PdfBox box;
        bool turned;
    } cases[] = {
        {0, a4, false},        {360, a4, false},      {180, a4, true},
        {540, a4, true},       {-180, a4, true},      {180, shifted, true},
        {540, shifted, true},  {360, shifted, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rotation);
        PDFDocInfoRecord info = Turned(c.rotation);
        DrawingContext context;
        setContextCTM(&info, &context, c.box);
        const PdfBox &b = c.box;
        // The corners and a point of text near the top left corner.
        double points[][2] = {{b.x, b.y},
                              {b.x + b.width, b.y + b.height},
                              {b.x + 36, b.y + b.height - 60}};
        for (auto &p : points) {
            if (c.turned)
                ExpectLandsAt(context, p[0], p[1], 2 * b.x + b.width - p[0],
                              2 * b.y + b.height - p[1]);
            else
                ExpectLandsAt(context, p[0], p[1], p[0], p[1]);
        }
    }
}

TEST(PageTurn, RasterTransformMapsTheMediaBoxOntoTheBitmap)
{
    // The bitmap of a page starts at the media box's origin, at 300 dpi.
    const PdfBox box{100, 200, 612, 792};
    const double scale = 300.0 / 72.0;
    for (int rotation : {0, 180}) {
        SCOPED_TRACE(rotation);
        PDFDocInfoRecord info = Turned(rotation);
        DrawingContext bitmap;
        ContextScaleCTM(&bitmap, scale, scale);
        ContextTranslateCTM(&bitmap, -box.x, -box.y);
        setContextCTM(&info, &bitmap, box);
        double topLeftX = box.x, topLeftY = box.y + box.height;
        if (rotation == 0) {
            ExpectLandsAt(bitmap, box.x, box.y, 0, 0);
            ExpectLandsAt(bitmap, topLeftX, topLeftY, 0, 3300);
        } else {
            ExpectLandsAt(bitmap, box.x, box.y, 2550, 3300);
            ExpectLandsAt(bitmap, topLeftX, topLeftY, 2550, 0);
        }
    }
}

TEST(PageTurn, SavedStatesComeBack)
{
    PDFDocInfoRecord info = Turned(180);
    DrawingContext context;
    ContextSaveGState(&context);
    setContextCTM(&info, &context, {0, 0, 100, 100});
    ContextRestoreGState(&context);
    ContextRestoreGState(&context);  // nothing saved: no change
    ExpectLandsAt(context, 10, 20, 10, 20);
}
