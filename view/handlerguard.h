#pragma once
// Our handlers never throw into Qt. Qt's libraries are built without exception
// support: an exception that unwinds through their frames skips every
// destructor there, so each error shown used to leak the mouse event that had
// clicked the button, and a widget could be left half-way through its own
// work. Wherever Qt calls code of ours that can throw (a slot, an event
// handler we override) the call runs under RunHandler, which stops the
// exception at that boundary; the guard around event dispatch
// (app/application.h) shows it once Qt's frames have returned.

#include <exception>
#include <utility>

// Keeps error for the guard around event dispatch. The first error kept wins
// until it is taken: an error ends the work of its event, so a later one
// during the same event is a consequence, not news.
void KeepHandlerError(std::exception_ptr error) noexcept;

// The kept error, or null when there is none; nothing is kept afterwards.
std::exception_ptr TakeHandlerError() noexcept;

// How deeply the dispatch of events is nested now: 0 outside any, 1 within
// an event's handler, more within an event that a handler's own event
// processing (processEvents, a modal box) dispatched. Work that must not run
// in the middle of another handler's waits until it is 1 again.
int EventNesting() noexcept;
// Counts one level of EventNesting while it lives: the guard around event
// dispatch makes one for every event.
class EventDispatch {
 public:
  EventDispatch() noexcept;
  ~EventDispatch();
  EventDispatch(const EventDispatch&) = delete;
  EventDispatch& operator=(const EventDispatch&) = delete;
};

// Runs handler(); whatever it throws is kept instead of passed on.
template <class Handler>
void RunHandler(Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (...) {
    KeepHandlerError(std::current_exception());
  }
}

// A slot for QObject::connect that calls object->*member under RunHandler,
// with the member's own parameters (Qt drops signal arguments it does not take).
template <class Object, class... Args>
auto Guarded(Object* object, void (Object::*member)(Args...)) {
  return [object, member](Args... args) {
    RunHandler([&] { (object->*member)(std::forward<Args>(args)...); });
  };
}
