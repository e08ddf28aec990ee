#include "app/percentilecount.h"

#include <exception>
#include <utility>

#include "app/loadbar.h"
#include "base/valuehistogram.h"
#include "view/handlerguard.h"

TPercentileCount::TPercentileCount(TLoadBar& bar, QObject* parent) : QObject(parent), bar(bar) {
  poll.setInterval(200);
  connect(&poll, &QTimer::timeout, this, [this] { this->bar.Show(progress); });
}

TPercentileCount::~TPercentileCount() {
  Stop();
}

void TPercentileCount::Start(std::shared_ptr<HeightLevels> levels, std::function<void(bool)> then) {
  Stop();
  stop = false;
  progress = 0.0;
  done = std::move(then);
  const unsigned mine = ++generation;
  // Cancel comes from within the bar's own call of cancel, which Stop
  // replaces: it is handled once that call has returned. A load that shows
  // its progress on the same bar meanwhile is cancelled with it.
  barCancel = std::exchange(bar.cancel, [this, mine] {
    stop = true;
    QMetaObject::invokeMethod(
        this, [this, mine] { Finished(mine, false); }, Qt::QueuedConnection);
    if (barCancel)
      barCancel();
  });
  // The thread shares the levels: a load may replace them while it counts.
  worker = std::thread([this, mine, levels = std::move(levels)] {
    bool counted = false;
    try {
      ValueHistogram counts;
      counted = levels->Histogram(counts, [this](double done) {
        progress = done;
        return !stop;
      });
    } catch (...) {
      // A file that fails here failed its tiles too: the full range stays.
    }
    QMetaObject::invokeMethod(
        this, [this, mine, counted] { Finished(mine, counted); }, Qt::QueuedConnection);
  });
  poll.start();
}

void TPercentileCount::Stop() {
  if (!worker.joinable())
    return;
  stop = true;
  worker.join();
  poll.stop();
  bar.hide();
  bar.cancel = std::exchange(barCancel, nullptr);
  done = nullptr;
}

void TPercentileCount::Finished(unsigned count, bool counted) {
  // A count stopped, or replaced by a later one, has nothing to tell.
  if (count != generation || !worker.joinable())
    return;
  std::function<void(bool)> told = std::exchange(done, nullptr);
  const bool cancelled = stop;
  Stop();
  if (told)
    RunHandler([&] { told(counted && !cancelled); });
}
