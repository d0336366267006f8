// Chart editor entry points opened headless, each answered by the test through TForm::ModalAnswer
// and checked on the object it edits: font editor, print preview (and printing to a file),
// series editor with page hooks, axis editor, legend options from the legend menu, embedded
// pages, editor lookup by class name and the editors it finds for functions and tools, the
// template writer's data flags, the series menu's "Default", a right click on a values-style
// legend item, and LoadSeriesSettings from an ".in" file.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "chart/editor/ChartEditor.h"
#include "chart/editor/ChartPreview.h"
#include "chart/editor/ChartTemplate.h"
#include "chart/editor/EditChartFont.h"
#include "chart/editor/ElementEditors.h"
#include "chart/editor/FormNuvLegend.h"
#include "chart/canvas/NvCanvasEffects.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineTools.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "platform/TestInput.h"

namespace {

// Answers every modal form with the given function for the scope's life.
struct ModalAnswer {
  explicit ModalAnswer(std::function<int(TForm*)> f) { TForm::ModalAnswer = std::move(f); }
  ~ModalAnswer() { TForm::ModalAnswer = nullptr; }
};

struct PointChart {
  TChart chart{nullptr};
  std::unique_ptr<TPointSeries> a, b;
  PointChart()
  {
    InstallChartEditorServices();
    chart.SetBounds(0, 0, 640, 480);
    chart.SetView3D(false);
    a = std::make_unique<TPointSeries>(nullptr);
    b = std::make_unique<TPointSeries>(nullptr);
    a->SetTitle("First");
    b->SetTitle("Second");
    for (int i = 0; i < 5; ++i) {
      a->AddXY(i, i * 10.0, "a" + std::to_string(i));
      b->AddXY(i, 40.0 - i * 10.0);
    }
    a->SetParentChart(&chart);
    b->SetParentChart(&chart);
    chart.PaintBuffer();
  }
  ~PointChart()
  {
    TPopupMenu::TestAnswer = nullptr;
    a->SetParentChart(nullptr);
    b->SetParentChart(nullptr);
  }
  TPoint PointOf(TChartSeries* s, int i) { return TPoint{s->CalcXPos(i), s->CalcYPos(i)}; }
};

TEST(FontEditor, OkAppliesFaceSizeStyleAndColourCancelKeepsTheFont)
{
  TNuvFont font;
  font.SetName("Arial");
  font.SetSize(9);
  {
    ModalAnswer answer([](TForm* form) {
      auto* f = dynamic_cast<TChartFontEditor*>(form);
      EXPECT_NE(f, nullptr);
      f->FaceCombo->SetText("Courier New");
      f->SizeEdit->SetText("14");
      f->BoldCheck->SetChecked(true);
      f->ItalicCheck->SetChecked(true);
      f->Color = clRed;
      return mrOk;
    });
    EditChartFont(nullptr, &font);
  }
  EXPECT_EQ(font.GetName(), "Courier New");
  EXPECT_EQ(font.GetSize(), 14);
  EXPECT_EQ(font.GetStyle(), fsBold | fsItalic);
  EXPECT_EQ(font.GetColor(), clRed);
  {
    ModalAnswer answer([](TForm* form) {
      auto* f = dynamic_cast<TChartFontEditor*>(form);
      f->SizeEdit->SetText("30");
      return mrCancel;
    });
    EditChartFont(nullptr, &font);
  }
  EXPECT_EQ(font.GetSize(), 14);
  {
    // A size that does not read keeps the old size; the rest still applies.
    ModalAnswer answer([](TForm* form) {
      auto* f = dynamic_cast<TChartFontEditor*>(form);
      f->SizeEdit->SetText("99999999999");
      f->BoldCheck->SetChecked(false);
      return mrOk;
    });
    EditChartFont(nullptr, &font);
  }
  EXPECT_EQ(font.GetSize(), 14);
  EXPECT_EQ(font.GetStyle(), fsItalic);
}

TEST(FontEditor, ColourButtonAsksTheColourDialog)
{
  TNuvFont font;
  TColorDialog::TestAnswer = [](TColorDialog* d) {
    d->Color = clLime;
    return true;
  };
  ModalAnswer answer([](TForm* form) {
    dynamic_cast<TChartFontEditor*>(form)->ColorButton->Click();
    return mrOk;
  });
  EditChartFont(nullptr, &font);
  TColorDialog::TestAnswer = nullptr;
  EXPECT_EQ(font.GetColor(), clLime);
}

TEST(PrintPreview, ShowsTheChartOnAPageAndPrintsToAFile)
{
  testsupport::TempDir dir;
  PointChart c;
  const std::string pdf = dir.file("chart.pdf");
  Printer()->SetOutputFileName(pdf);
  bool seen = false;
  c.chart.ChartPrintRect = TRect{10, 20, 300, 200};
  c.chart.CustomChartPrintRect = false;
  {
    ModalAnswer answer([&](TForm* form) {
      auto* f = dynamic_cast<TChartPreviewForm*>(form);
      EXPECT_NE(f, nullptr);
      if (!f) return mrCancel;
      seen = true;
      // The preview starts from an empty print rectangle set by hand.
      EXPECT_EQ(c.chart.ChartPrintRect, TRect{});
      EXPECT_TRUE(c.chart.CustomChartPrintRect);
      EXPECT_EQ(f->Preview()->GetPanel(), &c.chart);
      f->Preview()->PaintBuffer();
      // The page is white and the chart drawn on it is not.
      const TRect page = f->Preview()->PageRect();
      const TRect r = f->Preview()->ChartRectOnPage();
      TBitmap* b = f->Preview()->BackBuffer();
      EXPECT_EQ(b->Canvas()->GetPixel(page.Left + 2, page.Top + 2) & 0xFFFFFF, clWhite);
      int nonWhite = 0;
      for (int y = r.Top; y < r.Bottom; y += 3)
        for (int x = r.Left; x < r.Right; x += 3) nonWhite += (b->Canvas()->GetPixel(x, y) & 0xFFFFFF) != clWhite;
      EXPECT_GT(nonWhite, 0);
      f->PrintButton->Click();
      return mrOk;
    });
    ChartPreview(nullptr, &c.chart);
  }
  Printer()->SetOutputFileName("");
  EXPECT_TRUE(seen);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_GT(std::filesystem::file_size(pdf), 100u);
}

std::vector<std::string>* hookCalls = nullptr;
void RecordingHook(TChartEditForm* form, TTabSheet* sheet)
{
  if (hookCalls) hookCalls->push_back(sheet ? sheet->GetCaption() : std::string("<shown>"));
  // A hook may add a page of its own when the editor is shown.
  if (!sheet && form->MainPage()->FindPage("Extra") == nullptr) {
    auto* page = new TTabSheet(form);
    page->SetCaption("Extra");
    page->SetPageControl(form->MainPage());
  }
}

TEST(SeriesEditor, ShowsOnlyThatSeriesAndAppliesColourPointerAndMarks)
{
  PointChart c;
  std::vector<std::string> calls;
  hookCalls = &calls;
  AddChartEditorPageHook(&RecordingHook);
  {
    ModalAnswer answer([&](TForm* form) {
      auto* f = dynamic_cast<TChartEditForm*>(form);
      EXPECT_NE(f, nullptr);
      if (!f) return mrCancel;
      EXPECT_EQ(f->Chart(), &c.chart);
      // The series page and the page the hook added.
      EXPECT_EQ(f->MainPage()->PageCount(), 2);
      TSeriesEditorPage* page = f->SeriesPage();
      EXPECT_EQ(page->Series(), c.b.get());
      EXPECT_EQ(page->TitleEdit->GetText(), "Second");
      page->TitleEdit->SetText("Renamed");
      page->Color = clFuchsia;
      page->PointerWidthEdit->SetText("9");
      page->PointerHeightEdit->SetText("bad");
      page->PointerStyleCombo->SetItemIndex(1);
      page->MarksVisibleCheck->SetChecked(true);
      page->MarksStyleCombo->SetItemIndex(0);
      // Selecting the hook's page tells the hooks.
      f->MainPage()->SetActivePage(f->MainPage()->FindPage("Extra"));
      return mrOk;
    });
    EditSeries(c.b.get());
  }
  RemoveChartEditorPageHook(&RecordingHook);
  hookCalls = nullptr;
  EXPECT_EQ(c.b->GetTitle(), "Renamed");
  EXPECT_EQ(c.b->GetSeriesColor(), clFuchsia);
  EXPECT_EQ(c.b->GetPointer()->GetHorizSize(), 9);
  EXPECT_EQ(c.b->GetPointer()->GetVertSize(), 4);  // "bad" keeps the height
  EXPECT_EQ(c.b->GetPointer()->GetStyle(), psCircle);
  EXPECT_TRUE(c.b->GetMarks()->GetVisible());
  EXPECT_EQ(c.b->GetMarks()->GetStyle(), smsValue);
  // Shown: once with no page, then with the pages selected.
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "<shown>");
  EXPECT_EQ(calls.back(), "Extra");
  EXPECT_TRUE(std::find(ChartEditorPageHooks().begin(), ChartEditorPageHooks().end(), &RecordingHook) ==
              ChartEditorPageHooks().end());
}

