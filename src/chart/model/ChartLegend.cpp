// The legend: properties, item texts, measuring, drawing and click handling.
#include "chart/model/ChartLegend.h"

#include <algorithm>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineSeries.h"
#include "platform/SysUtils.h"

// ---- Gradient ----

TChartLegendGradient::TChartLegendGradient(TNotifyEvent onChange) : TNuvGradient(std::move(onChange))
{
  direction_ = gdRightLeft;
  endColor_ = clWhite;
  startColor_ = clSilver;
}

// ---- Symbol ----

TLegendSymbol::TLegendSymbol(TCustomChartLegend* legend) : legend_(legend)
{
  gradient_ = std::make_unique<TNuvGradient>([this](TObject*) { Changed(); });
  pen_ = std::make_unique<TChartPen>([this](TObject*) { Changed(); });
}

TLegendSymbol::~TLegendSymbol() = default;

void TLegendSymbol::Changed()
{
  if (legend_) legend_->Repaint();
}

void TLegendSymbol::Assign(const TPersistent* source)
{
  auto* s = dynamic_cast<const TLegendSymbol*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  continuous_ = s->continuous_;
  gradient_->Assign(s->gradient_.get());
  pen_->Assign(s->pen_.get());
  position_ = s->position_;
  squared_ = s->squared_;
  width_ = s->width_;
  widthUnits_ = s->widthUnits_;
  visible_ = s->visible_;
  Changed();
}

void TLegendSymbol::SetContinuous(bool v)
{
  if (Store(continuous_, v)) Changed();
}
void TLegendSymbol::SetDefaultPen(bool v)
{
  if (Store(defaultPen_, v)) Changed();
}
void TLegendSymbol::SetPosition(TLegendSymbolPosition v)
{
  if (Store(position_, v)) Changed();
}
void TLegendSymbol::SetSquared(bool v)
{
  if (Store(squared_, v)) Changed();
}
void TLegendSymbol::SetVisible(bool v)
{
  if (Store(visible_, v)) Changed();
}
void TLegendSymbol::SetWidth(int32_t v)
{
  if (Store(width_, v)) Changed();
}
void TLegendSymbol::SetWidthUnits(TLegendSymbolSize v)
{
  if (Store(widthUnits_, v)) Changed();
}

int32_t TLegendSymbol::CalcWidth(int32_t textWidth) const
{
  if (!visible_) return 0;
  if (squared_) return std::max<int32_t>(0, (legend_ ? legend_->LastItemHeight() : 0) - 5);
  if (widthUnits_ == lcsPercent)
    return LegendHoldPixels(RoundHalfEven(std::clamp(width_ * static_cast<double>(textWidth) * 0.01, -1e7, 1e7)));
  return LegendHoldPixels(width_);
}

// ---- Title ----

TLegendTitle::TLegendTitle(TCustomChartLegend* legend)
    : TNuvShape(legend ? legend->GetParentChart() : nullptr)
{
  SetDefaultTransparent(true);
  GetFont()->SetStyle(static_cast<TFontStyles>(GetFont()->GetStyle() | fsBold));
  TNuvShadow* shadow = GetShadow();
  shadow->SetColor(clSilver);
  shadow->SetSize(2);
  shadow->SetDefaultColor(clSilver);
  shadow->SetDefaultSize(2);
}

void TLegendTitle::Assign(const TPersistent* source)
{
  if (auto* t = dynamic_cast<const TLegendTitle*>(source)) {
    text_ = t->text_;
    textAlignment_ = t->textAlignment_;
  }
  TNuvShape::Assign(source);
}

void TLegendTitle::SetText(const std::vector<std::string>& lines)
{
  if (text_ == lines) return;
  text_ = lines;
  Repaint();
}

std::string TLegendTitle::GetCaption() const { return JoinTextLines(text_); }

void TLegendTitle::SetCaption(const std::string& text) { SetText(SplitTextLines(text)); }

