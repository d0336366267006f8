#include <gtest/gtest.h>

#include "platform/Classes.h"
#include "platform/Types.h"

TEST(Rounding, HalfToEvenAndHalfAwayDiffer)
{
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
}

TEST(Rounding, CheckedConversionsRaiseRangeError)
{
  EXPECT_EQ(Round32(2147483647.0), 2147483647);
  EXPECT_THROW(Round32(3e9), ERangeError);
  EXPECT_THROW(Trunc32(std::nan("")), ERangeError);
  EXPECT_THROW(Round32(1.0 / 0.0), ERangeError);
  EXPECT_THROW(AddChecked(2147483647, 1), EOverflow);
  EXPECT_THROW(MulChecked(65536, 65536), EOverflow);
}

TEST(Colors, SystemColorsResolve)
{
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
  EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

namespace {
struct Tracked : TComponent {
  Tracked(TComponent* owner, std::vector<int>* log, int id) : TComponent(owner), log_(log), id_(id) {}
  ~Tracked() override { log_->push_back(id_); }
  std::vector<int>* log_;
  int id_;
};
struct Linker : TComponent {
  using TComponent::TComponent;
  TComponent* link = nullptr;
  void Notification(TComponent* c, TOperation op) override
  {
    if (op == TOperation::opRemove && c == link) link = nullptr;
  }
};
}  // namespace

TEST(Components, OwnerFreesOwnedInReverseOrder)
{
  std::vector<int> log;
  {
    TComponent owner;
    new Tracked(&owner, &log, 1);
    new Tracked(&owner, &log, 2);
    auto* three = new Tracked(&owner, &log, 3);
    EXPECT_EQ(owner.ComponentCount(), 3);
    delete three;  // removes itself from its owner
    EXPECT_EQ(owner.ComponentCount(), 2);
  }
  EXPECT_EQ(log, (std::vector<int>{3, 2, 1}));
}

TEST(Components, FreeNotificationClearsLink)
{
  Linker linker;
  auto* target = new TComponent();
  linker.link = target;
  linker.FreeNotification(target);
  delete target;
  EXPECT_EQ(linker.link, nullptr);
}