TEST(SeriesEditor, PointerSizeBoxesTakeOnlySizesThePointerTakes)
{
  PointChart c;
  TSeriesEditorPage page(nullptr, c.b.get());
  page.PointerWidthEdit->SetText("0");
  page.PointerHeightEdit->SetText("-3");
  EXPECT_NO_THROW(page.Apply());
  EXPECT_EQ(c.b->GetPointer()->GetHorizSize(), 4);
  EXPECT_EQ(c.b->GetPointer()->GetVertSize(), 4);
  page.PointerWidthEdit->SetText("1");
  page.PointerHeightEdit->SetText("1");
  page.Apply();
  EXPECT_EQ(c.b->GetPointer()->GetHorizSize(), 1);
  EXPECT_EQ(c.b->GetPointer()->GetVertSize(), 1);
}

TEST(AxisEditor, CaptionedAfterItsSideAndAppliesRangeIncrementLabelsTitle)
{
  PointChart c;
  std::string caption;
  {
    ModalAnswer answer([&](TForm* form) {
      auto* f = dynamic_cast<TAxisEditorForm*>(form);
      EXPECT_NE(f, nullptr);
      if (!f) return mrCancel;
      caption = f->GetCaption();
      EXPECT_EQ(f->GetBorderStyle(), bsToolWindow);
      f->AutomaticCheck->SetChecked(false);
      f->MinimumEdit->SetText("-10");
      f->MaximumEdit->SetText("250,5");
      f->IncrementEdit->SetText("25");
      f->LabelsCheck->SetChecked(false);
      f->TitleEdit->SetText("Depth");
      return mrOk;
    });
    EditChartAxis(&c.chart, c.chart.GetLeftAxis());
  }
  EXPECT_EQ(caption, "Left axis edit");
  TChartAxis* left = c.chart.GetLeftAxis();
  EXPECT_FALSE(left->GetAutomatic());
  EXPECT_EQ(left->GetMinimum(), -10.0);
  EXPECT_EQ(left->GetMaximum(), 250.5);
  EXPECT_EQ(left->GetIncrement(), 25.0);
  EXPECT_FALSE(left->GetLabels());
  EXPECT_EQ(left->GetTitle()->GetCaption(), "Depth");
  EXPECT_EQ(AxisEditCaption(&c.chart, c.chart.GetRightAxis()), "Right axis edit");
  EXPECT_EQ(AxisEditCaption(&c.chart, c.chart.GetTopAxis()), "Top axis edit");
  EXPECT_EQ(AxisEditCaption(&c.chart, c.chart.GetBottomAxis()), "Bottom axis edit");

  // A range the wrong way round changes nothing and says so.
  TMessageCapture messages;
  {
    ModalAnswer answer([](TForm* form) {
      auto* f = dynamic_cast<TAxisEditorForm*>(form);
      f->MinimumEdit->SetText("5");
      f->MaximumEdit->SetText("1");
      f->TitleEdit->SetText("Changed");
      return mrOk;
    });
    EditChartAxis(&c.chart, left);
  }
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(left->GetMinimum(), -10.0);
  EXPECT_EQ(left->GetTitle()->GetCaption(), "Depth");

  // A logarithmic date-time axis is refused before anything is applied.
  messages.Clear();
  c.a->XValues()->SetDateTime(true);
  TChartAxis* bottom = c.chart.GetBottomAxis();
  c.chart.PaintBuffer();
  const double oldIncrement = bottom->GetIncrement();
  const double oldMin = bottom->GetMinimum(), oldMax = bottom->GetMaximum();
  {
    ModalAnswer answer([](TForm* form) {
      auto* f = dynamic_cast<TAxisEditorForm*>(form);
      f->AutomaticCheck->SetChecked(false);
      f->MinimumEdit->SetText("5");
      f->MaximumEdit->SetText("10");
      f->IncrementEdit->SetText("1");
      f->LogarithmicCheck->SetChecked(true);
      f->TitleEdit->SetText("Time");
      return mrOk;
    });
    EditChartAxis(&c.chart, bottom);
  }
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0], "DateTime Axis cannot be Logarithmic");
  EXPECT_TRUE(bottom->GetAutomatic());
  EXPECT_TRUE(bottom->GetAutomaticMinimum());
  EXPECT_TRUE(bottom->GetAutomaticMaximum());
  EXPECT_EQ(bottom->GetMinimum(), oldMin);
  EXPECT_EQ(bottom->GetMaximum(), oldMax);
  EXPECT_EQ(bottom->GetIncrement(), oldIncrement);
  EXPECT_FALSE(bottom->GetLogarithmic());
  EXPECT_NE(bottom->GetTitle()->GetCaption(), "Time");

  // An axis of another chart opens nothing.
  TChart other(nullptr);
  int opened = 0;
  ModalAnswer answer([&](TForm*) {
    ++opened;
    return mrOk;
  });
  EditChartAxis(&c.chart, other.GetLeftAxis());
  EXPECT_EQ(opened, 0);
}