void TLegendTitle::SetTextAlignment(TAlignment v)
{
  if (Store(textAlignment_, v)) Repaint();
}

bool TLegendTitle::HasText() const
{
  if (!GetVisible()) return false;
  return std::any_of(text_.begin(), text_.end(), [](const std::string& s) { return !s.empty(); });
}

// ---- Items ----

TLegendItem& TLegendItems::Item(int32_t index)
{
  if (index < 0) throw ERangeError("Legend item index out of range");
  if (index >= Count()) items_.resize(static_cast<size_t>(index) + 1);
  return items_[static_cast<size_t>(index)];
}

void TLegendItems::Clear()
{
  items_.clear();
  if (legend_) legend_->Repaint();
}

// ---- Legend ----

TCustomChartLegend::TCustomChartLegend(TCustomChart* chart) : TNuvCustomShapePosition(chart), chart_(chart)
{
  symbol_ = std::make_unique<TLegendSymbol>(this);
  dividingLines_ = std::make_unique<TChartHiddenPen>([this](TObject*) { Repaint(); });
  title_ = std::make_unique<TLegendTitle>(this);
  items_ = std::make_unique<TLegendItems>(this);
  if (chart_) chart_->Listeners()->Add(this);
}

TCustomChartLegend::~TCustomChartLegend()
{
  if (chart_) chart_->Listeners()->Remove(this);
}

void TCustomChartLegend::HandleEvent(TNuvEvent* event)
{
  auto* e = dynamic_cast<TNuvSeriesEvent*>(event);
  if (e && e->Event == seRemove && e->Series && e->Series == series_) series_ = nullptr;
}

std::unique_ptr<TNuvGradient> TCustomChartLegend::CreateGradient(TNotifyEvent onChange)
{
  return std::make_unique<TChartLegendGradient>(std::move(onChange));
}

void TCustomChartLegend::Assign(const TPersistent* source)
{
  if (auto* l = dynamic_cast<const TCustomChartLegend*>(source)) {
    alignment_ = l->alignment_;
    checkBoxes_ = l->checkBoxes_;
    checkBoxesStyle_ = l->checkBoxesStyle_;
    currentPage_ = l->currentPage_;
    dividingLines_->Assign(l->dividingLines_.get());
    firstValue_ = l->firstValue_;
    fontSeriesColor_ = l->fontSeriesColor_;
    horizMargin_ = l->horizMargin_;
    inverted_ = l->inverted_;
    leftPercent_ = l->leftPercent_;
    legendStyle_ = l->legendStyle_;
    maxNumRows_ = l->maxNumRows_;
    positionUnits_ = l->positionUnits_;
    resizeChart_ = l->resizeChart_;
    symbol_->Assign(l->symbol_.get());
    textStyle_ = l->textStyle_;
    title_->Assign(l->title_.get());
    topPos_ = l->topPos_;
    topPercent_ = l->topPercent_;
    vertMargin_ = l->vertMargin_;
    vertSpacing_ = l->vertSpacing_;
  }
  TNuvCustomShapePosition::Assign(source);
}

void TCustomChartLegend::SetAlignment(TLegendAlignment v)
{
  if (Store(alignment_, v)) Repaint();
}
void TCustomChartLegend::SetCheckBoxes(bool v)
{
  if (Store(checkBoxes_, v)) Repaint();
}

void TCustomChartLegend::SetCheckBoxesStyle(TCheckBoxesStyle v)
{
  if (!Store(checkBoxesStyle_, v)) return;
  if (v == cbsRadio && chart_) {
    bool found = false;
    for (int32_t i = 0; i < chart_->SeriesCount(); ++i) {
      TChartSeries* s = chart_->GetSeries(i);
      if (!s->GetActive() || !s->GetShowInLegend()) continue;
      if (found)
        s->SetActive(false);
      else
        found = true;
    }
  }
  Repaint();
}

void TCustomChartLegend::SetCurrentPage(bool v)
{
  if (Store(currentPage_, v)) Repaint();
}

