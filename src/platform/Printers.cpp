#include "platform/Printers.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
constexpr int kResolution = 300;
}

TPrinter::TPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), canvas_(std::make_unique<TCanvas>())
{
  Configure();
}

TPrinter::~TPrinter()
{
  if (printing_) Abort();
}

void TPrinter::Configure()
{
  if (!outputFile_.empty()) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(outputFile_));
  } else {
    printer_->setOutputFileName(QString());
    printer_->setOutputFormat(QPrinter::NativeFormat);
  }
  printer_->setResolution(kResolution);
  printer_->setFullPage(false);
  printer_->setPageOrientation(orientation_ == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TPrinter::SetOutputFileName(const std::string& fileName)
{
  if (printing_) throw EPrinter("Printing in progress");
  outputFile_ = fileName;
  Configure();
}

void TPrinter::SetOrientation(TPrinterOrientation v)
{
  if (printing_) throw EPrinter("Printing in progress");
  orientation_ = v;
  Configure();
}

bool TPrinter::Available() const
{
  if (!outputFile_.empty()) return true;
  return !QPrinterInfo::defaultPrinter().isNull() || !QPrinterInfo::availablePrinters().isEmpty();
}

void TPrinter::CheckAvailable() const
{
  if (!Available()) throw EPrinter("There is no default printer currently selected");
}

TCanvas* TPrinter::Canvas() { return canvas_.get(); }

void TPrinter::BeginDoc()
{
  if (printing_) throw EPrinter("Printing in progress");
  CheckAvailable();
  printer_->setDocName(QString::fromStdString(title_));
  printing_ = true;
  aborted_ = false;
  pageNumber_ = 1;
  canvas_->SetDevice(printer_.get(), nullptr);
  if (!canvas_->Painter() || !canvas_->Painter()->isActive()) {
    canvas_->SetDevice(nullptr, nullptr);
    printing_ = false;
    throw EPrinter("Printer selected is not valid");
  }
}

void TPrinter::NewPage()
{
  if (!printing_) throw EPrinter("Printer is not currently printing");
  canvas_->Painter();
  printer_->newPage();
  ++pageNumber_;
}

void TPrinter::EndDoc()
{
  if (!printing_) throw EPrinter("Printer is not currently printing");
  canvas_->Release();
  canvas_->SetDevice(nullptr, nullptr);
  printing_ = false;
  pageNumber_ = 0;
}

void TPrinter::Abort()
{
  if (!printing_) return;
  printer_->abort();
  canvas_->Release();
  canvas_->SetDevice(nullptr, nullptr);
  printing_ = false;
  aborted_ = true;
  pageNumber_ = 0;
}

int32_t TPrinter::PageWidth() const
{
  CheckAvailable();
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).width();
}

int32_t TPrinter::PageHeight() const
{
  CheckAvailable();
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
}

int32_t TPrinter::LogPixelsX() const
{
  CheckAvailable();
  return printer_->logicalDpiX();
}

int32_t TPrinter::LogPixelsY() const
{
  CheckAvailable();
  return printer_->logicalDpiY();
}

int32_t TPrinter::HorzSizeMM() const
{
  CheckAvailable();
  return printer_->widthMM();
}

int32_t TPrinter::VertSizeMM() const
{
  CheckAvailable();
  return printer_->heightMM();
}

TPrinter* Printer()
{
  // Made on first use and kept to the end of the process: the print support must outlive
  // every caller, and it may not be torn down after the application object.
  static TPrinter* printer = new TPrinter;
  return printer;
}