TEST(LegendOptions, OpenedFromTheLegendMenuCaptionedAndBoundToTheLegend)
{
  PointChart c;
  std::string caption;
  TPopupMenu::TestAnswer = [](TPopupMenu*) { return 0; };
  {
    ModalAnswer answer([&](TForm* form) {
      auto* f = dynamic_cast<TFormNuvLegend*>(form);
      EXPECT_NE(f, nullptr);
      if (!f) return mrCancel;
      caption = f->GetCaption();
      EXPECT_EQ(f->Legend(), c.chart.GetLegend());
      f->PositionCombo->SetItemIndex(3);
      f->StyleCombo->SetItemIndex(2);
      f->CheckBoxesCheck->SetChecked(true);
      f->MaxRowsEdit->SetText("0");  // refused: the legend keeps 10
      f->VisibleCheck->SetChecked(false);
      return mrOk;
    });
    const TRect r = c.chart.GetLegend()->Items()->Item(0).SymbolRect;
    testinput::MouseDown(&c.chart, mbRight, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, ssShift | ssRight);
    testinput::MouseUp(&c.chart, mbRight, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, ssShift);
  }
  EXPECT_EQ(caption, "Legend options");
  TChartLegend* l = c.chart.GetLegend();
  EXPECT_EQ(l->GetAlignment(), laBottom);
  EXPECT_EQ(l->GetLegendStyle(), lsValues);
  EXPECT_TRUE(l->GetCheckBoxes());
  EXPECT_EQ(l->GetMaxNumRows(), 10);
  EXPECT_FALSE(l->GetVisible());
  // The dialog was freed with nothing left behind on the chart.
  for (int i = 0; i < c.chart.ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TFormNuvLegend*>(c.chart.Components(i)), nullptr);
}