void TCustomChartLegend::SetFirstValue(int32_t v)
{
  if (v < 0) throw LegendException(NuvMsg_FirstLegendValue);
  if (Store(firstValue_, v)) Repaint();
}

void TCustomChartLegend::SetFontSeriesColor(bool v)
{
  if (Store(fontSeriesColor_, v)) Repaint();
}
void TCustomChartLegend::SetHorizMargin(int32_t v)
{
  if (Store(horizMargin_, v)) Repaint();
}
void TCustomChartLegend::SetInverted(bool v)
{
  if (Store(inverted_, v)) Repaint();
}
void TCustomChartLegend::SetLeftPercent(int32_t v)
{
  if (Store(leftPercent_, v)) Repaint();
}
void TCustomChartLegend::SetLegendStyle(TLegendStyle v)
{
  if (!Store(legendStyle_, v)) return;
  CalcLegendStyle();
  Repaint();
}
void TCustomChartLegend::SetMaxNumRows(int32_t v)
{
  if (Store(maxNumRows_, v)) Repaint();
}
void TCustomChartLegend::SetPositionUnits(TNuvUnits v)
{
  if (Store(positionUnits_, v)) Repaint();
}
void TCustomChartLegend::SetResizeChart(bool v)
{
  if (Store(resizeChart_, v)) Repaint();
}
void TCustomChartLegend::SetSeries(TChartSeries* v)
{
  if (Store(series_, v)) Repaint();
}
void TCustomChartLegend::SetTextStyle(TLegendTextStyle v)
{
  if (Store(textStyle_, v)) Repaint();
}
void TCustomChartLegend::SetTopPos(int32_t v)
{
  if (Store(topPos_, v)) Repaint();
}
void TCustomChartLegend::SetTopPercent(int32_t v)
{
  if (Store(topPercent_, v)) Repaint();
}
void TCustomChartLegend::SetVertMargin(int32_t v)
{
  if (Store(vertMargin_, v)) Repaint();
}
void TCustomChartLegend::SetVertSpacing(int32_t v)
{
  if (Store(vertSpacing_, v)) Repaint();
}

TLegendStyle TCustomChartLegend::ResolveStyle() const
{
  if (legendStyle_ != lsAuto) return legendStyle_;
  if (!checkBoxes_ && (!chart_ || chart_->CountActiveSeries() < 2)) return lsValues;
  return lsSeries;
}

void TCustomChartLegend::CalcLegendStyle() { resolvedStyle_ = ResolveStyle(); }

bool TCustomChartLegend::HasCheckBoxes() const { return checkBoxes_ && resolvedStyle_ != lsValues; }

bool TCustomChartLegend::ShouldDraw() const
{
  if (!GetVisible() || !chart_) return false;
  if (checkBoxes_ && ResolveStyle() != lsValues) return true;
  return chart_->CountActiveSeries() > 0;
}

bool TCustomChartLegend::SeriesInChart(const TChartSeries* s) const
{
  return s && chart_ && chart_->SeriesList()->IndexOf(s) >= 0;
}

TChartSeries* TCustomChartLegend::LegendSeries() const
{
  if (!chart_) return nullptr;
  // A series that left the chart is not listed.
  if (SeriesInChart(series_)) return series_;
  TChartSeries* firstActive = nullptr;
  for (int32_t i = 0; i < chart_->SeriesCount(); ++i) {
    TChartSeries* s = chart_->GetSeries(i);
    if (!s->GetActive()) continue;
    if (s->GetShowInLegend()) return s;
    if (!firstActive) firstActive = s;
  }
  return firstActive;
}

TChartSeries* TCustomChartLegend::ItemSeries(int32_t itemIndex)
{
  if (!chart_ || itemIndex < 0) return nullptr;
  if (ResolveStyle() == lsValues) return LegendSeries();
  return chart_->SeriesLegend(itemIndex, !checkBoxes_);
}

