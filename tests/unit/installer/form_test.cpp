// The window model: the inventory's layout rules and the gating of delivered events.
#include "installer/form.h"

#include <gtest/gtest.h>

#include "installer/installer.h"
#include "support/fake_platform.h"

namespace tunovar {
namespace {

TEST(Inventory, PairsOverlapSoOnlyTheVisiblePictureTakesClicks) {
  const auto& up = DesignOf(Ctl::Up_P);
  const auto& upA = DesignOf(Ctl::Up_A);
  EXPECT_EQ(up.left, upA.left);
  EXPECT_EQ(up.top, upA.top);
  // CDDB pair: concentric on screen, where each is drawn at its bitmap's size (the 16 x 16
  // picture one pixel around the 14 x 14 one at 15 twips per pixel).
  const auto& a = DesignOf(Ctl::CDDB_a);
  const auto& p = DesignOf(Ctl::CDDB_p);
  EXPECT_EQ(a.left / 15 + static_cast<float>(a.imageWidth) / 2, p.left / 15 + static_cast<float>(p.imageWidth) / 2);
  EXPECT_EQ(a.top / 15 + static_cast<float>(a.imageHeight) / 2, p.top / 15 + static_cast<float>(p.imageHeight) / 2);
  // Down pair 15 twips apart.
  EXPECT_EQ(DesignOf(Ctl::Down_A).left - DesignOf(Ctl::Down_P).left, 15);
}

TEST(Inventory, PictureSizeIsTheBitmapAt12TwipsPerPixel) {
  for (const ControlDesign& d : InstallerDesign()) {
    if (d.kind != ControlKind::kPicture || d.image == Skin::kNone) continue;
    EXPECT_EQ(d.width, static_cast<float>(d.imageWidth * 12)) << d.name;
    EXPECT_EQ(d.height, static_cast<float>(d.imageHeight * 12)) << d.name;
  }
}

TEST(Inventory, OnlyHelpAStartsHidden) {
  for (const ControlDesign& d : InstallerDesign()) {
    if (d.kind != ControlKind::kPicture) continue;
    EXPECT_EQ(d.visible, d.id != Ctl::Help_A) << d.name;
  }
}

class Observer : public FormObserver {
 public:
  std::vector<std::pair<Ctl, Prop>> seen;
  void OnChanged(Ctl c, Prop p) override { seen.emplace_back(c, p); }
};

TEST(FormModel, EverySetterTellsTheView) {
  Form form;
  Observer view;
  form.SetObserver(&view);
  form.SetVisible(Ctl::Up_A, false);
  form.SetCaption(Ctl::Label_Text, "x");
  form.SetInterval(Ctl::HelpTimer, 100);
  form.AcceptTypedText(Ctl::Text_InstPath, "typed");  // the view already shows it
  ASSERT_EQ(view.seen.size(), 3u);
  EXPECT_EQ(view.seen[0], std::make_pair(Ctl::Up_A, Prop::kVisible));
  EXPECT_EQ(view.seen[2], std::make_pair(Ctl::HelpTimer, Prop::kInterval));
  EXPECT_EQ(form[Ctl::Text_InstPath].caption, "typed");
}

TEST(Dispatch, NoInputBeforeTheWindowIsReady) {
  testing::FakePlatform fake;
  Installer installer(fake.platform, {"C:\\TUNOVAR\\runtime", "install"});
  ASSERT_TRUE(installer.Start());
  installer.Deliver(Ctl::Label_Cancel, Event::kClick);
  EXPECT_FALSE(installer.Ended());
  installer.Window().SetReady(true);
  installer.Window().SetEnabled(Ctl::Label_Cancel, false);
  installer.Deliver(Ctl::Label_Cancel, Event::kClick);
  EXPECT_FALSE(installer.Ended());
  installer.Window().SetEnabled(Ctl::Label_Cancel, true);
  installer.Window().SetVisible(Ctl::Label_Cancel, false);
  installer.Deliver(Ctl::Label_Cancel, Event::kClick);
  EXPECT_FALSE(installer.Ended());
  installer.Window().SetVisible(Ctl::Label_Cancel, true);
  installer.Deliver(Ctl::Label_Cancel, Event::kClick);
  EXPECT_TRUE(installer.Ended());
  EXPECT_EQ(installer.ExitCodeOfRun(), kExitCancelled);
}

TEST(Dispatch, ControlsWithoutHandlersChangeNothing) {
  testing::FakePlatform fake;
  Installer installer(fake.platform, {"C:\\TUNOVAR\\runtime", "install"});
  ASSERT_TRUE(installer.Start());
  installer.Window().SetReady(true);
  installer.Window().SetVisible(Ctl::FileListe, true);
  installer.Deliver(Ctl::FileListe, Event::kClick);
  installer.Deliver(Ctl::Up_A, Event::kMouseDown);
  installer.Deliver(Ctl::Label_Text, Event::kClick);
  EXPECT_FALSE(installer.Ended());
  EXPECT_TRUE(fake.shell.calls.empty());
}

}  // namespace
}  // namespace tunovar
