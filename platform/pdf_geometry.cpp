#include "platform/pdf_geometry.h"

#include <cmath>

namespace {

// cos and sin of a quarter-turn multiple come out of the library with a
// rounding residue (sin(pi) is 1.2e-16); snapping keeps turned pages exact.
double Snap(double v)
{
    const double tolerance = 1e-12;
    for (double exact : {-1.0, 0.0, 1.0}) {
        if (std::fabs(v - exact) < tolerance)
            return exact;
    }
    return v;
}

void Prepend(DrawingContext *context, const PdfMatrix &op)
{
    context->ctm = ConcatMatrix(op, context->ctm);
}

} // namespace

PdfMatrix ConcatMatrix(const PdfMatrix &first, const PdfMatrix &then)
{
    PdfMatrix r;
    r.a = first.a * then.a + first.b * then.c;
    r.b = first.a * then.b + first.b * then.d;
    r.c = first.c * then.a + first.d * then.c;
    r.d = first.c * then.b + first.d * then.d;
    r.e = first.e * then.a + first.f * then.c + then.e;
    r.f = first.e * then.b + first.f * then.d + then.f;
    return r;
}

void TransformPoint(const PdfMatrix &m, double x, double y, double *outX, double *outY)
{
    *outX = m.a * x + m.c * y + m.e;
    *outY = m.b * x + m.d * y + m.f;
}

void ContextSaveGState(DrawingContext *context)
{
    context->saved.push_back(context->ctm);
}

void ContextRestoreGState(DrawingContext *context)
{
    if (context->saved.empty())
        return;
    context->ctm = context->saved.back();
    context->saved.pop_back();
}

void ContextTranslateCTM(DrawingContext *context, double tx, double ty)
{
    PdfMatrix op;
    op.e = tx;
    op.f = ty;
    Prepend(context, op);
}

void ContextRotateCTM(DrawingContext *context, double angle)
{
    double c = Snap(std::cos(angle));
    double s = Snap(std::sin(angle));
    PdfMatrix op;
    op.a = c;
    op.b = s;
    op.c = -s;
    op.d = c;
    Prepend(context, op);
}

void ContextScaleCTM(DrawingContext *context, double sx, double sy)
{
    PdfMatrix op;
    op.a = sx;
    op.d = sy;
    Prepend(context, op);
}