bool TCustomChartLegend::IsItemChecked(TChartSeries* series) const
{
  if (!series) return false;
  switch (chart_ ? chart_->LegendCheckMode : 0) {
    case 1: return !series->XAutoExcluded;
    case 2: return !series->YAutoExcluded;
    default: return series->GetActive();
  }
}

int32_t TCustomChartLegend::ItemHeight()
{
  int32_t h = 0;
  if (chart_ && chart_->Canvas()) {
    chart_->Canvas()->AssignFont(GetFont());
    h = chart_->Canvas()->FontHeight();
  }
  if (HasCheckBoxes()) h = std::max<int32_t>(h, 17);
  int64_t height = static_cast<int64_t>(h) + vertSpacing_;
  if (IsVertical() && dividingLines_->GetVisible()) height += dividingLines_->GetWidth();
  lastItemHeight_ = LegendHoldPixels(height);
  return lastItemHeight_;
}

int32_t TCustomChartLegend::CountItems()
{
  if (!chart_) return 0;
  int32_t total = 0;
  if (resolvedStyle_ == lsValues) {
    TChartSeries* s = LegendSeries();
    if (s && s->GetShowInLegend()) total = s->CountLegendItems() - firstValue_;
  } else {
    int32_t n = 0;
    while (chart_->SeriesLegend(n, !checkBoxes_)) ++n;
    total = n - firstValue_;
  }
  return std::max<int32_t>(0, total);
}

std::string TCustomChartLegend::ItemText(int32_t index)
{
  std::string text;
  if (!chart_) return text;
  switch (resolvedStyle_) {
    case lsValues:
      text = chart_->ValueLegendText(LegendSeries(), index);
      break;
    case lsLastValues: {
      TChartSeries* s = chart_->SeriesLegend(index, !checkBoxes_);
      if (s) text = chart_->ValueLegendText(s, s->CountLegendItems() - 1);
      break;
    }
    default:
      text = chart_->SeriesTitleLegend(index, !checkBoxes_);
      break;
  }
  if (chart_->OnGetLegendText) chart_->OnGetLegendText(chart_, resolvedStyle_, index, text);
  return text;
}

namespace {
void SplitColumns(const std::string& text, std::string& c0, std::string& c1)
{
  auto p = text.find(LegendColumnSeparator);
  if (p == std::string::npos) {
    c0 = text;
    c1.clear();
  } else {
    c0 = text.substr(0, p);
    c1 = text.substr(p + 1);
  }
}
}  // namespace

void TCustomChartLegend::GatherTexts(int32_t first, int32_t last)
{
  column0_.clear();
  column1_.clear();
  for (int32_t p = 0; first + p <= last; ++p) {
    int32_t index = inverted_ ? last - p : first + p;
    std::string c0, c1;
    SplitColumns(ItemText(index), c0, c1);
    column0_.push_back(std::move(c0));
    column1_.push_back(std::move(c1));
  }
}

int32_t TCustomChartLegend::MeasureText(const std::string& text)
{
  TCanvas3D* c = chart_->Canvas();
  if (GetTextFormat() == ttfHtml) return HtmlTextExtent(c, text).cx;
  return c->TextWidth(text);
}

int32_t TCustomChartLegend::CalcTextWidth()
{
  columnWidths_[0] = columnWidths_[1] = 0;
  TCanvas3D* c = chart_->Canvas();
  c->AssignFont(GetFont());
  for (size_t p = 0; p < column0_.size(); ++p) {
    const std::string& t0 =
        items_->CustomItems && static_cast<int32_t>(p) < items_->Count() ? items_->Item(static_cast<int32_t>(p)).Text
                                                                        : column0_[p];
    columnWidths_[0] = std::max(columnWidths_[0], MeasureText(t0));
    columnWidths_[1] = std::max(columnWidths_[1], MeasureText(column1_[p]));
  }
  int32_t s = c->TextWidth(" ");
  return columnWidths_[0] + columnWidths_[1] + 2 * s - 1;
}

