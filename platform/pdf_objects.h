// The qpdf objects behind the PDF layer's handles. Only the PDF layer's
// own files include this; callers see the opaque handles.
#pragma once

#include "platform/pdf_document.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct PdfPage {
    PdfDocument *document;
    mutable QPDFPageObjectHelper helper;  // qpdf's readers are not const
};

struct PdfDocument {
    QPDF qpdf;
    std::vector<PdfPage> pages;
    bool preparedForDrawing = false;
};

// Content streams of source documents already turned into a form in one
// target; a second use of the same stream gets a form of its own.
using UsedContentStreams = std::set<std::pair<const QPDF *, QPDFObjGen>>;

// A form XObject in target that draws the page's content, with its
// resources, clipped to the page's visible box, in the page's own
// coordinates. Annotations meant for printing are part of that content.
// Throws (qpdf exceptions) when the page's objects cannot be read.
QPDFObjectHandle CopyPageAsForm(PdfPage *page, QPDF &target, UsedContentStreams *used);

// The content that draws the XObject name through m, isolated in q/Q.
std::string PlaceXObject(const PdfMatrix &m, const std::string &name);

// A PDF number: at most six decimals, no trailing zeros.
std::string FormatPdfNumber(double value);

// The rectangle array of box, [x y x+w y+h].
QPDFObjectHandle BoxArray(const PdfBox &box);
