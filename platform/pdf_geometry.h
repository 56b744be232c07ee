// Rectangles, affine transformations and the graphics state that the PDF
// layer's drawing targets (a PDF being written, a page bitmap) share.
#pragma once

#include <vector>

// A rectangle in PDF units: origin, width and height.
struct PdfBox {
    double x;
    double y;
    double width;
    double height;
};

// An affine transformation [a b c d e f]: (x, y) goes to
// (a·x + c·y + e, b·x + d·y + f), as in a PDF "cm" operator.
struct PdfMatrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

// The transformation that applies first, then then.
PdfMatrix ConcatMatrix(const PdfMatrix &first, const PdfMatrix &then);

// Where the point (x, y) lands under m.
void TransformPoint(const PdfMatrix &m, double x, double y, double *outX, double *outY);

// The drawing state of a target: its current transformation from the
// coordinates of what is drawn to the target's own, and the saved states.
struct DrawingContext {
    PdfMatrix ctm;
    std::vector<PdfMatrix> saved;
};

void ContextSaveGState(DrawingContext *context);
// Restores the last saved state; does nothing when none is saved.
void ContextRestoreGState(DrawingContext *context);

// Each of these changes the coordinates of what is drawn next: the new
// operation applies to them before the transformation already in place.
void ContextTranslateCTM(DrawingContext *context, double tx, double ty);
// angle in radians, counter-clockwise.
void ContextRotateCTM(DrawingContext *context, double angle);
void ContextScaleCTM(DrawingContext *context, double sx, double sy);