TEST(EmbeddedPages, FormPlacedInsideItsParentWithTheObjectInItsTag)
{
  TForm host(nullptr);
  host.SetClientSize(400, 300);
  auto* panel = new TPanel(&host);
  panel->SetParent(&host);
  panel->SetBounds(0, 0, 400, 300);
  panel->SetColor(clYellow);
  TForm* page = new TForm(&host);
  page->SetClientSize(200, 100);
  TNuvFont object;
  EmbedFormWithObject(page, panel, &object);
  EXPECT_EQ(page->GetParent(), panel);
  EXPECT_EQ(page->GetBorderStyle(), bsNone);
  EXPECT_EQ(page->GetColor(), clYellow);
  EXPECT_EQ(page->GetLeft(), 4);
  EXPECT_EQ(page->GetTop(), 100);
  EXPECT_EQ(EmbeddedObject(page), &object);
  EXPECT_TRUE(page->GetVisible());
  // A page taller than its parent still starts 4 pixels down.
  TForm* tall = new TForm(&host);
  tall->SetClientSize(100, 500);
  EmbedFormWithObject(tall, panel, nullptr);
  EXPECT_EQ(tall->GetTop(), 4);
}

TEST(EditorLookup, FormsByClassNameAndNoneForAnEmptyName)
{
  RegisterEditorClass("TTestElementEditor", [](TComponent* owner) {
    auto* f = new TForm(owner);
    f->SetCaption("tool editor");
    return f;
  });
  EXPECT_TRUE(IsEditorClassRegistered("TTestElementEditor"));
  std::unique_ptr<TForm> f(CreateEditorForm("TTestElementEditor", nullptr));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GetCaption(), "tool editor");
  EXPECT_EQ(CreateEditorForm("", nullptr), nullptr);
  EXPECT_EQ(CreateEditorForm("TNoSuchEditor", nullptr), nullptr);
  UnRegisterEditorClass("TTestElementEditor");
  EXPECT_FALSE(IsEditorClassRegistered("TTestElementEditor"));
}