int32_t TCustomChartLegend::FrameWidth() const
{
  int32_t f = GetPen()->GetVisible() ? GetPen()->GetWidth() : 0;
  if (GetBevel() != bvNone) f = GetBevelWidth();
  return f;
}

TLegendLayout TCustomChartLegend::Prepare()
{
  TLegendLayoutInput& in = lastInput_;
  in = TLegendLayoutInput();
  CalcLegendStyle();
  numCols_ = numRows_ = 0;
  lastValue_ = firstValue_ - 1;
  totalLegendItems_ = 0;
  column0_.clear();
  column1_.clear();
  if (!chart_ || !chart_->Canvas()) return TLegendLayout();
  TCanvas3D* c = chart_->Canvas();

  in.FrameWidth = FrameWidth();
  // Custom place in percent of the control.
  if (GetCustomPosition() && positionUnits_ == muPercent) {
    const int64_t w = static_cast<int64_t>(ShapeBounds.Right) - ShapeBounds.Left;
    const int64_t h = static_cast<int64_t>(ShapeBounds.Bottom) - ShapeBounds.Top;
    auto percentOf = [](int32_t percent, int32_t size) {
      return LegendHoldPixels(RoundHalfEven(std::clamp(percent * static_cast<double>(size) * 0.01, -1e7, 1e7)));
    };
    ShapeBounds.Left = percentOf(leftPercent_, chart_->GetWidth());
    ShapeBounds.Top = percentOf(topPercent_, chart_->GetHeight());
    ShapeBounds.Right = LegendHoldPixels(static_cast<int64_t>(ShapeBounds.Left) + w);
    ShapeBounds.Bottom = LegendHoldPixels(static_cast<int64_t>(ShapeBounds.Top) + h);
  }
  // Paging.
  const int32_t perPage = chart_->GetMaxPointsPerPage();
  const bool paged = perPage > 0;
  if (paged) {
    if (resolvedStyle_ == lsValues && currentPage_)
      firstValue_ = (chart_->GetPage() - 1) * perPage;
    else if (resolvedStyle_ != lsValues)
      firstValue_ = 0;
  }
  totalLegendItems_ = CountItems();
  if (paged && resolvedStyle_ == lsValues && currentPage_) totalLegendItems_ = std::min(totalLegendItems_, perPage);

  chart_->LegendSymbolBackColor = GetColor();
  c->AssignFont(GetFont());
  const int32_t H = ItemHeight();

  hasTitle_ = title_->HasText();
  if (hasTitle_) {
    c->AssignFont(title_->GetFont());
    int32_t lineHeight = c->FontHeight();
    int32_t widest = 0;
    for (const std::string& line : title_->GetText()) widest = std::max(widest, c->TextWidth(line));
    int32_t frame = title_->GetPen()->GetVisible() ? title_->GetPen()->GetWidth() : 0;
    in.TitleHeight = static_cast<int32_t>(title_->GetText().size()) * lineHeight +
                     (title_->GetTransparent() ? 0 : 2) + 2 * frame;
    in.TitleWidth = widest + c->TextWidth("W") + 2 * frame;
    in.TitleShadowVert = title_->GetShadow()->GetVertSize();
    in.TitleTransparent = title_->GetTransparent();
    in.HasTitle = true;
    c->AssignFont(GetFont());
  }

  in.Alignment = alignment_;
  in.CustomPosition = GetCustomPosition();
  in.CustomLeft = ShapeBounds.Left;  // held by the layout
  in.CustomTop = ShapeBounds.Top;
  in.HasCheckBoxes = HasCheckBoxes();
  in.MaxNumRows = maxNumRows_;
  in.MaxColumns = MaxColumns;
  in.TopPos = topPos_;
  in.HorizMargin = horizMargin_;
  in.VertMargin = vertMargin_;
  in.VertSpacing = vertSpacing_;
  in.ResizeChart = resizeChart_;
  in.Inverted = inverted_;
  in.SymbolPosition = symbol_->GetPosition();
  in.FirstValue = firstValue_;
  in.TotalItems = totalLegendItems_;
  in.ItemHeight = H;
  in.ShadowHoriz = chart_->GetShadow()->GetHorizSize();
  in.ShadowVert = chart_->GetShadow()->GetVertSize();
  in.ChartRect = chart_->ChartRect;
  in.ChartBounds = chart_->ChartBounds;
  if (OnLegendExtraSpace)
    in.ExtraSpace = [this](int32_t& size) {
      // The handler may be gone by the time a click asks.
      if (OnLegendExtraSpace) OnLegendExtraSpace(this, size);
    };

  // Texts and widths: top and bottom legends measure every item that could be listed, side
  // legends only the rows that fit.
  if (!IsVertical()) {
    GatherTexts(firstValue_, firstValue_ + totalLegendItems_ - 1);
    in.TextWidth = CalcTextWidth();
    in.SymbolWidth = symbol_->CalcWidth(in.TextWidth);
  } else {
    TLegendLayoutInput probe = in;
    TLegendLayout rows = CalcLegendLayout(probe);
    GatherTexts(firstValue_, rows.LastValue);
    in.TextWidth = CalcTextWidth();
    in.SymbolWidth = symbol_->CalcWidth(in.TextWidth);
  }
  symbolWidthPixels_ = in.SymbolWidth;

  TLegendLayout layout = CalcLegendLayout(in);
  numCols_ = layout.NumCols;
  numRows_ = layout.NumRows;
  lastValue_ = layout.LastValue;
  // Keep only the texts of the listed items.
  int32_t listed = std::max<int32_t>(0, lastValue_ - firstValue_ + 1);
  if (static_cast<int32_t>(column0_.size()) > listed) {
    if (inverted_) GatherTexts(firstValue_, lastValue_);
    column0_.resize(static_cast<size_t>(listed));
    column1_.resize(static_cast<size_t>(listed));
  }
  return layout;
}

