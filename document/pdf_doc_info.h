// The record of the document being prepared.
#pragma once

struct PdfDocument;  // an opened PDF (platform/pdf_document.h)
struct PdfContext;   // a PDF being written (platform/pdf_writer.h)

struct PDFDocInfoRecord {
    PdfDocument *document;
    PdfContext *pdfContext;
    char optionPrefix[8];
    int numPages;
    int lastPage;
    int pageStep;
    int rotation;
    int rasterMode;
};

extern PDFDocInfoRecord PDFDocInfo;