namespace {
// A host page for embedded editor forms; declared after the chart so it goes first.
struct EditorHost {
  TForm form{nullptr};
  TPanel* panel;
  EditorHost()
  {
    form.SetClientSize(300, 200);
    panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 300, 200);
  }
  // The editor an element names, embedded with the element as its object.
  template <class Form>
  Form* Embed(const std::string& className, TObject* element)
  {
    TForm* created = CreateEditorForm(className, &form);
    auto* f = dynamic_cast<Form*>(created);
    if (!f) {
      delete created;
      return nullptr;
    }
    EmbedFormWithObject(f, panel, element);
    return f;
  }
};
}  // namespace

TEST(EditorLookup, TheFunctionEditorEditsThePeriod)
{
  TNuvFunction function(nullptr);
  function.SetPeriod(5);
  EditorHost host;
  auto* f = host.Embed<TNuvFunctionEditor>(function.GetEditorClass(), &function);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Function(), &function);
  EXPECT_EQ(f->PeriodEdit->GetText(), "5");
  EXPECT_EQ(f->PeriodStyleCombo->GetItemIndex(), static_cast<int>(psNumPoints));
  EXPECT_EQ(f->PeriodAlignCombo->GetItemIndex(), static_cast<int>(paCenter));
  f->PeriodEdit->SetText("12,5");
  EXPECT_DOUBLE_EQ(function.GetPeriod(), 12.5);
  // A negative period or a text that is not a number leaves the period as it is.
  f->PeriodEdit->SetText("-3");
  f->PeriodEdit->SetText("x");
  EXPECT_DOUBLE_EQ(function.GetPeriod(), 12.5);
  f->PeriodStyleCombo->SetItemIndex(1);
  f->PeriodAlignCombo->SetItemIndex(2);
  EXPECT_EQ(function.GetPeriodStyle(), psRange);
  EXPECT_EQ(function.GetPeriodAlign(), paLast);
}

TEST(EditorLookup, TheSeriesToolEditorChoosesAmongTheChartsSeriesOrNone)
{
  PointChart c;
  auto* tool = new TNuvCustomToolSeries(nullptr);  // the chart frees it
  tool->SetParentChart(&c.chart);
  tool->SetSeries(c.a.get());
  EditorHost host;
  auto* f = host.Embed<TSeriesToolEditor>(tool->GetEditorClass(), tool);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->SeriesCombo->ItemCount(), 3);
  EXPECT_EQ(f->SeriesCombo->Item(0), "(none)");
  EXPECT_EQ(f->SeriesCombo->Item(1), "First");
  EXPECT_EQ(f->SeriesCombo->Item(2), "Second");
  EXPECT_EQ(f->SeriesCombo->GetItemIndex(), 1);
  f->SeriesCombo->SetItemIndex(2);
  EXPECT_EQ(tool->GetSeries(), c.b.get());
  f->SeriesCombo->SetItemIndex(0);
  EXPECT_EQ(tool->GetSeries(), nullptr);
}

