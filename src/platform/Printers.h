#pragma once
// The printer: a canvas over the system's print support. Output can go to a PDF file instead of
// a printer (SetOutputFileName), which is how printing works without one.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Graphics.h"
#include "platform/Types.h"

class QPrinter;

class EPrinter : public Exception { public: using Exception::Exception; };

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // A PDF file receives the pages (empty: the system's default printer).
  void SetOutputFileName(const std::string& fileName);
  const std::string& GetOutputFileName() const { return outputFile_; }
  // Whether a printer or an output file is at hand.
  bool Available() const;

  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }
  TPrinterOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation v);

  // Starts a print job; the canvas draws on its first page.
  void BeginDoc();
  // Ends the job and sends (or writes) it.
  void EndDoc();
  void NewPage();
  // Drops the job.
  void Abort();
  bool Printing() const { return printing_; }
  bool Aborted() const { return aborted_; }
  int32_t PageNumber() const { return pageNumber_; }

  // The page canvas; draws only between BeginDoc and EndDoc.
  TCanvas* Canvas();
  // Printable page size in device pixels; EPrinter when there is no printer.
  int32_t PageWidth() const;
  int32_t PageHeight() const;
  // Device capabilities: pixels per inch and the page size in millimetres.
  int32_t LogPixelsX() const;
  int32_t LogPixelsY() const;
  int32_t HorzSizeMM() const;
  int32_t VertSizeMM() const;

  // The Qt side; platform layer only.
  QPrinter* QtPrinter() const { return printer_.get(); }

private:
  void CheckAvailable() const;
  void Configure();

  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<TCanvas> canvas_;
  std::string outputFile_;
  std::string title_;
  TPrinterOrientation orientation_ = poPortrait;
  bool printing_ = false;
  bool aborted_ = false;
  int32_t pageNumber_ = 0;
};

// The process-wide printer.
TPrinter* Printer();
