// The Profile window: opened by its key, the plane sliders dragged while it
// is open, the cursor over its charts, its Copy, and closing it.

#include <QSlider>

#include "app/formroot.h"
#include "catalogue.h"
#include "input.h"
#include "support/controlparts.h"
#include "world.h"

void UseProfile(SoakWorld& world, Step& step) {
  SoakRandom& random = world.random;
  const std::size_t what = random.Weighted({2, 5, 2, 1, 1});
  QSlider* const sliders[] = {world.status.ui.TrackBarX, world.status.ui.TrackBarY,
                              world.status.ui.TrackBarZ};
  QSlider* slider = sliders[random.Below(3)];
  std::vector<QPoint> through(static_cast<std::size_t>(random.Between(1, 6)));
  for (QPoint& p : through)
    p = PointIn(random, slider->rect().adjusted(-10, -30, 10, 30));
  const int chart = static_cast<int>(random.Below(3));
  // Where in the chart, as a share of its size.
  const double across = random.Between(0, 1000) / 1000.0, down = random.Between(0, 1000) / 1000.0;
  static const char* const kWhat[] = {"P in the main window", "drag the handle of ",
                                      "cursor over a chart of", "Ctrl+C in", "close"};
  step.description =
      std::string(kWhat[what]) + (what == 1   ? NameOf(slider) + " with the Profile window open"
                                  : what == 0 ? ""
                                              : " the Profile window");
  step.perform = [what, slider, through, chart, across, down](SoakWorld& w) {
    // Every step but the key needs the window open first, as a user opens it.
    if (what == 0 || !w.root.profile || !w.root.profile->isVisible()) {
      ActivateFor(w, &w.root);
      input::Key(&w.root, Qt::Key_P);
    }
    TProfileWindow* profile = w.root.profile.get();
    if (!profile) {
      w.inputFaults.push_back("P made no Profile window");
      return;
    }
    QWidget* charts[] = {profile->ui.ChartXPlane, profile->ui.ChartYPlane, profile->ui.ChartLine};
    QWidget* on = charts[chart];
    switch (what) {
      case 1:
        ActivateFor(w, &w.status);
        input::Drag(slider, Qt::LeftButton, ThumbOf(slider).center(), through);
        break;
      case 2:
        input::Hover(on, QPoint(static_cast<int>(across * on->width()),
                                static_cast<int>(down * on->height())));
        break;
      case 3:
        ActivateFor(w, profile);
        input::Key(profile, Qt::Key_C, Qt::ControlModifier);
        break;
      case 4:
        profile->close();
        break;
      default:
        break;
    }
  };
}