TLegendLayout TCustomChartLegend::CalcLayout()
{
  TLegendLayout layout = Prepare();
  lastLayout_ = layout;
  if (layout.HasBox) ShapeBounds = layout.Box;
  return layout;
}

void TCustomChartLegend::DrawLegend()
{
  TLegendLayout layout = Prepare();
  lastLayout_ = layout;
  if (!layout.HasBox) return;
  TRect box = layout.Box;
  if (chart_->OnGetLegendRect) chart_->OnGetLegendRect(chart_, box);
  // A box the chart moved keeps its items inside it.
  int32_t dy = box.Top - layout.Box.Top;
  int32_t dx = box.Left - layout.Box.Left;
  layout.ItemsTop += dy;
  layout.Box = box;
  lastLayout_ = layout;
  ShapeBounds = box;
  Draw();
  if (hasTitle_) DrawTitleBox(layout);
  for (int32_t i = 0; i < static_cast<int32_t>(column0_.size()); ++i) DrawItem(i, layout);
  (void)dx;
  if (resizeChart_ && !GetCustomPosition()) {
    TRect r = LegendGiveWay(lastInput_, box);
    chart_->ChartRect = r;
    chart_->ChartWidth = r.Right - r.Left;
    chart_->ChartHeight = r.Bottom - r.Top;
    chart_->ChartXCenter = static_cast<int32_t>((static_cast<int64_t>(r.Left) + r.Right) / 2);
    chart_->ChartYCenter = static_cast<int32_t>((static_cast<int64_t>(r.Top) + r.Bottom) / 2);
  }
}