TEST(EditorLookup, TheAxisToolEditorChoosesAmongTheChartsAxes)
{
  PointChart c;
  c.chart.GetCustomAxes()->Add();
  auto* tool = new TNuvCustomToolAxis(nullptr);  // the chart frees it
  tool->SetAxis(c.chart.GetLeftAxis());
  EditorHost host;
  auto* f = host.Embed<TAxisToolEditor>(tool->GetEditorClass(), tool);
  ASSERT_NE(f, nullptr);
  TChartAxes* axes = c.chart.AxesList();
  ASSERT_EQ(f->AxisCombo->ItemCount(), axes->Count());
  EXPECT_EQ(f->AxisCombo->Item(axes->IndexOf(c.chart.GetLeftAxis())), "Left Axis");
  EXPECT_EQ(f->AxisCombo->Item(axes->Count() - 1), "Custom 1");
  EXPECT_EQ(f->AxisCombo->GetItemIndex(), axes->IndexOf(c.chart.GetLeftAxis()));
  f->AxisCombo->SetItemIndex(axes->IndexOf(c.chart.GetBottomAxis()));
  EXPECT_EQ(tool->GetAxis(), c.chart.GetBottomAxis());
  f->AxisCombo->SetItemIndex(axes->Count() - 1);
  EXPECT_EQ(tool->GetAxis(), c.chart.GetCustomAxes()->GetAxis(0));
}

TEST(TemplateWriter, DataFlagsDuringTheWriteAndClearedAfter)
{
  PointChart c;
  std::ostringstream with, without;
  SaveChartTemplate(&c.chart, with, true);
  SaveChartTemplate(&c.chart, without, false);
  EXPECT_NE(with.str().find("Property.Data="), std::string::npos);
  EXPECT_EQ(without.str().find("Property.Data="), std::string::npos);
  EXPECT_NE(with.str().find("Settings="), std::string::npos);
  for (TChartSeries* s : {static_cast<TChartSeries*>(c.a.get()), static_cast<TChartSeries*>(c.b.get())}) {
    EXPECT_FALSE(s->ForceSaveData);
    EXPECT_FALSE(s->DontSaveData);
  }
  {
    TSeriesSaveDataScope scope(&c.chart, false);
    EXPECT_TRUE(c.a->DontSaveData);
    EXPECT_FALSE(c.a->ForceSaveData);
  }
  EXPECT_FALSE(c.a->DontSaveData);
  testsupport::TempDir dir;
  EXPECT_THROW(SaveChartTemplateToFile(&c.chart, dir.file("no/such/folder/t.txt"), true), EInOutError);
}

TEST(TemplateWriter, MarkItemsAreWrittenAndReadBack)
{
  PointChart c;
  c.a->GetMarks()->Items(1)->SetColor(clRed);
  c.a->GetMarks()->Items(1)->GetText()->assign({"first", "second line"});
  c.a->GetMarks()->Items(3)->SetTransparent(true);
  std::ostringstream out;
  SaveChartTemplate(&c.chart, out, false);
  const std::string text = out.str();
  // Only the first series has items.
  const std::string key = "Property.Marks.Items=";
  const size_t at = text.find(key);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(text.find(key, at + 1), std::string::npos);
  const size_t start = at + key.size();
  const std::string hex = text.substr(start, text.find("\r\n", start) - start);
  ASSERT_EQ(hex.size() % 2, 0u);
  std::vector<uint8_t> block;
  for (size_t i = 0; i < hex.size(); i += 2)
    block.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));

  // Read back through the series' stored properties.
  TPointSeries copy(nullptr);
  TPropertyReader reader({{"Marks.Items", block}});
  copy.DefineProperties(&reader);
  const TMarksItems& items = copy.GetMarks()->ItemsList();
  EXPECT_EQ(items.Count(), 4);
  EXPECT_EQ(items.Find(0), nullptr);
  ASSERT_NE(items.Find(1), nullptr);
  EXPECT_EQ(items.Find(1)->GetColor(), clRed);
  EXPECT_EQ(*copy.GetMarks()->Items(1)->GetText(), (std::vector<std::string>{"first", "second line"}));
  ASSERT_NE(items.Find(3), nullptr);
  EXPECT_TRUE(items.Find(3)->GetTransparent());
  // And written again the same.
  TPropertyWriter writer;
  copy.DefineProperties(&writer);
  ASSERT_EQ(writer.Values().count("Marks.Items"), 1u);
  EXPECT_EQ(std::get<std::vector<uint8_t>>(writer.Values().at("Marks.Items")), block);
}

