#include "platform/ComCtrls.h"

#include <algorithm>

#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) { SetVisible(false); }

TTabSheet::~TTabSheet()
{
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl)
{
  if (pageControl_ == pageControl) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = pageControl;
  if (pageControl_) {
    SetParent(pageControl_);
    pageControl_->InsertPage(this);
  }
}

int TTabSheet::GetPageIndex() const
{
  if (!pageControl_) return -1;
  auto& p = pageControl_->pages_;
  auto it = std::find(p.begin(), p.end(), this);
  return it == p.end() ? -1 : static_cast<int>(it - p.begin());
}

void TTabSheet::SetCaption(const std::string& v)
{
  TCustomControl::SetCaption(v);
  if (pageControl_) pageControl_->Invalidate();
}

void TTabSheet::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetColor());
  c->FillRect(GetClientRect());
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 300, 200); }

TPageControl::~TPageControl()
{
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page)
{
  pages_.push_back(page);
  PlacePages();
  if (!active_) SetActivePage(page);
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page)
{
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  if (active_ == page) {
    active_ = nullptr;
    if (!pages_.empty() && !Destroying()) SetActivePage(pages_.front());
  }
  Invalidate();
}

void TPageControl::PlacePages()
{
  const int32_t w = std::max<int32_t>(0, GetWidth() - 4), h = std::max<int32_t>(0, GetHeight() - TabHeight - 2);
  for (TTabSheet* p : pages_) p->SetBounds(2, TabHeight, w, h);
}

void TPageControl::Resize()
{
  TCustomControl::Resize();
  PlacePages();
}

void TPageControl::SetActivePage(TTabSheet* page)
{
  if (page && page->pageControl_ != this) return;
  if (page == active_) return;
  active_ = page;
  for (TTabSheet* p : pages_) p->SetVisible(p == active_);
  Invalidate();
  if (OnChange) OnChange(this);
}

int TPageControl::GetActivePageIndex() const { return active_ ? active_->GetPageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index)
{
  if (index >= 0 && index < PageCount()) SetActivePage(pages_[index]);
}

TTabSheet* TPageControl::FindPage(const std::string& caption) const
{
  for (TTabSheet* p : pages_)
    if (p->GetCaption() == caption) return p;
  return nullptr;
}

std::vector<int32_t> TPageControl::TabEdges()
{
  std::vector<int32_t> edges{2};
  TCanvas* c = GetCanvas();
  c->Font()->Assign(Font());
  for (TTabSheet* p : pages_) edges.push_back(edges.back() + c->TextWidth(p->GetCaption()) + 16);
  return edges;
}

int TPageControl::TabAt(int32_t x, int32_t y)
{
  if (y < 0 || y >= TabHeight) return -1;
  std::vector<int32_t> e = TabEdges();
  for (size_t i = 0; i + 1 < e.size(); ++i)
    if (x >= e[i] && x < e[i + 1]) return static_cast<int>(i);
  return -1;
}

void TPageControl::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetColor());
  c->FillRect(GetClientRect());
  std::vector<int32_t> e = TabEdges();
  c->Brush()->SetStyle(bsClear);
  for (size_t i = 0; i < pages_.size(); ++i) {
    TRect r{e[i], pages_[i] == active_ ? 0 : 2, e[i + 1] - 1, TabHeight};
    Frame3D(c, r, clBtnHighlight, clBtnShadow);
    c->TextOut(r.Left + 8, r.Top + 3, pages_[i]->GetCaption());
  }
  Frame3D(c, TRect{0, TabHeight - 1, GetWidth(), GetHeight()}, clBtnHighlight, clBtnShadow);
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomControl::MouseDown(button, shift, x, y);
  int tab = TabAt(x, y);
  if (tab >= 0) SetActivePage(pages_[tab]);
}