void TCustomChartLegend::DrawTitleBox(const TLegendLayout& layout)
{
  TCanvas3D* c = chart_->Canvas();
  TRect r{layout.Box.Left + 2, layout.Box.Top + 2, layout.Box.Right - 2, layout.Box.Top + 2 + lastInput_.TitleHeight};
  OffsetRect(r, title_->GetShadow()->GetHorizSize(), title_->GetShadow()->GetVertSize());
  title_->ShapeBounds = r;
  title_->Draw();
  c->AssignFont(title_->GetFont());
  c->SetBackMode(cbmTransparent);
  // The canvas keeps the alignment of whatever drew last (axis labels, another frame).
  c->SetTextAlign(TA_LEFT | TA_TOP);
  int32_t lineHeight = c->FontHeight();
  int32_t frame = title_->GetPen()->GetVisible() ? title_->GetPen()->GetWidth() : 0;
  int32_t y = r.Top + frame + (title_->GetTransparent() ? 0 : 1);
  for (const std::string& line : title_->GetText()) {
    int32_t w = c->TextWidth(line);
    int32_t x = r.Left + 2 + frame;
    if (title_->GetTextAlignment() == taRightJustify)
      x = r.Right - 2 - frame - w;
    else if (title_->GetTextAlignment() == taCenter)
      x = (r.Left + r.Right) / 2 - w / 2;
    if (title_->GetTextFormat() == ttfHtml)
      c->TextOutFormatted(x, y, line, true);
    else
      c->TextOut(x, y, line);
    y += lineHeight;
  }
  c->AssignFont(GetFont());
}

namespace {
bool RightAligned(int column, TLegendTextStyle style)
{
  if (column == 0)
    return style == ltsLeftValue || style == ltsLeftPercent || style == ltsXValue || style == ltsValue ||
           style == ltsPercent || style == ltsXAndValue || style == ltsXAndPercent;
  return style == ltsRightValue || style == ltsRightPercent || style == ltsXAndValue || style == ltsXAndPercent;
}
}  // namespace