TEST(SeriesMenu, DefaultTakesBackTheAppearanceSavedAtSetUp)
{
  PointChart c;
  c.a->SetSeriesColor(clGreen);
  c.a->GetPointer()->SetHorizSize(6);
  c.a->SaveDefaults();
  ASSERT_FALSE(c.a->DefaultSettingsText.empty());
  c.a->SetSeriesColor(clNavy);
  c.a->GetPointer()->SetHorizSize(11);
  c.chart.PaintBuffer();
  std::vector<std::string> captions;
  TPopupMenu::TestAnswer = [&](TPopupMenu* menu) {
    captions.clear();
    for (int i = 0; i < menu->Count(); ++i) captions.push_back(menu->Items(i)->GetCaption());
    return 1;
  };
  TChartSeries* sender = nullptr;
  c.chart.OnSeriesMenu = [&](TObject* s) { sender = dynamic_cast<TChartSeries*>(s); };
  const TPoint p = c.PointOf(c.a.get(), 1);
  testinput::MouseDown(&c.chart, mbRight, p.x, p.y, ssShift | ssRight);
  testinput::MouseUp(&c.chart, mbRight, p.x, p.y, ssShift);
  EXPECT_EQ(captions, (std::vector<std::string>{"Options", "Default"}));
  EXPECT_EQ(c.chart.ClickedSeries, c.a.get());
  EXPECT_EQ(sender, c.a.get());
  EXPECT_EQ(c.a->GetSeriesColor(), clGreen);
  EXPECT_EQ(c.a->GetPointer()->GetHorizSize(), 6);
  // With no saved text "Default" leaves the series as it is.
  c.b->SetSeriesColor(clMaroon);
  c.chart.ClickedSeries = c.b.get();
  SeriesMenuClick(&c.chart, 1);
  EXPECT_EQ(c.b->GetSeriesColor(), clMaroon);
}

TEST(LegendRightClick, ValuesLegendItemEditsTheLegendSeries)
{
  PointChart c;
  c.b->SetActive(false);
  c.chart.GetLegend()->SetLegendStyle(lsValues);
  c.chart.PaintBuffer();
  std::vector<TChartSeries*> edited;
  auto saved = ChartEditorServices().EditSeries;
  ChartEditorServices().EditSeries = [&](TChartSeries* s) { edited.push_back(s); };
  // Item 3 lists point 3 of the first series; the second series must not be taken for it.
  const TRect r = c.chart.GetLegend()->Items()->Item(3).SymbolRect;
  testinput::MouseDown(&c.chart, mbRight, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, ssRight);
  testinput::MouseUp(&c.chart, mbRight, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, 0);
  ChartEditorServices().EditSeries = saved;
  ASSERT_EQ(edited.size(), 1u);
  EXPECT_EQ(edited[0], c.a.get());
}

TEST(SeriesSettingsFile, LoadSeriesSettingsAppliesTheTextWrittenForThatType)
{
  testsupport::TempDir dir;
  PointChart c;
  // The appearance to store: another point series' settings.
  TPointSeries model(nullptr);
  model.SetSeriesColor(clTeal);
  model.GetPointer()->SetHorizSize(8);
  model.GetPointer()->SetStyle(psTriangle);
  const std::string text = SeriesFormatToText(&model);
  testsupport::WriteAll(dir.file("orbisk.in"), "[serie_vamir_ps_grid]\r\nser_" + GetGallerySeriesName(c.a.get()) +
                                                   "=" + text + "\r\n[serie_vamir_ps_st]\r\nser_Other=1\r\n");
  SetSeriesSettingsFileName(dir.file("orbisk.in"));
  c.a->SaveDefaults();
  LoadSeriesSettings(&c.chart, "vamir_ps_grid", c.a.get());
  EXPECT_EQ(c.a->GetSeriesColor(), clTeal);
  EXPECT_EQ(c.a->GetPointer()->GetHorizSize(), 8);
  EXPECT_EQ(c.a->GetPointer()->GetStyle(), psTriangle);
  // A section without the key leaves the series as constructed.
  const std::string before = SeriesFormatToText(c.b.get());
  LoadSeriesSettings(&c.chart, "vamir_ps_st", c.b.get());
  EXPECT_EQ(SeriesFormatToText(c.b.get()), before);
  // "Default" still returns to the appearance set up before the file was read.
  c.chart.ClickedSeries = c.a.get();
  SeriesMenuClick(&c.chart, 1);
  EXPECT_NE(c.a->GetSeriesColor(), clTeal);
  SetSeriesSettingsFileName("");
}

}  // namespace