void TCustomChartLegend::DrawItem(int32_t i, const TLegendLayout& layout)
{
  if (i >= totalLegendItems_) return;
  TCanvas3D* c = chart_->Canvas();
  c->AssignFont(GetFont());
  c->SetBackMode(cbmTransparent);
  chart_->LegendSymbolPen = symbol_->GetDefaultPen() ? nullptr : symbol_->GetPen();

  const int32_t index = inverted_ ? lastValue_ - i : firstValue_ + i;
  TLegendItemPlace place = LegendItemPlace(lastInput_, layout, i);
  int32_t x = place.TextX, y = place.Y, xColor = place.SymbolX;
  if (chart_->OnGetLegendPos) chart_->OnGetLegendPos(chart_, index, x, y, xColor);

  TChartSeries* series = ItemSeries(index);
  if (fontSeriesColor_ && series) {
    TColor color = resolvedStyle_ == lsValues ? series->LegendItemColor(index)
                                              : series->GetSeriesColor();
    c->Font()->SetColor(color);
  }

  const bool checkBoxes = HasCheckBoxes();
  const int32_t textY = y + (checkBoxes ? 1 : 0);
  const bool html = GetTextFormat() == ttfHtml;
  int32_t s = c->TextWidth(" ");
  TLegendItem* item = items_->CustomItems ? &items_->Item(i) : nullptr;
  for (int column = 0; column < 2; ++column) {
    std::string text = column == 0 ? column0_[static_cast<size_t>(i)] : column1_[static_cast<size_t>(i)];
    int32_t tx = x;
    int32_t ty = textY;
    if (column == 0 && item) {
      tx = item->Left;
      ty = item->Top;
      text = item->Text;
    }
    const bool right = resolvedStyle_ != lsSeries && RightAligned(column, textStyle_);
    if (right) {
      x += columnWidths_[column];
      if (!(column == 0 && item)) tx = x;
      c->SetTextAlign(TA_RIGHT | TA_TOP);
    } else {
      c->SetTextAlign(TA_LEFT | TA_TOP);
    }
    if (html) {
      // Markup is laid out from its left: a right-aligned column starts its width before the edge.
      c->SetTextAlign(TA_LEFT | TA_TOP);
      c->TextOutFormatted(right ? tx - MeasureText(text) : tx, ty, text, true);
    } else {
      c->TextOut(tx, ty, text);
    }
    if (column == 0 && !item) {
      TLegendItem& rec = items_->Item(i);
      rec.Left = right ? tx - MeasureText(text) : tx;
      rec.Top = ty;
      rec.TextWidth = MeasureText(text);
      rec.Text = text;
    }
    if (!right) x += columnWidths_[column];
    x += s;
  }
  c->SetTextAlign(TA_LEFT | TA_TOP);

  // Symbol.
  const int32_t H = lastInput_.ItemHeight;
  TRect symbolRect{xColor, y, LegendHoldPixels(static_cast<int64_t>(xColor) + symbolWidthPixels_),
                   LegendHoldPixels(static_cast<int64_t>(y) + H + 1)};
  const bool lastItem = i == static_cast<int32_t>(column0_.size()) - 1;
  if (!(symbol_->GetContinuous() && !lastItem))
    symbolRect.Bottom = LegendHoldPixels(static_cast<int64_t>(symbolRect.Bottom) - vertSpacing_ - 3);
  items_->Item(i).SymbolRect = symbolRect;

  if (resolvedStyle_ != lsValues) {
    if (checkBoxes && series) {
      int32_t boxY = y + (H - vertSpacing_ - 11) / 2;
      DrawCheckBox(place.CheckBoxX, boxY, static_cast<TNuvCanvas*>(c), IsItemChecked(series), GetColor(),
                   checkBoxesStyle_ == cbsRadio);
    }
    if (series && symbol_->GetVisible()) series->DrawLegend(-1, symbolRect);
  } else if (symbol_->GetVisible()) {
    if (!series) {
      TNuvGradient* g = symbol_->GetGradient();
      c->AssignVisiblePen(symbol_->GetPen());
      if (g->GetVisible()) {
        g->Draw(c, symbolRect);
      } else {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clWhite);
        c->RectangleRect(symbolRect);
      }
    } else {
      series->DrawLegend(series->LegendToValueIndex(index), symbolRect);
    }
  }
  if (symbol_->OnDraw) symbol_->OnDraw(symbol_.get(), series, index, symbolRect);

  // Dividing lines.
  if (i > 0 && dividingLines_->GetVisible()) {
    c->AssignVisiblePen(dividingLines_.get());
    if (!IsVertical()) {
      // Between the previous column's text (ending 4 pixels into this column) and this symbol.
      // Not through the title strip.
      const int32_t top = hasTitle_ ? layout.ItemsTop : layout.Box.Top;
      if (place.Column > 0) c->VertLine(place.ColumnLeft + 5, top, layout.Box.Bottom);
    } else {
      c->HorizLine(layout.Box.Left, layout.Box.Right, y - vertSpacing_ / 2);
    }
  }
}

int32_t TCustomChartLegend::Clicked(int32_t x, int32_t y)
{
  if (!chart_ || !ShouldDraw() || !lastLayout_.HasBox) return -1;
  return LegendClickedItem(lastInput_, lastLayout_, x, y);
}

bool TCustomChartLegend::LegendClicked(int32_t x, int32_t y, int32_t itemIndex)
{
  (void)x;
  (void)y;
  if (!HasCheckBoxes() || itemIndex == -1 || !chart_) return false;
  TChartSeries* clicked = ItemSeries(itemIndex);
  if (!clicked) return false;
  if (checkBoxesStyle_ == cbsRadio) {
    for (int32_t i = 0;; ++i) {
      TChartSeries* s = chart_->SeriesLegend(i, false);
      if (!s) break;
      s->SetActive(s == clicked);
    }
    return true;
  }
  switch (chart_->LegendCheckMode) {
    case 1:
      clicked->XAutoExcluded = !clicked->XAutoExcluded;
      Repaint();
      break;
    case 2:
      clicked->YAutoExcluded = !clicked->YAutoExcluded;
      Repaint();
      break;
    default:
      clicked->SetActive(!clicked->GetActive());
      break;
  }
  return true;
}
